#!/bin/bash
# make test: every suite in turn, then one summary line of all of them.
#   format      the program's code as .clang-format lays it out
#   native      engine and quellarin-render tests (g++)
#   asan        the same under AddressSanitizer and UndefinedBehaviorSanitizer (clang)
#   tsan        the renderer tests under ThreadSanitizer (clang)
#   fuzz        a 22-second run of each fuzz target, side by side (clang)
#   windows     the cross-built tests and the real program, under Wine
# usage: scripts/test-all.sh [SUITE...]   (all of them by default; make check: native)
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
jobs=${QUELLARIN_JOBS:-2}
total_passed=0
total_failed=0
log_dir=build/test-logs
mkdir -p "$log_dir"

# usage: suite NAME   (a configure, build and test preset of CMakePresets.json)
suite() {
    local name=$1
    echo "== $name"
    rm -f "$log_dir/$name.configure.log" "$log_dir/$name.build.log"
    if ! { cmake --preset "$name" >"$log_dir/$name.configure.log" 2>&1 &&
           cmake --build --preset "$name" -j "$jobs" >"$log_dir/$name.build.log" 2>&1; }; then
        echo "   build failed; see $log_dir/$name.*.log"
        tail -20 "$log_dir/$name.build.log" 2>/dev/null || tail -20 "$log_dir/$name.configure.log"
        total_failed=$((total_failed + 1))
        return
    fi
    ctest --preset "$name" -j "$jobs" >"$log_dir/$name.ctest.log" 2>&1
    local summary
    summary=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log_dir/$name.ctest.log" | tail -1)
    if [ -z "$summary" ]; then
        echo "   no test summary; see $log_dir/$name.ctest.log"
        tail -30 "$log_dir/$name.ctest.log"
        total_failed=$((total_failed + 1))
        return
    fi
    local failed all
    failed=$(echo "$summary" | sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/')
    all=$(echo "$summary" | sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\2/')
    total_passed=$((total_passed + all - failed))
    total_failed=$((total_failed + failed))
    echo "   $summary"
    if [ "$failed" -ne 0 ]; then
        sed -n '/The following tests FAILED/,$p' "$log_dir/$name.ctest.log"
        grep -B2 -A25 -E '\*\*\*Failed|Failure$|FAILED  \]' "$log_dir/$name.ctest.log" | head -120
    fi
}

# A suite that prints "N passed, N failed" as its last line: its counts join the totals.
counted() {
    local name=$1 log=$log_dir/$1.log
    shift
    echo "== $name"
    "$@" >"$log" 2>&1
    local summary
    summary=$(tail -1 "$log")
    if [[ "$summary" =~ ^([0-9]+)\ passed,\ ([0-9]+)\ failed$ ]]; then
        total_passed=$((total_passed + BASH_REMATCH[1]))
        total_failed=$((total_failed + BASH_REMATCH[2]))
        echo "   $summary"
        [ "${BASH_REMATCH[2]}" -ne 0 ] && tail -40 "$log"
    else
        echo "   no summary; see $log"
        tail -20 "$log"
        total_failed=$((total_failed + 1))
    fi
}

windows_suite() {
    # quellarin-render.exe needs GMP and MPFR built for mingw-w64, once per machine.
    if ! scripts/mingw-deps.sh >/dev/null 2>"$log_dir/mingw-deps.log"; then
        echo "   GMP and MPFR for mingw-w64 did not build; see $log_dir/mingw-deps.log"
        tail -20 "$log_dir/mingw-deps.log"
        total_failed=$((total_failed + 1))
    fi
    suite windows
}

# The sanitizer suites build with clang, so that every run compiles the
# program with both compilers.
for name in ${*:-format native asan tsan fuzz windows}; do
    case $name in
    format) counted format scripts/format-check.sh ;;
    fuzz) counted fuzz scripts/fuzz.sh 22 ;;
    windows) windows_suite ;;
    native | asan | tsan) suite "$name" ;;
    *) echo "unknown suite $name"; total_failed=$((total_failed + 1)) ;;
    esac
done

echo "$total_passed passed, $total_failed failed"
[ "$total_failed" -eq 0 ]

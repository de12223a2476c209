#!/bin/bash
# usage: scripts/fuzz.sh [SECONDS_PER_TARGET]
# Builds the libFuzzer targets of fuzz/ with clang++ (build/fuzz/build) and
# runs them side by side for SECONDS each (default 360: ten million
# executions in all on one free core, twice as many on two). Prints the
# executions of each target and their total; the last line is
# "N passed, N failed" (targets). Crashes go to build/fuzz/artifacts/TARGET/,
# corpora grow in build/fuzz/corpus/TARGET/.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
seconds=${1:-360}
jobs=${QUELLARIN_JOBS:-2}
out=build/fuzz
mkdir -p "$out/logs"

# name, longest input in bytes
targets=(
    "wide_double_fuzzer 1024"
    "wide_int_fuzzer 256"
    "render_options_fuzzer 512"
    "png_view_fuzzer 4096"
    "kfr_location_fuzzer 2048"
    "image_query_fuzzer 4096"
)

case $seconds in
    '' | *[!0-9]*) echo "usage: scripts/fuzz.sh [SECONDS_PER_TARGET]" >&2; exit 2 ;;
esac

cxx=${QUELLARIN_FUZZ_CXX:-}
if [ -z "$cxx" ]; then
    for candidate in clang++ clang++-14; do
        command -v "$candidate" >/dev/null && cxx=$candidate && break
    done
fi

build_log=$out/logs/build.log
built=false
if [ -n "$cxx" ]; then
    generator=()
    # A build folder keeps the generator it was made with.
    if [ ! -f "$out/build/CMakeCache.txt" ]; then
        if command -v ninja >/dev/null; then generator=(-G Ninja); else generator=(-G "Unix Makefiles"); fi
    fi
    if cmake -S fuzz -B "$out/build" "${generator[@]}" -DCMAKE_CXX_COMPILER="$cxx" >"$build_log" 2>&1 &&
       cmake --build "$out/build" -j "$jobs" >>"$build_log" 2>&1; then
        built=true
    fi
else
    echo "clang++ not found" >"$build_log"
fi
if ! $built; then
    echo "fuzz targets did not build; see $build_log"
    tail -20 "$build_log"
    echo "0 passed, ${#targets[@]} failed"
    exit 1
fi

echo "fuzzing ${#targets[@]} targets for $seconds s each, side by side"
start=$(date +%s)
pids=()
trap 'kill "${pids[@]}" 2>/dev/null; exit 130' INT TERM
for entry in "${targets[@]}"; do
    read -r name max_len <<<"$entry"
    mkdir -p "$out/corpus/$name" "$out/artifacts/$name"
    args=("$out/corpus/$name")
    [ -d "fuzz/seeds/$name" ] && args+=("fuzz/seeds/$name")
    [ -f "fuzz/$name.dict" ] && args+=("-dict=fuzz/$name.dict")
    "$out/build/$name" "${args[@]}" -max_total_time="$seconds" -max_len="$max_len" -timeout=30 \
        -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$out/artifacts/$name/" \
        >"$out/logs/$name.log" 2>&1 &
    pids+=($!)
done

passed=0
failed=0
total=0
for i in "${!targets[@]}"; do
    read -r name _ <<<"${targets[$i]}"
    wait "${pids[$i]}"
    rc=$?
    log=$out/logs/$name.log
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    [ -z "$runs" ] && runs=$(sed -n 's/^Done \([0-9]*\) runs.*/\1/p' "$log" | tail -1)
    runs=${runs:-0}
    total=$((total + runs))
    if [ "$rc" -eq 0 ]; then
        passed=$((passed + 1))
        printf '%-24s %12d executions  clean\n' "$name" "$runs"
    else
        failed=$((failed + 1))
        printf '%-24s %12d executions  FAILED (exit %d); see %s\n' "$name" "$runs" "$rc" "$log"
        # The broken property or the sanitizer's report, and the saved input.
        grep -m 3 -E 'property violated|ERROR: (AddressSanitizer|libFuzzer)|runtime error|==ERROR' "$log" |
            cut -c 1-400 | sed 's/^/    /'
        grep -m 1 'Test unit written to' "$log" | sed 's/^.*Test unit written to /    input: /'
    fi
done
elapsed=$(($(date +%s) - start))
printf '%-24s %12d executions in %d s\n' "total" "$total" "$elapsed"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]

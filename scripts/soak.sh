#!/bin/bash
# make soak: a long run of random gestures against the real program under
# Wine (1000 unless QUELLARIN_SOAK_GESTURES says otherwise).
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/windows
[ -f "$build/CMakeCache.txt" ] ||
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null
ninja -C "$build" quellarin quellarin_e2e >/dev/null
export QUELLARIN_SOAK_GESTURES=${QUELLARIN_SOAK_GESTURES:-1000}
start=$(date +%s)
"$root/tests/wine/wine-run" "$build/tests/quellarin_e2e.exe" "$build/shell/quellarin.exe" --gtest_filter='Soak.*'
status=$?
echo "soak: $QUELLARIN_SOAK_GESTURES gestures in $(( $(date +%s) - start )) s"
exit $status

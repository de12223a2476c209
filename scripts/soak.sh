#!/bin/bash
# make soak: a long run of random gestures against the program's own window
# under Wine (20000 unless QUELLARIN_SOAK_GESTURES says otherwise).
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
build=$root/build/windows  # the windows preset's folder
cmake --preset windows >/dev/null
cmake --build --preset windows --target shell_tests >/dev/null
export QUELLARIN_SOAK_GESTURES=${QUELLARIN_SOAK_GESTURES:-20000}
start=$(date +%s)
status=0
"$root/tests/wine/wine-run" "$build/tests/shell_tests.exe" --gtest_filter='Soak.*' || status=$?
echo "soak: $QUELLARIN_SOAK_GESTURES gestures in $(( $(date +%s) - start )) s"
exit $status

#!/bin/sh
# Builds the oracle's report (the native preset, in build/native) and runs
# the whole table of deep locations of tests/deep/test_locations.cpp: one
# line per location and mode (delta type, approximation table on and off)
# with the view, its decidable pixels, those that agree and the share, then
# `N passed, N failed`. About a minute; exit status 1 when anything failed.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
build=$root/build/native  # the native preset's folder
cmake --preset native >/dev/null
cmake --build --preset native --target deep_verify >/dev/null
exec "$build/tests/deep/deep_verify"

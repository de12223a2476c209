#!/bin/sh
# Builds the benchmarks (the bench preset: Release, in build/bench) and
# runs them: the renderer's, which prints Google Benchmark's lines and then
# the table of speed-ups (the scalar images are rendered once each and take
# about a minute and a half together), then quellarin-render's poster, worker
# and zoom figures. Extra arguments go to both, e.g.
# --benchmark_filter='start-up|peak|poster'.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
build=$root/build/bench  # the bench preset's folder
cmake --preset bench >/dev/null
cmake --build --preset bench --target quellarin_bench quellarin_poster_bench >/dev/null
echo "cpu: $(lscpu | sed -n 's/^Model name: *//p' | head -n 1), $(nproc) cores"
"$build/bench/quellarin_bench" "$@"
exec "$build/bench/quellarin_poster_bench" "$@"

#!/bin/sh
# Builds the renderer benchmark (Release, build/bench) and runs it; prints
# Google Benchmark's lines and then the table of speed-ups. The scalar images
# are rendered once each and take about a minute and a half together. Extra
# arguments go to the benchmark, e.g. --benchmark_filter='start-up|peak'.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/bench"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUELLARIN_BUILD_BENCH=ON -DQUELLARIN_BUILD_TESTS=OFF >/dev/null
ninja -C "$build" -j2 quellarin_bench >/dev/null
echo "cpu: $(lscpu | sed -n 's/^Model name: *//p' | head -n 1), $(nproc) cores"
exec "$build/bench/quellarin_bench" "$@"

#!/bin/sh
# Builds the benchmarks (Release, build/bench, or QUELLARIN_BENCH_BUILD) and
# runs them: the renderer's, which prints Google Benchmark's lines and then
# the table of speed-ups (the scalar images are rendered once each and take
# about a minute and a half together), then quellarin-render's poster, worker
# and zoom figures. Extra arguments go to both, e.g.
# --benchmark_filter='start-up|peak|poster'.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${QUELLARIN_BENCH_BUILD:-$root/build/bench}
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUELLARIN_BUILD_BENCH=ON -DQUELLARIN_BUILD_TESTS=OFF >/dev/null
ninja -C "$build" -j2 quellarin_bench quellarin_poster_bench >/dev/null
echo "cpu: $(lscpu | sed -n 's/^Model name: *//p' | head -n 1), $(nproc) cores"
"$build/bench/quellarin_bench" "$@"
exec "$build/bench/quellarin_poster_bench" "$@"

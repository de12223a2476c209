#!/bin/sh
# Builds the benchmarks (the bench preset: Release, in build/bench) and
# runs them: the renderer's, which prints Google Benchmark's lines and then
# the table of speed-ups (the scalar images are rendered once each and take
# about a minute and a half together), then quellarin-render's poster, worker
# and zoom figures, quellarin-render's supersampled and smooth posters (about
# half a minute), then the deep views by perturbation (about a minute:
# the 1e-227 and 1e-1000 views with the approximation table and without, and
# a 300-frame zoom to 1e-300), then the explorer's latency after a wheel
# notch at three depths. Extra arguments go to the three benchmark programs, e.g.
# --benchmark_filter='start-up|peak|poster', or --benchmark_filter=deep/ for
# the deep views alone.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
build=$root/build/bench  # the bench preset's folder
cmake --preset bench >/dev/null
cmake --build --preset bench --target quellarin_bench quellarin_poster_bench quellarin_deep_bench quellarin-render >/dev/null
echo "cpu: $(lscpu | sed -n 's/^Model name: *//p' | head -n 1), $(nproc) cores"
"$build/bench/quellarin_bench" "$@"
"$build/bench/quellarin_poster_bench" "$@"
"$root/scripts/bench-posters.sh" "$build/cli/quellarin-render"
"$build/bench/quellarin_deep_bench" "$@"
# The explorer's latency after a wheel notch (a minute and a half, most of it the full image at 1e-300).
python3 "$root/scripts/bench-serve.py" "$build/cli/quellarin-render"

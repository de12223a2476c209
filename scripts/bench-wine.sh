#!/bin/bash
# make bench-wine: the Windows build against the native one on the deep
# boundary view (r = 1e-12, 60000 iterations, 640 x 640, eight workers), one
# run of quellarin-render on each path, native and under Wine taking turns
# so that a change in the machine's load hits both alike. Prints the median
# render time of each and their ratio. Both are Release builds: the bench
# preset's (build/bench) and the windows preset's (build/windows).
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
native=$root/build/bench
windows=$root/build/windows
rounds=${QUELLARIN_BENCH_ROUNDS:-3}  # turns of 5 renders each
target=1.15                          # largest Wine : native ratio accepted
cmake --preset bench >/dev/null
cmake --build --preset bench --target quellarin-render >/dev/null
"$root/scripts/mingw-deps.sh" >/dev/null
cmake --preset windows >/dev/null
cmake --build --preset windows --target quellarin-render >/dev/null
source "$root/tests/wine/wine-env.sh"
wine_env_start "$windows/wine-template"
cd "$wine_prefix"

view=(--center-x -0.743643887037151 --center-y 0.131825904205330 --radius 1e-12 --iterations 60000 --repeat 5)
# The median of the numbers on standard input.
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2) }'; }

echo "cpu: $(lscpu | sed -n 's/^Model name: *//p' | head -n 1), $(nproc) cores"
echo "deep boundary view, medians of $((rounds * 5)) renders each"
printf '%-7s %10s %10s %7s %8s %4s\n' path "native ms" "Wine ms" ratio target met
paths="sse2"
grep -qw avx2 /proc/cpuinfo && paths="$paths avx2"
grep -qw avx512f /proc/cpuinfo && paths="$paths avx512"
for path in $paths; do
    : >native.ms
    : >wine.ms
    for _ in $(seq "$rounds"); do
        QUELLARIN_RENDER_PATH=$path "$native/cli/quellarin-render" "${view[@]}" --output n.bmp | tr -dc '0-9\n' >>native.ms
        QUELLARIN_RENDER_PATH=$path "$wine" "$windows/cli/quellarin-render.exe" "${view[@]}" --output w.bmp |
            tr -dc '0-9\n' >>wine.ms
    done
    cmp -s n.bmp w.bmp || echo "$path: the Windows image differs from the native one"
    n=$(median <native.ms)
    w=$(median <wine.ms)
    ratio=$(awk -v n="$n" -v w="$w" 'BEGIN { printf "%.2f", w / n }')
    met=$(awk -v r="$ratio" -v t="$target" 'BEGIN { print (r <= t ? "yes" : "NO") }')
    printf '%-7s %10s %10s %6sx %7sx %4s\n' "$path" "$n" "$w" "$ratio" "<=$target" "$met"
done

#!/bin/bash
# quellarin-render as a user runs it, natively or (a .exe) under Wine in one
# private prefix: views whose files must be the native build's byte for byte
# on every render path the processor has and for any number of workers,
# posters whose middle is the square view, zoom movies split any way, views
# read back from PNG files, names outside ASCII, an existing file replaced,
# refused input, and never a file left beside the image.
# usage: render_cli_test.sh RENDERER
set -u
renderer=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
deep_views=$(cd "$(dirname "$0")" && pwd)/deep_views.txt
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
render() { "$renderer" "$@"; }
if [[ $renderer == *.exe ]]; then
    source "$(dirname "$0")/wine/wine-env.sh"
    wine_env_start "${QUELLARIN_WINE_TEMPLATE:-$(build_tree_of "$renderer")/wine-template}" || exit 1
    trap 'wine_env_stop; rm -rf "$work"' EXIT
    render() { "$wine" "$renderer" "$@"; }
fi
cd "$work" || exit 1
passed=0 failed=0
# usage: verdict WHAT PROBLEM   (an empty PROBLEM passes)
verdict() { if [ -z "$2" ]; then passed=$((passed + 1)); else echo "FAIL: $1: $2"; failed=$((failed + 1)); fi; }
# Files other than the captured output and inputs (*.in): a staging file left behind, or a refused output written.
leftovers() { find . -type f ! -name out ! -name err ! -name '*.in' | tr '\n' ' '; }

# usage: expect_image SUM FILE ARGS...: rendering ARGS into FILE exits 0,
# prints one timing line per render and leaves only FILE, of that SHA-256.
expect_image() {
    local sum=$1 file=$2 renders=1 problem=
    shift 2
    [[ " $* " =~ " --repeat "([0-9]+) ]] && renders=${BASH_REMATCH[1]}
    render "$@" --output "$file" >out 2>err
    local code=$?
    if [ "$code" -ne 0 ]; then problem="exit $code: $(cat err)"
    elif [ "$(tr -d '\r' <out | grep -cx '[0-9][0-9]* ms')" != "$renders" ] || [ "$(wc -l <out)" != "$renders" ]; then problem="timing lines $(cat out)"
    elif [ -s err ]; then problem="stderr: $(cat err)"
    elif [ "$(sha256sum <"$file" | cut -c1-64)" != "$sum" ]; then problem="not the native build's image"
    elif rm -f -- "$file" && [ -n "$(leftovers)" ]; then problem="left $(leftovers)"; fi
    verdict "$* --output $file" "$problem"
}

# usage: expect_refused WORD ARGS...: exit 2, one line on stderr that names WORD, no file.
expect_refused() {
    local word=$1 problem=
    shift
    render "$@" >out 2>err
    local code=$?
    if [ "$code" -ne 2 ]; then problem="exit $code"
    elif [ "$(wc -l <err)" -ne 1 ] || ! grep -qF -- "$word" err; then problem="stderr: $(cat err)"
    elif [ -n "$(leftovers)" ]; then problem="left $(leftovers)"; fi
    verdict "${QUELLARIN_RENDER_PATH-} $*" "$problem"
}

# SHA-256 of the native build's file | arguments
views='d5ecbaf17daeaae1cf9987f82d4d648834c5e2a5f0d1ad785c7627df01de8ff0|--iterations 200
ac433e5f71b58038d79c36c718e828059225e94d29cbc73c7123df559a827b94|--center-x -0.743643887037151 --center-y 0.131825904205330 --radius 0.0005 --iterations 2000 --palette 7
edca39e402c2578e91919039cfaf3c316f33e2f8069b83af95e1341c9506025f|--figure 1 --iterations 300 --palette 3
d4b340ecdb7e1574132c56eb2a2c51efa23fa9995b9a3d63465e95874ed99ae0|--figure 2 --center-x 0.5 --center-y 0.5 --radius 0.4 --iterations 300 --palette 14
0239b0ebf9a89bf4f6f6c2c79098256199f25c26bc71e58e4626078c96c54fb0|--size 203x117 --center-x -0.75 --radius 0.3 --iterations 500 --palette 5 --workers 3'
paths="scalar sse2"
grep -qw avx2 /proc/cpuinfo && paths="$paths avx2"
grep -qw avx512f /proc/cpuinfo && paths="$paths avx512"
while IFS='|' read -r sum args; do
    # shellcheck disable=SC2086 # the arguments are words without patterns
    for path in $paths; do QUELLARIN_RENDER_PATH=$path expect_image "$sum" "$path.bmp" $args; done
done <<<"$views"
start=${views%%|*}
echo old >view.bmp
for name in view.bmp 日本語の画像.bmp €.bmp; do expect_image "$start" "$name" --iterations 200; done
# The poster (its rows padded to 612 bytes) whatever the number of workers.
poster=$(tail -1 <<<"$views")
# shellcheck disable=SC2086
for workers in 1 8 1024; do expect_image "${poster%%|*}" "w$workers.bmp" ${poster#*|} --workers "$workers"; done
expect_image 81e83111fae0b158bb4c4703483b6e3391ef775118f136ca0e0c9b8afd2c0067 two.png --repeat 2 --iterations 50 --palette 9
# Windows limits a path to 260 characters, and this folder's name is long already.
[ "${renderer%.exe}" = "$renderer" ] && expect_image "$start" "$(printf 'x%.0s' $(seq 246)).bmp" --iterations 200

# usage: same WHAT A B: files A and B are equal.
same() { verdict "$1" "$(cmp -- "$2" "$3" 2>&1)"; }
# With equal scales the square view is the middle columns of the wide image
# and the middle rows of the tall one.
sq=(--center-x -0.7 --center-y 0.2 --radius 0.6 --iterations 400)
render "${sq[@]}" --size 128x64 --output wide.bmp >out && render "${sq[@]}" --size 64x128 --output tall.bmp >out &&
    render "${sq[@]}" --size 64x64 --output square.bmp >out
verdict "posters around the square view" "$(python3 -c '
import sys
wide, tall, square = (open(name, "rb").read()[54:] for name in sys.argv[1:])
middle = b"".join(wide[384 * i + 96:384 * i + 288] for i in range(64))
if middle != square or tall[192 * 32:192 * 96] != square:
    print("not the square view")' wide.bmp tall.bmp square.bmp 2>&1)"

# A zoom movie: frame 3 is the native build's, and frames rendered in parts are
# the full run's (the automatic movie below holds every frame to its still).
movie=(--center-x -0.75 --center-y 0.1 --zoom-from 1.5 --radius 0.01 --frames 6 --size 48x32 --iterations 300)
render "${movie[@]}" --output 'full-%02d.bmp' >out 2>err
verdict "movie" "$( [ "$(grep -c ms out)" = 6 ] && [ ! -s err ] || echo "exit or output: $(cat out err)")"
verdict "frame 3" "$( [ "$(sha256sum <full-03.bmp | cut -c1-64)" = 927911493041d8c5b883c08d22f9470b86d076307dd9888da997c87d8587f28e ] || echo "other bytes")"
for range in 0:1 2:4 5:5; do render "${movie[@]}" --frame-range "$range" --output 'part-%02d.bmp' >out; done
for k in 00 01 02 03 04 05; do same "frame $k in parts" "full-$k.bmp" "part-$k.bmp"; done
# Raw frames, W x H x 3 bytes each; the times on standard error.
render "${movie[@]}" --output - >raw 2>err
verdict "raw frames" "$( [ "$(wc -c <raw)" = $((48 * 32 * 3 * 6)) ] && [ "$(grep -c ms err)" = 6 ] || echo "$(wc -c <raw) bytes, $(cat err)")"
rm -f full-* part-* raw wide.bmp tall.bmp square.bmp

# A PNG's view renders again; options before --from yield to it, those after override it.
view=(--center-x -0.743643887037151 --center-y 0.131825904205330 --radius 0.0005 --figure 1 --palette 7 --size 40x24)
render "${view[@]}" --output view.png >out && render --palette 2 --from view.png --output again.png >out
same "--from" view.png again.png
render "${view[@]}" --iterations 99 --output want.bmp >out && render --from view.png --iterations 99 --output got.bmp >out
same "--from, then --iterations" want.bmp got.bmp
head -c 100 view.png >cut.in && mv want.bmp bmp.in && rm -f view.png again.png got.bmp
expect_refused "--from 'cut.in' cannot be used: it is cut short" --from cut.in --output a.bmp
expect_refused "--from 'bmp.in' cannot be used: it is not a PNG" --from bmp.in --output a.bmp
expect_refused "--from 'none.png' cannot be used" --from none.png --output a.bmp
rm -f ./*.in

# Progress only on a terminal (script gives one), and not with --quiet.
if [ "${renderer%.exe}" = "$renderer" ] && command -v script >/dev/null; then
    on_tty() { script -qec "'$renderer' --zoom-from 1 --frames 3 --size 16x16 --output p%d.bmp $* >/dev/null" /dev/null; }
    verdict "progress" "$(on_tty | grep -q 'frames 3 of 3' || echo none)$(on_tty --quiet | grep -q . && echo 'shown with --quiet')"
    rm -f p?.bmp
fi

# Deep views by perturbation: the native build's files (held to the oracle by
# the deep library's tests) on every build, with the approximation table and
# without; a PNG's view keeps every digit of the centre, and renders again.
deep_sums=(3ff04bbeb7f5418f3fc17c12e146fa7cde0e42139d1e9f8c5aac5c722ec1445d
           e714eb2c5420dded98b6cc707a67fcea1b8b8f1446145660b343ef8ba858c950
           f77d0143d8b3903ddb218d2b519b15739845f999613ab6b630cfbebff2af9b80)
# The loop leaves the last view's values, which the checks below use.
mapfile -t deep_lines < <(grep -v '^#' "$deep_views")
for d in "${!deep_lines[@]}"; do
    read -r figure iterations radius x y <<<"${deep_lines[$d]}"
    deep=(--figure "$figure" --iterations "$iterations" --radius "$radius" --center-x "$x" --center-y "$y"
          --size 48x27 --palette 7)
    expect_image "${deep_sums[$d]}" "deep$d.bmp" "${deep[@]}"
    QUELLARIN_BLA=off expect_image "${deep_sums[$d]}" "deep$d.bmp" "${deep[@]}"
done
# Supersampled and count-map files, deep and not: the same bytes from every build.
expect_image b790ec589ce0fdabf480154044cc7ee48c521c2dc57425ba31fba510ac5e0565 ds.bmp "${deep[@]}" --samples 2
# The count map without the palette, which it does not use.
expect_image ed4145f82292f76846167c14d936d95b5f4f3547c91565f1901bf367c2653171 dc.npy "${deep[@]:0:12}"
expect_image 8d19e1f63771f2db393995c9ad788645e95d7b35f6a3c54662ec0983dc304e86 s3.png --iterations 200 --size 32x20 \
    --samples 3 --palette 4
expect_image 602572eb2000260eb80304d333baffd0ad30d3eff8493ff85ffa05987b16a027 c.npy --iterations 200 --size 32x20
# Smooth colours and values come from the portable logarithm: the same bytes from every C library.
expect_image 50f153e21e2e90218dfc81b39ecd26d3f43e2b50cd14a417f11a1101e8fee23a dsm.bmp "${deep[@]}" --smooth
expect_image 925c33300e1ef867526ffd8e144af3f1e43ced5ce32616fc3c92adb466fae39a sm.png --iterations 200 --size 32x20 \
    --smooth --samples 2 --palette 4
expect_image 6afec7abe68c8ad3e279c92341b4bdc3dbf2d97f4e95948b891d2f5d95f65bc9 sm.npy --figure 2 --iterations 200 \
    --size 32x20 --smooth
render "${deep[@]}" --output deep.png >out && render --from deep.png --output again.png >out
same "--from a deep view" deep.png again.png
verdict "a deep view's stored centre" "$(grep -aq -- "center-x=$x" deep.png || echo "not every digit")"
# A location file of another program's: its Re, Im, Zoom (radius 2 / Zoom), Iterations and Power.
printf 'Re: %s\r\nIm: %s\r\nZoom: 2e1000\r\nIterations: %s\r\nColors: 1,2,3,\r\nPower: %s\r\n' \
    "$x" "$y" "$iterations" "$((figure + 2))" >loc.kfr
render --from loc.kfr --size 48x27 --palette 7 --output kfr.bmp >out && render "${deep[@]}" --radius 1e-1000 --output flags.bmp >out
same "--from a .kfr file" kfr.bmp flags.bmp
# A zoom into a deep place, by perturbation from its first frame to past the doubles' range: whole frames,
# any split gives the same ones, and the last is the still of its radius (the movie's reference is its own).
zoom=(--figure "$figure" --iterations "$iterations" --center-x "$x" --center-y "$y" --method perturbation
      --zoom-from 2 --radius 1e-310 --frames 5 --size 24x16)
render "${zoom[@]}" --output 'z-%d.bmp' >out && render "${zoom[@]}" --frame-range 3:4 --output 'p-%d.bmp' >out
for k in 3 4; do same "deep zoom frame $k in parts" "z-$k.bmp" "p-$k.bmp"; done
verdict "deep zoom, whole frames" \
    "$(for k in 0 1 2 3 4; do [ "$(head -c 2 "z-$k.bmp")$(wc -c <"z-$k.bmp")" = BM1206 ] || echo "frame $k"; done 2>&1)"
render "${zoom[@]:0:10}" --radius 1e-310 --size 24x16 --output still.bmp >out
same "deep zoom, its last frame" z-4.bmp still.bmp
rm -f deep.png again.png loc.kfr kfr.bmp flags.bmp z-*.bmp p-*.bmp still.bmp
# --method auto: frames above 1e-14 (1.0000000000000002e-14 among them) exact, the rest by perturbation,
# each the still of its radius by that method (the deepest frame's reference gives this centre its own orbit).
auto=(--center-x -0.743643887037151 --center-y 0.131825904205330 --iterations 3000 --size 32x24)
for f in a-%d.png a-%d.bmp; do render "${auto[@]}" --method auto --zoom-from 1e-12 --radius 1e-16 --frames 5 --output "$f" >out; done
for k in 0 1 2 3 4; do
    r=$(grep -ao 'radius=[0-9.e+-]*' "a-$k.png" | cut -d= -f2)
    method=$(awk -v r="$r" 'BEGIN { print (r + 0 > 1e-14) ? "exact" : "perturbation" }')
    rm -f still.bmp && render "${auto[@]}" --radius "$r" --method "$method" --output still.bmp >out
    same "auto movie frame $k, radius $r, $method" "a-$k.bmp" still.bmp
done
rm -f a-*.png a-*.bmp still.bmp
# A centre of 20,000 digits is kept whole, in the file's view too.
long_x=0.25$(printf '0%.0s' $(seq 19990))1
render --center-x "$long_x" --radius 1e-30 --iterations 500 --size 16x16 --output long.png >out 2>err
verdict "a 20,000-digit centre" "$(grep -aq -- "center-x=$long_x" long.png || echo "exit $?, $(cat err)")"
rm -f long.png
# Refusals beyond the options table (render_options_test.cpp, which holds
# each flag's bounds and messages): a view too large for its memory, a
# command line too long, outputs that cannot be written, an unknown path;
# each as a user meets it, exit 2 and one line.
expect_refused "needs up to 494459744504 bytes" --radius 1e-20 --iterations 2147483647 --memory-limit 1G --output a.bmp
# Windows limits a whole command line to 32767 characters; Linux takes this one.
[ "${renderer%.exe}" = "$renderer" ] &&
    expect_refused "--center-x '1111" --center-x "$(printf '1%.0s' $(seq 100001))" --output a.bmp

expect_refused "--output 'no?such/a.bmp' cannot" --output "no
such/a.bmp"
# The rename onto a folder fails after the staging file is written.
mkdir folder.bmp && expect_refused "--output 'folder.bmp' cannot" --output folder.bmp
QUELLARIN_RENDER_PATH=neon expect_refused "'neon' is not scalar, sse2" --output a.bmp
render --help >out
verdict "--help" "$( [ $? -eq 0 ] && grep -q -- "--output FILE" out || echo "no usage or exit 0")"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]

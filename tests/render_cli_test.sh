#!/bin/bash
# quellarin-render as a user runs it, natively or (a .exe) under Wine in one
# private prefix: views whose files must be the native build's byte for byte
# on every render path the processor has, names outside ASCII, an existing
# file replaced, refused input, and never a file left beside the image.
# usage: render_cli_test.sh RENDERER
set -u
renderer=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
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
# Files other than the captured output: a staging file left behind, or a refused output written.
leftovers() { find . -type f ! -name out ! -name err | tr '\n' ' '; }

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
d4b340ecdb7e1574132c56eb2a2c51efa23fa9995b9a3d63465e95874ed99ae0|--figure 2 --center-x 0.5 --center-y 0.5 --radius 0.4 --iterations 300 --palette 14'
paths="scalar sse2"
grep -qw avx2 /proc/cpuinfo && paths="$paths avx2"
while IFS='|' read -r sum args; do
    # shellcheck disable=SC2086 # the arguments are words without patterns
    for path in $paths; do QUELLARIN_RENDER_PATH=$path expect_image "$sum" "$path.bmp" $args; done
done <<<"$views"
start=${views%%|*}
echo old >view.bmp
for name in view.bmp 日本語の画像.bmp €.bmp; do expect_image "$start" "$name" --iterations 200; done
expect_image e64b727bd708b3f59095eae13777718f49926cfac5251f908a3deed5042f6f32 two.png --repeat 2 --iterations 50 --palette 9
# Windows limits a path to 260 characters, and this folder's name is long already.
[ "${renderer%.exe}" = "$renderer" ] && expect_image "$start" "$(printf 'x%.0s' $(seq 246)).bmp" --iterations 200

expect_refused "--radius '5'" --radius 5 --output a.bmp
expect_refused "--output 'no?such/a.bmp' cannot" --output "no
such/a.bmp"
# The rename onto a folder fails after the staging file is written.
mkdir folder.bmp && expect_refused "--output 'folder.bmp' cannot" --output folder.bmp
QUELLARIN_RENDER_PATH=avx512 expect_refused "'avx512' is not scalar, sse2" --output a.bmp
render --help >out
verdict "--help" "$( [ $? -eq 0 ] && grep -q -- "--output FILE" out || echo "no usage or exit 0")"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]

#!/bin/bash
# quellarin-render as a user runs it. On every build: views whose BMPs must be
# the native build's byte for byte, on every render path the processor has,
# and file names outside ASCII. Natively also: the kinds of refused input
# (one line on stderr naming what is wrong, exit 2, no file), PNG, --repeat
# and a long name.
# usage: render_cli_test.sh RENDERER   (a .exe runs under Wine, every run in one private prefix)
set -u
renderer=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
case $renderer in
*.exe)
    source "$here/wine/wine-env.sh"
    wine_env_start "${QUELLARIN_WINE_TEMPLATE:-$(build_tree_of "$renderer")/wine-template}" || exit 1
    trap 'wine_env_stop; rm -rf "$work"' EXIT
    render() { "$wine" "$renderer" "$@"; } ;;
*)
    trap 'rm -rf "$work"' EXIT
    render() { "$renderer" "$@"; } ;;
esac
cd "$work" || exit 1
passed=0
failed=0
fail() { echo "FAIL: $*"; failed=$((failed + 1)); }
pass() { passed=$((passed + 1)); }
# Anything in the folder besides the captured output is a file left behind.
leftovers() { ls -A | grep -v '^out$\|^err$'; }

# Views rendered by the native build: arguments | SHA-256 of the BMP.
views='--iterations 200|d5ecbaf17daeaae1cf9987f82d4d648834c5e2a5f0d1ad785c7627df01de8ff0
--center-x -0.743643887037151 --center-y 0.131825904205330 --radius 0.0005 --iterations 2000 --palette 7|ac433e5f71b58038d79c36c718e828059225e94d29cbc73c7123df559a827b94
--figure 1 --iterations 300 --palette 3|edca39e402c2578e91919039cfaf3c316f33e2f8069b83af95e1341c9506025f
--figure 2 --center-x 0.5 --center-y 0.5 --radius 0.4 --iterations 300 --palette 14|d4b340ecdb7e1574132c56eb2a2c51efa23fa9995b9a3d63465e95874ed99ae0'

# usage: expect_image SUM FILE ARGS...: renders ARGS into FILE, which must
# succeed with one timing line, have that SHA-256 and be all that is left.
expect_image() {
    local sum=$1 file=$2
    shift 2
    render "$@" --output "$file" >out 2>err
    local code=$?
    if [ "$code" -ne 0 ]; then fail "$* --output $file: exit $code: $(cat err)"
    elif ! tr -d '\r' <out | grep -qx '[0-9][0-9]* ms' || [ "$(wc -l <out)" -ne 1 ]; then fail "$*: timing line $(cat out)"
    elif [ ! -f "$file" ] || [ "$(sha256sum <"$file" | cut -c1-64)" != "$sum" ]; then fail "$* --output $file: not the native build's image"
    elif rm -f -- "$file" && [ -n "$(leftovers)" ]; then fail "$* --output $file: left $(leftovers)"
    else pass; fi
    rm -f -- *
}

paths="scalar sse2"
grep -qw avx2 /proc/cpuinfo && paths="$paths avx2"
echo old >view.bmp  # the first render replaces an existing file
while IFS='|' read -r args sum; do
    read -ra argv <<<"$args"
    expect_image "$sum" view.bmp "${argv[@]}"
    for path in $paths; do
        QUELLARIN_RENDER_PATH=$path expect_image "$sum" "$path.bmp" "${argv[@]}"
    done
done <<<"$views"
# Names the ANSI code page cannot hold.
start_sum=${views%%$'\n'*}
start_sum=${start_sum#*|}
expect_image "$start_sum" 日本語の画像.bmp --iterations 200
expect_image "$start_sum" €.bmp --iterations 200

if [ "${renderer%.exe}" = "$renderer" ]; then
    expect_image "$start_sum" "$(printf 'x%.0s' $(seq 246)).bmp" --iterations 200

    # Refused inputs (the parser's boundaries are unit-tested): environment |
    # arguments | what the message must name.
    nl='
'
    while IFS='|' read -r env args word; do
        eval "set -- $args"
        # shellcheck disable=SC2086
        env $env "$renderer" "$@" >out 2>err
        code=$?
        if [ "$code" -ne 2 ]; then fail "$env $args: exit $code, expected 2"
        elif [ "$(wc -l <err)" -ne 1 ]; then fail "$env $args: $(wc -l <err) lines on stderr"
        elif ! grep -q -- "$word" err; then fail "$env $args: message does not name $word: $(cat err)"
        elif [ -n "$(leftovers)" ]; then fail "$env $args: left $(leftovers)"
        else pass; fi
    done <<'CASES'
|--bogus --output a.bmp|--bogus
|--output a.gif|--output
|--radius|--radius
|--radius 5 --output a.bmp|--radius
|--iterations 10|--output
|--output missing/a.bmp|--output
|--output /proc/a.bmp|--output
|--output "no${nl}such/a.bmp"|--output
QUELLARIN_RENDER_PATH=avx512|--output a.bmp|scalar
QUELLARIN_RENDER_PATH=|--output a.bmp|QUELLARIN_RENDER_PATH
CASES

    if render --help | grep -q -- "--output FILE"; then pass; else fail "--help"; fi

    # --repeat prints one line per render and writes one file; a PNG carries its signature.
    render --repeat 3 --iterations 50 --output three.png >out
    code=$?
    if [ "$code" -eq 0 ] && [ "$(grep -cx '[0-9][0-9]* ms' out)" -eq 3 ]; then pass; else fail "--repeat 3: exit $code, $(cat out)"; fi
    if [ "$(head -c 8 three.png | od -An -tx1 | tr -d ' ')" = "89504e470d0a1a0a" ]; then pass; else fail "PNG signature"; fi
fi

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]

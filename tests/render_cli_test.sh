#!/bin/sh
# quellarin-render as a user runs it: outputs, timing lines, every kind of
# refused input (one line on stderr naming the flag, exit 2, no file), and
# images checked against an independent implementation of the definition.
# usage: render_cli_test.sh RENDERER
renderer=$1
here=$(dirname "$0")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM
passed=0
failed=0
fail() { echo "FAIL: $*"; failed=$((failed + 1)); }
pass() { passed=$((passed + 1)); }

# Refused inputs: arguments | flag the message must name.
while IFS='|' read -r args flag; do
    [ -z "$args" ] && continue
    # shellcheck disable=SC2086
    eval "set -- $args"
    "$renderer" "$@" >"$work/out" 2>"$work/err"
    code=$?
    lines=$(wc -l <"$work/err")
    if [ "$code" -ne 2 ]; then fail "$args: exit $code, expected 2"
    elif [ "$lines" -ne 1 ]; then fail "$args: $lines lines on stderr"
    elif ! grep -q -- "$flag" "$work/err"; then fail "$args: message does not name $flag: $(cat "$work/err")"
    elif [ -n "$(ls "$work" | grep -v '^out$\|^err$')" ]; then fail "$args: left a file: $(ls "$work")"
    else pass; fi
done <<'CASES'
--bogus --output $work/a.bmp|--bogus
--output $work/a.gif|--output
--radius|--radius
--radius 5 --output $work/a.bmp|--radius
--radius 1e-14 --output $work/a.bmp|--radius
--radius 2abc --output $work/a.bmp|--radius
--iterations 0 --output $work/a.bmp|--iterations
--iterations 60001 --output $work/a.png|--iterations
--figure 3 --output $work/a.bmp|--figure
--palette -1 --output $work/a.bmp|--palette
--center-x nan --output $work/a.bmp|--center-x
--center-y inf --output $work/a.bmp|--center-y
--repeat 0 --output $work/a.bmp|--repeat
--iterations 10|--output
--output $work/missing/a.bmp|--output
--output /proc/a.bmp|--output
CASES

# --help prints the usage and succeeds.
if "$renderer" --help | grep -q -- "--output FILE"; then pass; else fail "--help"; fi

# A BMP of the start-up view: headers plus 640 x 640 x 3 bytes, one timing line.
"$renderer" --output "$work/start.bmp" >"$work/out"
if [ "$(stat -c %s "$work/start.bmp")" -eq $((54 + 640 * 640 * 3)) ]; then pass; else fail "BMP size"; fi
if grep -qx '[0-9][0-9]* ms' "$work/out" && [ "$(wc -l <"$work/out")" -eq 1 ]; then pass; else fail "timing line: $(cat "$work/out")"; fi

# --repeat prints one line per render and writes one file; a PNG carries its signature.
"$renderer" --repeat 3 --iterations 50 --output "$work/three.png" >"$work/out"
if [ "$(grep -cx '[0-9][0-9]* ms' "$work/out")" -eq 3 ]; then pass; else fail "--repeat 3: $(cat "$work/out")"; fi
if [ "$(head -c 8 "$work/three.png" | od -An -tx1 | tr -d ' ')" = "89504e470d0a1a0a" ]; then pass; else fail "PNG signature"; fi
if [ "$(ls "$work" | grep -c '\.part$')" -eq 0 ]; then pass; else fail "staging file left behind"; fi

# An existing file is replaced whole.
echo old >"$work/start.bmp"
"$renderer" --output "$work/start.bmp" >/dev/null
if [ "$(stat -c %s "$work/start.bmp")" -eq $((54 + 640 * 640 * 3)) ]; then pass; else fail "replacing a file"; fi

# Pixels against the independent implementation.
if python3 "$here/reference_render.py" "$renderer" "$work/reference"; then pass; else fail "reference images"; fi

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]

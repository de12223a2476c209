#!/bin/bash
# Posters and movies people keep, natively: supersampled images against an
# independent box filter of the larger render, count maps read back by
# numpy against an independent escape-time loop, smooth values against an
# independent renormalised count (so continuous across counts), movies interrupted by
# SIGINT, SIGTERM, SIGHUP and SIGKILL (no broken file under a final name,
# no staging file after a signal the program can catch, and --resume
# completing them file for file), and the README's GNU parallel example
# run as it stands.
# usage: kept_files_test.sh RENDERER README
set -u
renderer=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
readme=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")
python=/usr/bin/python3  # Debian's, which has python3-numpy
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
render() { "$renderer" --quiet "$@" >/dev/null 2>"$work/err"; }
passed=0 failed=0
verdict() { if [ -z "$2" ]; then passed=$((passed + 1)); else echo "FAIL: $1: $2"; failed=$((failed + 1)); fi; }

# --- supersampling: each pixel the linear-light mean of its N x N block, smooth colours too ---
# usage: box_filter N SMALL.bmp LARGE.bmp: the largest difference per channel, as text
box_filter() {
    "$python" - "$@" <<'EOF'
import sys, numpy as np
n = int(sys.argv[1])
def bmp(path):
    data = open(path, 'rb').read()
    offset, width, height = (int.from_bytes(data[a:a + 4], 'little', signed=True) for a in (10, 18, 22))
    row = (width * 3 + 3) // 4 * 4
    rows = [np.frombuffer(data, np.uint8, width * 3, offset + row * i).reshape(width, 3) for i in range(height)]
    return np.array(rows, dtype=np.float64) / 255.0
small, large = bmp(sys.argv[2]), bmp(sys.argv[3])
linear = np.where(large <= 0.04045, large / 12.92, ((large + 0.055) / 1.055) ** 2.4)
h, w, _ = small.shape
mean = linear.reshape(h, n, w, n, 3).mean(axis=(1, 3))
encoded = np.where(mean <= 0.0031308, mean * 12.92, 1.055 * mean ** (1 / 2.4) - 0.055)
print(int(np.abs(np.rint(encoded * 255) - small * 255).max()))
EOF
}
seahorse=(--center-x -0.743643887037151 --center-y 0.131825904205330 --iterations 3000)
deep=(--center-x -1.7499576837060935036022145060706997072711057972625207793 --center-y 0 --iterations 4000
      --method perturbation)
for case in "exact 3 ${seahorse[*]} --radius 0.004" "deep 2 ${deep[*]} --radius 3e-40" \
            "cubic 4 --center-x -0.3406 --center-y 1.2712 --radius 0.01 --figure 1 --iterations 2000" \
            "deep-smooth 2 ${deep[*]} --radius 3e-40 --smooth"; do
    read -r name n args <<<"$case"
    # shellcheck disable=SC2086
    render $args --size 40x24 --samples "$n" --output small.bmp &&
        render $args --size $((40 * n))x$((24 * n)) --output large.bmp
    worst=$(box_filter "$n" small.bmp large.bmp 2>&1)
    verdict "--samples $n ($name) against the box filter" "$([ "$worst" = 0 ] || [ "$worst" = 1 ] || echo "off by $worst")"
done
# Every worker count gives the same bytes. (--samples 1 is read as the
# default, the plain image, as the options table in render_options_test.cpp holds.)
render "${seahorse[@]}" --radius 0.004 --size 40x24 --samples 3 --workers 1 --output one.bmp
render "${seahorse[@]}" --radius 0.004 --size 40x24 --samples 3 --workers 7 --output seven.bmp
verdict "--samples with 1 and 7 workers" "$(cmp one.bmp seven.bmp 2>&1)"

# --- count maps and smooth values: numpy reads them, and they are the definition's ---
# usage: escape_check counts|smooth FILE P W H CX CY R LIMIT: FILE's array against an
# independent escape-time loop of z^P + c: int32 counts equal to its counts, or
# float64 smooth values its renormalised count (NaN inside), never a palette step
# from the count.
escape_check() {
    "$python" - "$@" <<'EOF'
import math, sys, numpy as np
kind, path, p, w, h = sys.argv[1], sys.argv[2], int(sys.argv[3]), int(sys.argv[4]), int(sys.argv[5])
cx, cy, r, limit = float(sys.argv[6]), float(sys.argv[7]), float(sys.argv[8]), int(sys.argv[9])
a = np.load(path)
if a.dtype != (np.int32 if kind == "counts" else np.float64) or a.shape != (h, w):
    sys.exit(f"dtype {a.dtype}, shape {a.shape}")
def step(zr, zi, cr, ci):
    if p == 2:  # as the definition writes it, rounding included
        return (zr * zr - zi * zi) + cr, (zi * zr + zi * zr) + ci
    z = complex(zr, zi) ** p
    return z.real + cr, z.imag + ci
s, worst = min(w, h), 0.0
for row in range(h):
    i = h - 1 - row  # memory rows count from the bottom; the array's first row is the top
    for x in range(w):
        cr, ci = ((2 * x - w) * r) / s + cx, ((2 * i - h) * r) / s + cy
        zr, zi, n = cr, ci, 0
        while zr * zr + zi * zi <= 4.0 and n < limit:
            zr, zi, n = *step(zr, zi, cr, ci), n + 1
        if kind == "counts":
            if a[row, x] != n:
                sys.exit(f"pixel ({x}, row {row}): {a[row, x]}, the definition {n}")
        elif n >= limit:
            if not math.isnan(a[row, x]):
                sys.exit(f"pixel ({x}, row {row}) does not escape, nu {a[row, x]}")
        else:
            k = n
            while zr * zr + zi * zi <= 2.0 ** 40:
                zr, zi, k = *step(zr, zi, cr, ci), k + 1
            nu = k + 1 - math.log(math.log2(math.hypot(zr, zi)), p)
            worst = max(worst, abs(a[row, x] - nu))
            if not n - 0.5 <= a[row, x] <= n + 1.5:
                sys.exit(f"pixel ({x}, row {row}): nu {a[row, x]} far from the count {n}")
if worst > 1e-6:
    sys.exit(f"nu off by {worst}")
EOF
}
render --center-x -0.75 --center-y 0.1 --radius 0.3 --iterations 300 --size 37x21 --output c.npy
verdict ".npy read by numpy, the definition's counts" "$(escape_check counts c.npy 2 37 21 -0.75 0.1 0.3 300 2>&1)"
render --center-x -0.75 --center-y 0.1 --radius 0.3 --iterations 300 --size 37x21 --method perturbation --output p.npy
verdict ".npy of the same view by perturbation" "$(cmp c.npy p.npy 2>&1)"
render --center-x -0.75 --zoom-from 2 --radius 0.3 --frames 3 --iterations 100 --size 16x16 --output 'm%d.npy'
verdict ".npy movie, one array per frame" "$(escape_check counts m2.npy 2 16 16 -0.75 0 0.3 100 2>&1)"
# The last view runs along the real axis towards the cusp at 1/4, where the
# counts climb through many values: the values keep to the independent
# renormalised count there too, never a palette step from the count.
for view in "2 -0.75 0.1 0.3 300" "3 -0.3406 1.2712 0.05 400" "4 0.62996 1.0911 0.05 400" \
            "2 -0.75 0.1 0.3 300 --method perturbation" "2 0.355 0 0.057 1000"; do
    read -r p x y radius limit method <<<"$view"
    # shellcheck disable=SC2086
    render --figure $((p - 2)) --center-x "$x" --center-y "$y" --radius "$radius" --iterations "$limit" --size 40x24 \
        --smooth $method --output "s$p.npy"
    verdict "--smooth values of z^$p + c${method:+ by perturbation}, independently" \
        "$(escape_check smooth "s$p.npy" "$p" 40 24 "$x" "$y" "$radius" "$limit" 2>&1)"
done

# --- interrupted movies ---
# About a second and a half here, long enough to be caught mid-frame.
movie=(--center-x -0.743643887037151 --center-y 0.131825904205330 --iterations 20000 --zoom-from 2 --radius 1e-9
       --frames 24 --size 480x360)
mkdir whole && (cd whole && render "${movie[@]}" --output 'f%02d.bmp')
# usage: same_frames DIR: each frame file in DIR equals the whole run's, and DIR holds nothing else
same_frames() {
    local f problem=
    for f in "$1"/*; do
        case $f in
        */f[0-9][0-9].bmp) cmp -s "$f" "whole/${f##*/}" || problem="$problem ${f##*/} differs" ;;
        *) problem="$problem left ${f##*/}" ;;
        esac
    done
    echo "$problem"
}
# usage: interrupt SIGNAL [IGNORED]: the movie rendered into cut/, with the
# signal IGNORED set to be ignored, sent SIGNAL once one to three frames are
# whole and the next one's staging file exists (created before its render);
# its exit status in code.
interrupt() {
    rm -rf cut && mkdir cut
    (cd cut && { [ -z "${2-}" ] || trap '' "$2"; } &&
        exec "$renderer" --quiet "${movie[@]}" --output 'f%02d.bmp' >/dev/null 2>&1) &
    local pid=$! whole=cut/f0$((RANDOM % 3)).bmp deadline=$((SECONDS + 120))
    until [ -e "$whole" ] && compgen -G 'cut/quellarin-*.part' >/dev/null; do
        kill -0 "$pid" 2>/dev/null && [ "$SECONDS" -lt "$deadline" ] && sleep 0.01 ||
            { verdict "SIG$1 while a frame is staged" "no staging file after $whole"; break; }
    done
    kill -s "$1" "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    code=$?
}
for signal in INT TERM HUP KILL; do
    interrupt "$signal"
    # A staging file may stay only after SIGKILL, which no program can answer.
    [ "$signal" = KILL ] && rm -f cut/quellarin-*.part
    verdict "SIG$signal leaves whole frames only" "$(same_frames cut)"
    [ "$signal" != KILL ] && verdict "SIG$signal ends the program by that signal" \
        "$([ "$code" -gt 128 ] || echo "exit $code")"
    # (Its report of what it skipped is held, number for number, by the README's example below.)
    (cd cut && render "${movie[@]}" --resume --output 'f%02d.bmp')
    verdict "--resume after SIG$signal completes the movie" \
        "$([ "$(ls cut | grep -c '^f..\.bmp$')" = 24 ] || echo "$(ls cut | wc -l) files")$(same_frames cut)"
done

# A hangup the parent set to be ignored (nohup, a script's background job) stays ignored.
interrupt HUP HUP
verdict "an ignored SIGHUP lets the movie finish" \
    "$([ "$code" = 0 ] || echo "exit $code")$([ "$(ls cut | wc -l)" = 24 ] || echo " $(ls cut | wc -l) files")$(same_frames cut)"

# --- the README's GNU parallel example, as it stands ---
example=$(sed -n '/^<!-- run by tests\/kept_files_test.sh -->$/,/^```$/p' "$readme" | sed '1,2d;$d')
if [ -z "$example" ]; then
    verdict "README's parallel example" "not found"
else
    mkdir parallel single
    (cd single && render --center-x -0.743643887037151 --center-y 0.131825904205330 --zoom-from 2 --radius 1e-6 \
        --frames 40 --iterations 2000 --size 160x90 --output 'zoom-%03d.png')
    (cd parallel && PATH=$(dirname "$renderer"):$PATH bash -e -c "$example" >"$work/out" 2>&1)
    problem=
    for f in single/*; do cmp -s "$f" "parallel/${f##*/}" || problem="$problem ${f##*/}"; done
    verdict "the parallel split gives the single run's frames" \
        "$([ "$(ls parallel | grep -c 'zoom-')" = 40 ] || echo "$(ls parallel | grep -c 'zoom-') frames")$problem"
    verdict "--resume after the partial parallel run skips its frames" \
        "$([ "$(grep -c '^resumed: 5 of 5 frames already written, skipped$' out)" = 4 ] || echo "not 4 in: $(tail -3 out)")"
fi

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]

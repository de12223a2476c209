#!/bin/sh
# quellarin-render's posters people keep, timed through the program itself:
# the 3840 x 2160 seahorse poster with one sample, --samples 2 and 4 (as a
# ratio to N^2 times the single-sample time) and --smooth (as a ratio to the
# plain image). Each is the best of three renders (--repeat 3), so that a
# moment of load elsewhere on the machine does not decide it.
# usage: bench-posters.sh RENDERER
set -eu
renderer=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
view="--center-x -0.743643887037151 --center-y 0.131825904205330 --radius 0.000014628 --iterations 60000
      --palette 7 --size 3840x2160 --quiet --repeat 3"
# usage: best ARGS...: the fastest of the three renders, in ms
best() {
    # shellcheck disable=SC2086
    "$renderer" $view "$@" --output "$work/poster.bmp" | sed 's/ ms$//' | sort -n | head -n 1
}
single=$(best)
two=$(best --samples 2)
four=$(best --samples 4)
smooth=$(best --smooth)
echo
echo "posters: seahorse valley at 3840 x 2160, 60000 iterations, quellarin-render's default workers, best of 3"
awk -v s="$single" -v two="$two" -v four="$four" -v sm="$smooth" 'BEGIN {
    printf "  one sample      %6d ms\n", s
    r = two / (4 * s);  printf "  --samples 2     %6d ms  %5.2f x 4 x one sample    target <= 1.05: %s\n", two, r, r <= 1.05 ? "met" : "NOT met"
    r = four / (16 * s); printf "  --samples 4     %6d ms  %5.2f x 16 x one sample   target <= 1.05: %s\n", four, r, r <= 1.05 ? "met" : "NOT met"
    r = sm / s;          printf "  --smooth        %6d ms  %5.2f x the plain image   target <= 1.10: %s\n", sm, r, r <= 1.10 ? "met" : "NOT met"
}'

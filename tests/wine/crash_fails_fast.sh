#!/bin/bash
# A Windows test program that crashes under Wine must end within 10 s with
# exit code 3 and the crash filter's line on standard error, rather than wait
# in a debugger until the run times out. CRASH_PROBE writes through a null
# pointer.
# usage: crash_fails_fast.sh CRASH_PROBE.exe
set -u
here=$(cd "$(dirname "$0")" && pwd)
source "$here/wine-env.sh"
# The template is made first, so that a first run in a new build tree (or one
# waiting for another test to make it) does not count its seconds.
"$here/make-prefix" "${QUELLARIN_WINE_TEMPLATE:-$(build_tree_of "$1")/wine-template}" || exit 1
err=$(mktemp)
trap 'rm -f "$err"' EXIT
start=$(date +%s%N)
# The bound only keeps a hang from stalling the run; the verdict is the 10 s below.
timeout 20 "$here/wine-run" "$1" >/dev/null 2>"$err"
code=$?
ms=$((($(date +%s%N) - start) / 1000000))
echo "exit code $code after $ms ms"
cat "$err"
failed=0
[ "$code" -eq 3 ] || { echo "FAIL: exit code $code, not the crash filter's 3"; failed=1; }
[ "$ms" -le 10000 ] || { echo "FAIL: took $ms ms, more than 10 s"; failed=1; }
grep -q '^unhandled exception 0xc0000005 at 0x[0-9a-f]\{16\}; ' "$err" ||
    { echo "FAIL: no line from the crash filter naming the access violation"; failed=1; }
exit $failed

#!/bin/bash
# quellarin-render.exe --serve under Wine: it names its address on its first
# line, answers one image request with the bytes its own command line
# writes, and ends with exit code 0 on Ctrl-C (a SIGINT, which Wine turns
# into CTRL_C_EVENT).
# usage: serve_request.sh RENDER.exe
set -u
here=$(cd "$(dirname "$0")" && pwd)
source "$here/wine-env.sh"
wine_env_start "${QUELLARIN_WINE_TEMPLATE:-$(build_tree_of "$1")/wine-template}" || exit 1
work=$(mktemp -d "${TMPDIR:-/tmp}/quellarin-serve.XXXXXX")
trap 'rm -rf "$work"; wine_env_stop' EXIT
"$wine" "$1" --iterations 200 --size 64x48 --quiet --output "Z:${work//\//\\}\\want.png" >/dev/null 2>&1
mkfifo "$work/first"
"$wine" "$1" --serve 0 --workers 2 --memory-limit 64M >"$work/first" 2>"$work/log" &
server=$!
line=$(timeout 60 head -1 "$work/first" | tr -d '\r')
cat "$work/first" >/dev/null &
failed=0
if [[ ! "$line" =~ ^serving\ http://127\.0\.0\.1:([0-9]+)/$ ]]; then
    echo "FAIL: first line '$line'"
    failed=1
else
    port=${BASH_REMATCH[1]}
    python3 - "$port" "$work/want.png" <<'PY' || failed=1
import sys, urllib.request
port, want = sys.argv[1], open(sys.argv[2], "rb").read()
body = urllib.request.urlopen(f"http://127.0.0.1:{port}/image?iterations=200&size=64x48", timeout=60).read()
print("one request:", len(body), "bytes,", "the command line's" if body == want else "NOT the command line's")
sys.exit(0 if body == want else 1)
PY
fi
pkill -INT -f -- "quellarin-render.exe --serve 0 --workers 2 --memory-limit 64M"
wait "$server"
code=$?
[ "$code" -eq 0 ] || { echo "FAIL: exit code $code after Ctrl-C"; failed=1; }
tr -d '\r' <"$work/log" | tail -3
exit $failed

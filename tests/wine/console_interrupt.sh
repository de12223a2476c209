#!/bin/bash
# Ctrl-C in a Windows console, under Wine: quellarin-render.exe, writing a
# long render, is interrupted once its staging file exists; it must end as an
# interrupted console program, leaving no staging file and no image.
#
# Wine 8 cannot deliver console events from one Windows process to another
# (GenerateConsoleCtrlEvent fails, and a new process group ignores Ctrl-C),
# but it turns a SIGINT of a console program's process into CTRL_C_EVENT, the
# event a user's Ctrl-C is. So the harness watches and judges, and this
# script sends the SIGINT to the render's process alone.
# usage: console_interrupt.sh CONSOLE_INTERRUPT.exe RENDER.exe
set -u
here=$(cd "$(dirname "$0")" && pwd)
source "$here/wine-env.sh"
wine_env_start "${QUELLARIN_WINE_TEMPLATE:-$(build_tree_of "$1")/wine-template}" || exit 1
# A folder whose name no other run has, to find this render's process by.
folder=$(mktemp -d "${TMPDIR:-/tmp}/quellarin-interrupt.XXXXXX")
out=$folder.out
trap 'rm -rf "$folder" "$out"; wine_env_stop' EXIT
"$wine" "$1" "$2" "Z:${folder//\//\\}" >"$out" 2>&1 &
harness=$!
# The harness says "staged" at once after the file appears; the bound only
# keeps a broken run from hanging.
for _ in $(seq 1200); do
    grep -q '^staged' "$out" && break
    kill -0 "$harness" 2>/dev/null || break
    sleep 0.05
done
if grep -q '^staged' "$out"; then
    pkill -INT -f -- "$(basename "$folder").interrupted\.png" ||
        echo "FAIL: no process of the render found to interrupt"
fi
wait "$harness"
code=$?
tr -d '\r' <"$out"
exit $code

#!/bin/bash
# make run: builds the Windows program and opens it. On Linux it runs under
# Wine; with no display it runs on a private Xvfb, saves a screenshot of the
# window and closes it again.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
build=$root/build/windows  # the windows preset's folder
cmake --preset windows >/dev/null
cmake --build --preset windows --target quellarin quellarin_shot >/dev/null
exe=$build/shell/quellarin.exe

if [ "$(uname -s)" != Linux ]; then
    exec "$exe"
fi

source "$root/tests/wine/wine-env.sh"
if [ -n "${DISPLAY:-}" ]; then
    wine_env_start "$build/wine-template" display
    echo "Quellarin is running under Wine on $DISPLAY; close its window to end."
    "$wine" "$exe"
    exit $?
fi

wine_env_start "$build/wine-template"
shot=$root/build/quellarin-screenshot.png
rm -f "$shot"
"$wine" "$exe" &
viewer=$!
rect=$("$wine" "$build/tests/quellarin_shot.exe" rect | tr -d '\r')
import -display "$DISPLAY" -window root -crop "$rect" +repage "$shot"
"$wine" "$build/tests/quellarin_shot.exe" close
wait "$viewer"
status=$?
echo "No display: Quellarin ran on a private Xvfb display and exited with code $status."
echo "Screenshot of its window: $shot"

#!/bin/bash
# The Windows package as a user gets it: the ZIP that cpack makes holds the
# two programs and the notes and nothing else; unpacked into an empty folder,
# its quellarin-render.exe writes the build tree's image byte for byte and
# its quellarin.exe opens its window and exits with 0 when closed.
# usage: package_test.sh BUILD_DIR CPACK ZIP_NAME
set -u
build=$(cd "$1" && pwd)
cpack=$2
zip_name=$3
source "$(dirname "$0")/wine/wine-env.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
passed=0 failed=0
# usage: verdict WHAT PROBLEM   (an empty PROBLEM passes)
verdict() { if [ -z "$2" ]; then passed=$((passed + 1)); else echo "FAIL: $1: $2"; failed=$((failed + 1)); fi; }
finish() { echo "$passed passed, $failed failed"; [ "$failed" -eq 0 ]; exit; }

"$cpack" --config "$build/CPackConfig.cmake" -B "$work/cpack" >"$work/cpack.log" 2>&1
verdict "cpack" "$( [ -f "$work/cpack/$zip_name" ] || { echo "no $zip_name"; tail -5 "$work/cpack.log"; })"
[ "$failed" -eq 0 ] || finish
mkdir "$work/unpacked"
(cd "$work/unpacked" && cmake -E tar xf "$work/cpack/$zip_name")
# One top-level folder is allowed; below it exactly these four files.
files=$(cd "$work/unpacked" && find . -type f | sed 's|^\./||' | sort | tr '\n' ' ')
package=$(dirname "$(find "$work/unpacked" -name quellarin.exe | head -1)")
inside=$(cd "$package" 2>/dev/null && find . -type f | sed 's|^\./||' | sort | tr '\n' ' ')
verdict "contents" "$( [ "$inside" = "LICENSE README.md quellarin-render.exe quellarin.exe " ] &&
    [ "$(echo "$files" | wc -w)" = 4 ] || echo "$files")"
[ "$failed" -eq 0 ] || finish
root=$(cd "$(dirname "$0")/.." && pwd)
verdict "notes" "$(cmp "$package/README.md" "$root/README.md" 2>&1; cmp "$package/LICENSE" "$root/LICENSE" 2>&1)"

wine_env_start "$build/wine-template" || exit 1
trap 'wine_env_stop; rm -rf "$work"' EXIT
cd "$work" || exit 1
"$wine" "$package/quellarin-render.exe" --size 32x32 --output packaged.bmp >out 2>&1
code=$?
"$wine" "$build/cli/quellarin-render.exe" --size 32x32 --output built.bmp >>out 2>&1
verdict "packaged quellarin-render.exe" "$( [ "$code" -eq 0 ] && [ -s packaged.bmp ] || echo "exit $code: $(cat out)")"
verdict "its image" "$(cmp packaged.bmp built.bmp 2>&1)"

# Bounded, so that a viewer that never shows a window cannot hold the run.
timeout 30 "$wine" "$package/quellarin.exe" &
viewer=$!
rect=$("$wine" "$build/tests/quellarin_shot.exe" rect | tr -d '\r')
if [[ $rect =~ ^[1-9][0-9]*x[1-9][0-9]*\+[0-9]+\+[0-9]+$ ]]; then
    verdict "packaged quellarin.exe's window" ""
    "$wine" "$build/tests/quellarin_shot.exe" close
else
    verdict "packaged quellarin.exe's window" "none ('$rect')"
fi
wait "$viewer"
code=$?
verdict "its exit code when closed" "$( [ "$code" -eq 0 ] || echo "$code")"
finish

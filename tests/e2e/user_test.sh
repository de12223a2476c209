#!/bin/bash
# The real quellarin.exe as a user meets it under Wine, through real X input:
# started, started again, dragged, zoomed, set through its dialog with the
# time report, and closed with Alt+F4. Each image must be, pixel for pixel,
# the file quellarin-render.exe writes for the view the gestures should leave.
# usage: user_test.sh BUILD_DIR
set -u
build=$(cd "$1" && pwd)
source "$(dirname "$0")/../wine/wine-env.sh"
wine_env_start "$build/wine-template" || exit 1
work=$(mktemp -d)
trap 'wine_env_stop; rm -rf "$work"' EXIT
passed=0 failed=0
# usage: verdict STATUS WHAT   (status 0 passes)
verdict() { if [ "$1" = 0 ]; then passed=$((passed + 1)); else echo "FAIL: $2"; failed=$((failed + 1)); fi; }
shot() { "$wine" "$build/tests/quellarin_shot.exe" "$@" | tr -d '\r'; }
at() { echo $((client_x + $1)) $((client_y + $2)); }

# usage: expect_view NAME RENDER_OPTIONS...: within 15 s the client area shows that view.
expect_view() {
    local name=$1 differing=
    shift
    "$wine" "$build/cli/quellarin-render.exe" "$@" --output "Z:$work/$name.bmp" >/dev/null
    for _ in $(seq 50); do
        import -display "$DISPLAY" -window root -crop "640x640+$client_x+$client_y" +repage "$work/shot.png"
        differing=$(compare -metric AE "$work/$name.bmp" "$work/shot.png" null: 2>&1)
        [ "$differing" = 0 ] && break
        sleep 0.3
    done
    verdict "$differing" "$name: $differing pixels differ"
}

"$wine" "$build/shell/quellarin.exe" &
viewer=$!
IFS='x+' read -r width height left top < <(shot rect)
read -r client_x client_y < <(shot client)
# Centred on the 1024 x 768 virtual desktop of the test prefix.
[ "$left $top" = "$((512 - width / 2)) $((384 - height / 2))" ]
verdict $? "window at $left,$top is not centred (${width}x$height)"
expect_view start

timeout 20 "$wine" "$build/shell/quellarin.exe"
verdict $? "a second start did not end at once with 0"
[ "$(shot count)" = 1 ] && kill -0 "$viewer"
verdict $? "not the one window of the first instance"

# 160 px right and 80 px up: the centre moves left and down.
xdotool mousemove $(at 300 300) mousedown 1 sleep 0.1 mousemove $(at 380 260) sleep 0.1 \
    mousemove $(at 460 220) sleep 0.1 mouseup 1
expect_view drag --center-x -1 --center-y -0.5
xdotool click 4
expect_view wheel --center-x -1 --center-y -0.5 --radius 1

# The dialog opens on the figure list; Tab selects each edit's text to type over.
xdotool click 3
shot dialog
verdict $? "no parameter dialog"
xdotool key Tab type -- -0.75
xdotool key Tab type 0.1
xdotool key Tab type 0.25
xdotool key Tab type 500
xdotool key Tab Home Down Down Down Tab space Return
report=$(shot report)
[[ $report =~ ^[0-9]+ミリ秒$ ]]
verdict $? "time report '$report'"
xdotool key Return
expect_view dialog --center-x -0.75 --center-y 0.1 --radius 0.25 --iterations 500 --palette 3

xdotool key alt+F4
wait "$viewer"
verdict $? "exit code after Alt+F4"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]

# Shared by the scripts that run the program under Wine: a private prefix
# copied from a template, on a private Xvfb display. Source it, then call
# wine_env_start TEMPLATE; wine_env_stop runs on exit.
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver64
export WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES="mscoree,mshtml=" LANG=C.UTF-8 LC_ALL=C.UTF-8
wine_env_here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
wine_prefix=
wine_xvfb_pid=

wine_env_stop() {
    if [ -n "$wine_prefix" ]; then
        WINEPREFIX=$wine_prefix "$wineserver" -k 2>/dev/null
        # Nothing that ran in this prefix may outlive it.
        for _ in $(seq 50); do
            pgrep -f -- "$wine_prefix" >/dev/null 2>&1 || break
            sleep 0.1
        done
        rm -rf "$wine_prefix"
    fi
    if [ -n "$wine_xvfb_pid" ]; then
        kill "$wine_xvfb_pid" 2>/dev/null
        wait "$wine_xvfb_pid" 2>/dev/null
    fi
    wine_prefix=
    wine_xvfb_pid=
}

# usage: wine_env_start TEMPLATE [display]   ("display" keeps $DISPLAY instead of a private Xvfb)
wine_env_start() {
    "$wine_env_here/make-prefix" "$1" || return 1
    wine_prefix=$(mktemp -d "${TMPDIR:-/tmp}/quellarin-wine.XXXXXX")
    trap wine_env_stop EXIT
    trap 'exit 130' INT TERM HUP
    cp -a "$1/." "$wine_prefix/"
    export WINEPREFIX=$wine_prefix
    [ "${2:-}" = display ] && return 0
    # Xvfb picks a free display number and writes it to fd 7.
    local display_file=$wine_prefix/display
    Xvfb -displayfd 7 -screen 0 1024x768x24 -nolisten tcp 7>"$display_file" 2>/dev/null &
    wine_xvfb_pid=$!
    for _ in $(seq 100); do [ -s "$display_file" ] && break; sleep 0.05; done
    [ -s "$display_file" ] || { echo "Xvfb did not start" >&2; return 1; }
    export DISPLAY=:$(cat "$display_file")
}

# The build tree (the folder with CMakeCache.txt) that holds a file.
build_tree_of() {
    local dir
    dir=$(cd "$(dirname "$1")" && pwd)
    while [ "$dir" != / ] && [ ! -f "$dir/CMakeCache.txt" ]; do dir=$(dirname "$dir"); done
    echo "$dir"
}

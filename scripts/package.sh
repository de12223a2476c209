#!/bin/bash
# make package: builds the native and the Windows programs through their
# presets, packs each with cpack and leaves both archives in build/packages/:
# quellarin-VERSION-win64.zip (quellarin.exe, quellarin-render.exe, README.md,
# LICENSE) and quellarin-render-VERSION-Linux-ARCH.tar.gz (bin/quellarin-render
# and the notes in share/doc/quellarin/). Prints their paths.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
out=build/packages

# usage: step WHAT COMMAND...: runs COMMAND quietly, or shows its output and stops.
step() {
    local what=$1 log
    shift
    log=$("$@" 2>&1) || { echo "$what failed:"; echo "$log" | tail -30; exit 1; }
}

rm -rf "$out"
mkdir -p "$out"
step "building GMP and MPFR for mingw-w64" scripts/mingw-deps.sh
for preset in native windows; do
    step "configuring $preset" cmake --preset "$preset"
    step "building $preset" cmake --build --preset "$preset"
    step "packing $preset" cpack --config "build/$preset/CPackConfig.cmake" -B "$out"
done
rm -rf "$out/_CPack_Packages"
ls -1 "$out"/*.zip "$out"/*.tar.gz

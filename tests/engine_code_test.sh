#!/bin/sh
# Reads a library's machine code (the engine's or the deep library's): no
# fused multiply-add anywhere (it rounds once where the definition rounds
# twice), the AVX-512 kernel present, and with --unaligned no aligned vector
# move, which would fault on a spill slot that the Windows x64 stack, aligned
# to 16 bytes only, leaves misaligned for 32- and 64-byte vectors.
# usage: engine_code_test.sh OBJDUMP LIBRARY [--unaligned]
set -u
code=$("$1" -d --no-show-raw-insn "$2") || exit 2
failed=0
# expect PATTERN COUNT WHAT: fails when the lines matching PATTERN are not COUNT (none) or are none (some).
expect() {
    hits=$(printf '%s\n' "$code" | grep -cE "$1")
    if { [ "$2" = none ] && [ "$hits" -ne 0 ]; } || { [ "$2" = some ] && [ "$hits" -eq 0 ]; }; then
        echo "FAIL: $3 ($hits lines)"
        printf '%s\n' "$code" | grep -E "$1" | head -n 3
        failed=1
    fi
}
expect '[[:space:]]vfn?m(add|sub)' none "fused multiply-add"
expect '%zmm' some "AVX-512 kernel"
[ "${3-}" = --unaligned ] && expect '[[:space:]]v?mov(ap[sd]|dqa(32|64)?)[[:space:]].*\(' none "aligned vector move to or from memory"
exit $failed

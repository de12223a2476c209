#!/bin/bash
# Static GMP and MPFR for x86_64-w64-mingw32, built from Debian 12's own
# source packages at the versions that libgmp-dev and libmpfr-dev install
# natively, so that quellarin-render.exe runs the same arithmetic as the
# Linux build. Debian ships neither library for mingw-w64.
#
# usage: scripts/mingw-deps.sh [PREFIX]     builds if needed, prints PREFIX
#        scripts/mingw-deps.sh --print-prefix   prints the default PREFIX only
#
# PREFIX receives include/{gmp.h,mpfr.h,mpf2mpfr.h}, lib/{libgmp.a,libmpfr.a},
# the licences under share/licenses, and a stamp naming the versions and
# flags. A PREFIX whose stamp matches is left alone, so calling this on every
# build costs nothing. The default lives in the user's cache, outside the
# work tree: every clone on a machine shares one build, and a fresh machine
# makes it once (about 5 minutes on 2 cores). Progress goes to standard
# error, one line per step; standard output gets PREFIX alone, for
#   cmake -DQUELLARIN_MINGW_DEPS="$(scripts/mingw-deps.sh)" ...
set -eu -o pipefail

# Keep these equal to the Debian 12 versions of libgmp-dev and libmpfr-dev
# (source package versions, as `apt-cache showsrc gmp mpfr4` gives them).
gmp_version=2:6.2.1+dfsg1-1.1
mpfr_version=4.2.0-1

host=x86_64-w64-mingw32
cc=$host-gcc-posix
# Debian's amd64 build uses --disable-fat, which gives GMP's generic x86-64
# assembly (mpn/x86_64/k8, baseline instructions only); --host without a CPU
# name selects exactly that, so the .exe runs on every x86-64 processor and
# does the same limb arithmetic as the native library. -O3 as Debian uses.
gmp_flags="--host=$host --disable-shared --enable-static --disable-cxx --disable-dependency-tracking CC=$cc CFLAGS=-O3"
# Thread-safe (thread-local caches and flags) as Debian's libmpfr is; asked
# for explicitly so that configure fails rather than quietly dropping it.
mpfr_flags="--host=$host --disable-shared --enable-static --enable-thread-safe --disable-dependency-tracking CC=$cc CFLAGS=-O3"
stamp_text="gmp $gmp_version
mpfr4 $mpfr_version
gmp-configure $gmp_flags
mpfr-configure $mpfr_flags"

root=$(cd "$(dirname "$0")/.." && pwd)
exec 3>&2  # progress, also while a step's output goes to its log
say() { echo "mingw-deps: $*" >&3; }
die() { say "error: $*"; exit 1; }

bare() { v=${1#*:}; echo "$v"; }  # a version without its epoch
cache=${XDG_CACHE_HOME:-${HOME:-}/.cache}
[ "$cache" != /.cache ] || [ -n "${1-}" ] || die "neither XDG_CACHE_HOME nor HOME is set: pass PREFIX"
default_prefix=$cache/quellarin/mingw-deps-gmp-$(bare "$gmp_version")-mpfr-$(bare "$mpfr_version")
if [ "${1-}" = --print-prefix ]; then
    echo "$default_prefix"
    exit 0
fi
[ $# -le 1 ] || die "usage: $0 [PREFIX]"
prefix=${1:-$default_prefix}
case $prefix in
    /*) ;;
    *) prefix=$PWD/$prefix ;;
esac
prefix=${prefix%/}
[ -n "$prefix" ] || die "PREFIX must not be /"

complete() {
    local f
    for f in include/gmp.h include/mpfr.h include/mpf2mpfr.h lib/libgmp.a lib/libmpfr.a; do
        [ -f "$1/$f" ] || return 1
    done
    [ "$(cat "$1/mingw-deps.stamp" 2>/dev/null)" = "$stamp_text" ]
}
if complete "$prefix"; then
    say "$prefix is up to date (gmp $gmp_version, mpfr4 $mpfr_version)"
    echo "$prefix"
    exit 0
fi

# One build per PREFIX at a time: two clones' CI runs may start together.
mkdir -p "$(dirname "$prefix")"
exec 9>"$prefix.lock"
if ! flock -n 9; then
    say "waiting for another build of $prefix"
    flock 9
fi
if complete "$prefix"; then
    say "$prefix was built meanwhile"
    echo "$prefix"
    exit 0
fi

staging=$prefix.new
tmp=$(mktemp -d "${TMPDIR:-/tmp}/mingw-deps.XXXXXX")
log=
on_exit() {
    local status=$?
    if [ "$status" -eq 130 ]; then
        [ -z "$log" ] || echo >&3
        say "interrupted; $prefix is as it was"
    elif [ "$status" -ne 0 ] && [ -n "$log" ]; then
        echo "failed" >&3
        say "the end of its log:"
        tail -n 40 "$log" >&3
    fi
    rm -rf "$tmp" "$staging"
    exit "$status"
}
trap on_exit EXIT
trap 'exit 130' INT TERM HUP
rm -rf "$staging"

# step NAME: one progress line, finished by end_step with the time taken;
# the step's own output goes to a log shown only if it fails.
exec 4>&1
step() {
    printf 'mingw-deps: %s... ' "$1" >&3
    log=$tmp/$(echo "$1" | tr -c 'a-zA-Z0-9\n' '-').log
    exec >"$log" 2>&1
    started=$SECONDS
}
end_step() {  # [DETAIL]
    exec >&4 2>&3
    echo "$((SECONDS - started)) s${1:+ ($1)}" >&3
    log=
}

say "gmp $gmp_version and mpfr4 $mpfr_version for $host into $prefix"
# A native libgmp-dev or libmpfr-dev of other versions means the pins above
# are stale: the two builds would no longer run the same code.
check_native() {
    local v
    v=$(dpkg-query -W -f='${db:Status-Abbrev} ${source:Version}' "$1" 2>/dev/null) || return 0
    case $v in
        ii*) v=${v##* }
            [ "$v" = "$2" ] || say "warning: native $1 is $v, this builds $2: update the versions in $0" ;;
    esac
}
check_native libgmp-dev "$gmp_version"
check_native libmpfr-dev "$mpfr_version"

step "packages"
# dpkg-dev unpacks and patches the sources; GMP's Debian patches change its
# configure.ac and Makefile.am, so it is regenerated as Debian does; GMP
# compiles its table generators with the native gcc.
sh "$root/scripts/ensure-packages.sh" debian-archive-keyring dpkg-dev \
    m4 autoconf automake libtool make gcc libc6-dev g++-mingw-w64-x86-64-posix
end_step

step "Debian sources"
# A private apt configuration: only deb-src lines, its own lists and cache,
# the system's keyring, so the downloads are verified and the system's apt
# state is untouched.
mkdir -p "$tmp/apt/lists/partial" "$tmp/apt/cache" "$tmp/dl"
keyring=/usr/share/keyrings/debian-archive-keyring.gpg
for suite in "debian bookworm" "debian bookworm-updates" "debian-security bookworm-security"; do
    echo "deb-src [signed-by=$keyring] http://deb.debian.org/${suite% *} ${suite#* } main"
done >"$tmp/apt/sources.list"
apt=(apt-get -q -o Dir::Etc::SourceList="$tmp/apt/sources.list" -o Dir::Etc::SourceParts=/nonexistent
    -o Dir::State::Lists="$tmp/apt/lists" -o Dir::Cache="$tmp/apt/cache")
# apt downloads as _apt when it is root; let it write there.
chmod 755 "$tmp"
if [ "$(id -u)" -eq 0 ] && id _apt >/dev/null 2>&1; then chown _apt "$tmp/dl"; fi
"${apt[@]}" update
(cd "$tmp/dl" && "${apt[@]}" source --download-only "gmp=$gmp_version" "mpfr4=$mpfr_version")
dpkg-source -x "$tmp/dl/gmp_$(bare "$gmp_version").dsc" "$tmp/gmp"
dpkg-source -x "$tmp/dl/mpfr4_$(bare "$mpfr_version").dsc" "$tmp/mpfr"
end_step

build=$(gcc -dumpmachine)
# dash runs configure and libtool's hundreds of invocations markedly faster
# than bash; GMP's build is mostly that overhead.
shell=/bin/sh
[ -x /bin/dash ] && shell=/bin/dash
export CONFIG_SHELL=$shell

step "GMP configure+build"
(cd "$tmp/gmp" && nice -n 10 autoreconf -f -i)
t1=$SECONDS
mkdir "$tmp/gmp-build"
cd "$tmp/gmp-build"
# shellcheck disable=SC2086  # the flags are words
nice -n 10 $shell ../gmp/configure --build="$build" CC_FOR_BUILD=gcc $gmp_flags
t2=$SECONDS
# Only the library: its tests are built by `make check`, Debian's source has
# no manual, and the C++ class library is off.
nice -n 10 make -j2
mkdir -p "$staging/include" "$staging/lib" "$staging/share/licenses/gmp"
cp gmp.h "$staging/include/"
cp .libs/libgmp.a "$staging/lib/"
cp ../gmp/COPYING* ../gmp/debian/copyright "$staging/share/licenses/gmp/"
end_step "autoreconf $((t1 - started)) s, configure $((t2 - t1)) s, make $((SECONDS - t2)) s"

step "MPFR configure+build"
mkdir "$tmp/mpfr-build"
cd "$tmp/mpfr-build"
# shellcheck disable=SC2086
nice -n 10 $shell ../mpfr/configure --build="$build" --with-gmp="$staging" $mpfr_flags
t1=$SECONDS
nice -n 10 make -j2 -C src
mkdir -p "$staging/share/licenses/mpfr"
cp ../mpfr/src/mpfr.h ../mpfr/src/mpf2mpfr.h "$staging/include/"
cp src/.libs/libmpfr.a "$staging/lib/"
cp ../mpfr/COPYING* ../mpfr/debian/copyright "$staging/share/licenses/mpfr/"
end_step "configure $((t1 - started)) s, make $((SECONDS - t1)) s"

step "link check"
cat >"$tmp/check.c" <<'EOF'
#include <mpfr.h>
int main(void) {
    mpfr_t x;
    mpfr_init2(x, 200);
    mpfr_set_ui(x, 2, MPFR_RNDN);
    mpfr_sqrt(x, x, MPFR_RNDN);
    mpfr_sqr(x, x, MPFR_RNDN);
    mpfr_clear(x);
    return !mpfr_buildopt_tls_p();
}
EOF
$cc -static -I"$staging/include" "$tmp/check.c" -o "$tmp/check.exe" -L"$staging/lib" -lmpfr -lgmp
printf '%s\n' "$stamp_text" >"$staging/mingw-deps.stamp"
end_step

# Swap the finished prefix in; a reader sees the old one, none, or the new one.
rm -rf "$prefix.old"
if [ -e "$prefix" ]; then mv "$prefix" "$prefix.old"; fi
mv "$staging" "$prefix"
rm -rf "$prefix.old"
say "installed in $prefix ($SECONDS s)"
echo "$prefix"

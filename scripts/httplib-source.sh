#!/bin/bash
# cpp-httplib, header-only, from Debian 12's own source package (the version
# libcpp-httplib-dev installs, with Debian's security patches applied).
# Debian's binary package splits the library into a header and a shared
# library built with its own limits (a request line of 8 KiB), and ships
# nothing for mingw-w64; the single header builds for both platforms with
# the limits the server sets.
#
# usage: scripts/httplib-source.sh [PREFIX]   fetches if needed, prints PREFIX
#
# PREFIX receives include/httplib.h, share/licenses/cpp-httplib/LICENSE and
# a stamp naming the version. The default lives in the user's cache, outside
# the work tree, shared by every clone. Progress goes to standard error.
set -eu -o pipefail

version=0.11.4+ds-1+deb12u1
pool=http://deb.debian.org/debian/pool/main/c/cpp-httplib
# The source package's files, by the SHA-256 sums its .dsc (signed by the
# Debian security team) gives them.
dsc=cpp-httplib_$version.dsc
dsc_sum=a4dde747bbde7cc9fa62cdf50d61140a0eaefb7f1383497ef2d48daf3bf5f9ec
orig=cpp-httplib_0.11.4+ds.orig.tar.xz
orig_sum=8b1a5df569003b6a4f24c68489bbda5c64aec94697bdc9ebba5d79408b2ae7eb
debian=cpp-httplib_$version.debian.tar.xz
debian_sum=a0adf8a38610806f6d94ba69839438635e5e6580775e28ff31d6a081e34f1484

prefix=${1:-${XDG_CACHE_HOME:-$HOME/.cache}/quellarin/cpp-httplib-$version}
stamp="cpp-httplib $version"
if [ -f "$prefix/stamp" ] && [ "$(cat "$prefix/stamp")" = "$stamp" ] && [ -f "$prefix/include/httplib.h" ]; then
    echo "httplib-source: $prefix is up to date ($stamp)" >&2
    echo "$prefix"
    exit 0
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
for entry in "$dsc $dsc_sum" "$orig $orig_sum" "$debian $debian_sum"; do
    read -r file sum <<<"$entry"
    echo "httplib-source: fetching $file" >&2
    curl -fsS --retry 3 -o "$file" "$pool/$file"
    echo "$sum  $file" | sha256sum -c --quiet - >&2
    # The tarballs are the ones the .dsc names, by its own sums too.
    [ "$file" = "$dsc" ] || grep -q "^ $sum [0-9]* $file\$" "$dsc"
done
mkdir source
tar -xf "$orig" -C source --strip-components=1
tar -xf "$debian" -C source
(cd source && while read -r p; do
    [ -n "$p" ] && [ "${p#\#}" = "$p" ] && patch -s -p1 <"debian/patches/$p"
done <debian/patches/series)
rm -rf "$prefix"
mkdir -p "$prefix/include" "$prefix/share/licenses/cpp-httplib"
cp source/httplib.h "$prefix/include/"
cp source/LICENSE "$prefix/share/licenses/cpp-httplib/"
echo "$stamp" >"$prefix/stamp"
echo "httplib-source: $prefix ready" >&2
echo "$prefix"

#!/bin/sh
# Installs the Debian packages named on the command line that are missing.
# As root it runs apt-get; otherwise it prints the exact command and fails.
missing=
for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing="$missing $package"
done
[ -z "$missing" ] && exit 0
command="apt-get install -y --no-install-recommends$missing"
if [ "$(id -u)" -ne 0 ]; then
    echo "Missing Debian packages. Run as root:"
    echo "  apt-get update && $command"
    exit 1
fi
echo "Installing:$missing"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq >/dev/null && $command >/dev/null || { echo "apt-get failed: $command"; exit 1; }

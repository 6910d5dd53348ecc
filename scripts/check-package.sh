#!/usr/bin/env bash
# Checks the Debian package of a build folder: unpacks it into a temporary folder and checks
# the tree as an installed copy (tests/packaging/check_installed_tree.sh), then shows the
# dependencies dpkg-shlibdeps worked out.
set -euo pipefail
build=${1:-build}
root=$(cd "$(dirname "$0")/.." && pwd)
deb=$(ls -t "$build"/nulo-vandrel_*.deb 2>/dev/null | head -n 1)
[ -n "$deb" ] || { echo "no package in $build" >&2; exit 1; }
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb -x "$deb" "$unpacked"
"$root/tests/packaging/check_installed_tree.sh" "$unpacked" /usr
echo "$deb"
echo "Depends: $(dpkg-deb -f "$deb" Depends)"

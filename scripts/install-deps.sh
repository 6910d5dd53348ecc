#!/usr/bin/env bash
# Installs the system packages the build and the tests need, when they are missing.
# Usage: scripts/install-deps.sh [run|test|dev]
#   run   what building and starting the program needs
#   test  the above plus the test and benchmark libraries, the checkers of the installed files
#         and the package builder
#   dev   the above plus the tools that regenerate fixtures and run fuzzers
set -euo pipefail
mode=${1:-test}

# cmark turns the README's sections into the user guide that is built with the program.
run_pkgs=(build-essential cmake ninja-build pkg-config qt6-base-dev libgl-dev
          libcurl4-openssl-dev libarchive-dev libsodium-dev ca-certificates cmark)
# desktop-file-utils, appstream and man-db check the installed files; dpkg-dev makes the package.
test_pkgs=(libgtest-dev libgmock-dev libbenchmark-dev libjpeg-turbo-progs fonts-dejavu-core
           minisign python3-pil imagemagick desktop-file-utils appstream man-db dpkg-dev)
# librsvg2-bin renders the icon's PNG files from its drawings.
dev_pkgs=(clang libclang-rt-dev xvfb x11-apps openbox
          binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
          libcurl4-doc clang-format librsvg2-bin)

pkgs=("${run_pkgs[@]}")
[ "$mode" = test ] || [ "$mode" = dev ] && pkgs+=("${test_pkgs[@]}")
[ "$mode" = dev ] && pkgs+=("${dev_pkgs[@]}")

# Debian names the IJG release 6 interface libjpeg62-turbo-dev; elsewhere libjpeg-dev carries it.
if apt-cache show libjpeg62-turbo-dev >/dev/null 2>&1; then
    pkgs+=(libjpeg62-turbo-dev)
else
    pkgs+=(libjpeg-dev)
fi

missing=()
for p in "${pkgs[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"

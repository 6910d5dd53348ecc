#!/usr/bin/env bash
# Renders the application icon's PNG files from its drawings: nulo_vandrel-small.svg (bolder
# lines, for 16 to 24 pixels) and nulo_vandrel.svg (32 pixels and up, and the scalable icon).
# The PNG files are committed; run this after changing a drawing. Needs rsvg-convert
# (librsvg2-bin, installed by scripts/install-deps.sh dev).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
id=example.halvorn_software.Nulo_Vandrel
for size in 16 22 24 32 48 64 128 256; do
    drawing=nulo_vandrel.svg
    [ "$size" -le 24 ] && drawing=nulo_vandrel-small.svg
    out="$here/hicolor/${size}x${size}/apps"
    mkdir -p "$out"
    rsvg-convert -w "$size" -h "$size" "$here/$drawing" -o "$out/$id.png"
done

#!/usr/bin/env bash
# Starts the program with a copy of the bundled sample map loaded (in the build folder, so
# that the world file written beside it stays there). Without a display it runs the
# command-line form on that copy instead and prints the world file it wrote.
set -euo pipefail
build=${1:-build}
root=$(cd "$(dirname "$0")/.." && pwd)
work="$build/sample"
mkdir -p "$work"
cp "$root/data/sample/sample_map.jpg" "$work/"
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    echo "The sample map's control points: $root/data/sample/control_points.txt"
    exec "$build/Nulo_Vandrel" "$work/sample_map.jpg"
fi
echo "No display: creating the world file of the sample map from the command line instead."
mapfile -t points < <(grep -v '^#' "$root/data/sample/control_points.txt" | grep .)
args=()
for p in "${points[@]}"; do args+=(--point "$p"); done
"$build/Nulo_Vandrel" --world-file "$work/sample_map.jpg" "${args[@]}" --overwrite
echo "--- $work/sample_map.JGW"
cat "$work/sample_map.JGW"
echo

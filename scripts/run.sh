#!/usr/bin/env bash
# Starts the program. Without a display it runs the command-line form on the bundled sample
# map instead and prints the world file it wrote.
set -euo pipefail
build=${1:-build}
root=$(cd "$(dirname "$0")/.." && pwd)
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    exec "$build/Nulo_Vandrel"
fi
echo "No display: creating the world file of the sample map from the command line instead."
work="$build/sample"
mkdir -p "$work"
cp "$root/data/sample/sample_map.jpg" "$work/"
mapfile -t points < <(grep -v '^#' "$root/data/sample/control_points.txt" | grep .)
args=()
for p in "${points[@]}"; do args+=(--point "$p"); done
"$build/Nulo_Vandrel" --world-file "$work/sample_map.jpg" "${args[@]}" --overwrite
echo "--- $work/sample_map.JGW"
cat "$work/sample_map.JGW"
echo

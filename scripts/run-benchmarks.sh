#!/usr/bin/env bash
# Runs every benchmark executable (bench_*) of a build folder. Each prints its headline
# figures as ratios against a baseline measured in the same run.
set -euo pipefail
build=${1:-build}
status=0
for b in "$build"/bench_*; do
    [ -x "$b" ] || continue
    echo "== $(basename "$b")"
    QT_QPA_PLATFORM=offscreen "$b" || status=1
done
exit $status

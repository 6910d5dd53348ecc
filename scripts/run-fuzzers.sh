#!/usr/bin/env bash
# Runs every libFuzzer target (fuzz_*) of a fuzz build for the given number of seconds, each
# on a copy of its seed corpus (fuzz/<subsystem>/corpus/<target>/ when present).
set -euo pipefail
build=${1:-build-fuzz}
seconds=${2:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
status=0
for f in "$build"/fuzz_*; do
    [ -x "$f" ] || continue
    name=$(basename "$f")
    work="$build/corpus/$name"
    mkdir -p "$work"
    for seeds in "$root"/fuzz/*/corpus/"${name#fuzz_}"; do
        [ -d "$seeds" ] && cp -n "$seeds"/* "$work"/ 2>/dev/null || true
    done
    echo "== $name for ${seconds}s"
    "$f" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 "$work" \
        2>"$build/$name.log" || { status=1; tail -n 40 "$build/$name.log"; }
    grep -E '^(#[0-9]+ *DONE|Done)' "$build/$name.log" | tail -n 1 || true
done
exit $status

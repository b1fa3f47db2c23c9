#!/usr/bin/env bash
# Runs every libFuzzer target for N seconds (default 30) on its seed corpus.
# Build first: cmake --preset fuzz && cmake --build build/fuzz
# New inputs go to build/fuzz/corpus-<target>, so the seed corpus in the repository stays small;
# crashes are written to build/fuzz/artifacts/ and fail the run.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
status=0
mkdir -p build/fuzz/artifacts
for exe in build/fuzz/fuzz/fuzz_*; do
    [ -x "$exe" ] || continue
    name=$(basename "$exe")
    seeds="fuzz/corpus/${name#fuzz_}"
    work="build/fuzz/corpus-${name#fuzz_}"
    mkdir -p "$work"
    echo "fuzz: $name for ${seconds}s"
    if ! "$exe" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
            -artifact_prefix=build/fuzz/artifacts/"$name"- "$work" "$seeds" >"build/fuzz/$name.log" 2>&1; then
        tail -40 "build/fuzz/$name.log"
        status=1
    else
        grep -E '^stat::number_of_executed_units|^Done' "build/fuzz/$name.log" | head -2
    fi
done
exit $status

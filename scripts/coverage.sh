#!/usr/bin/env bash
# Line coverage of the portable sources by the native tests: builds the `coverage` preset,
# runs its tests and prints gcovr's per-file summary (Windows back ends left out).
# Counters are updated atomically: some tests run threads, and torn counts break gcov.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc 2>/dev/null || echo 2)
command -v gcovr >/dev/null || apt-get install -y -qq gcovr >/dev/null
cmake --preset coverage >/dev/null
cmake --build build/coverage -j "$jobs"
find build/coverage -name '*.gcda' -delete
ctest --test-dir build/coverage -j "$jobs" --output-on-failure
gcovr -r . --filter 'src/' --exclude '.*/win/.*' build/coverage

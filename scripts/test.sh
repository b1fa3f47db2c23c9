#!/usr/bin/env bash
# Runs every test of Quarvex from nothing: installs the tools, checks the layer order of the
# includes, then builds and tests
#   1. native (g++), 2. native with AddressSanitizer + UBSan (and the scanner tests with
#   ThreadSanitizer, since the walk runs on several threads), 3. the 32-bit Windows build
#   (built; its tests need a 32-bit Wine), 4. a libFuzzer smoke run of every fuzz target,
#   5. the 64-bit Windows build with its tests under Wine (and Xvfb for windows).
# Exits non-zero on the first failure. FUZZ_SECONDS (default 30) sets the fuzz time per target.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
jobs=$(nproc 2>/dev/null || echo 2)
fuzz_seconds=${FUZZ_SECONDS:-30}

step() { printf '\n=== %s ===\n' "$*"; }

step "dependencies"
bash scripts/deps.sh

configure() {  # configure PRESET [extra cmake args]
    local preset=$1; shift
    cmake --preset "$preset" -DQV_WERROR=ON "$@" >"build-$preset.log" 2>&1 || { cat "build-$preset.log"; exit 1; }
    rm -f "build-$preset.log"
}

step "layer order"
bash scripts/check-layers.sh

step "native build"
configure native
cmake --build build/native -j "$jobs"

step "native-asan build"
configure native-asan
cmake --build build/native-asan -j "$jobs"

step "native-tsan build (scanner tests only)"
configure native-tsan
cmake --build build/native-tsan -j "$jobs" --target scanner_test

step "win32 build"
configure win32
cmake --build build/win32 -j "$jobs"
echo "win32: built; its tests are not run because this machine has no 32-bit Wine (wine32 does not install here)"

step "win64 build"
configure win64
cmake --build build/win64 -j "$jobs"

step "fuzz smoke (${fuzz_seconds}s per target)"
configure fuzz
cmake --build build/fuzz -j "$jobs"
bash scripts/fuzz.sh "$fuzz_seconds"

step "native tests"
ctest --test-dir build/native --output-on-failure -j "$jobs"

step "native-asan tests"
ASAN_OPTIONS=detect_leaks=1 ctest --test-dir build/native-asan --output-on-failure -j "$jobs"

step "native-tsan tests (scanner)"
TSAN_OPTIONS=halt_on_error=1 build/native-tsan/tests/core/scanner_test

step "win64 tests under Wine"
xvfb-run -a -s "-screen 0 1280x1024x24" bash scripts/wine-tests.sh build/win64

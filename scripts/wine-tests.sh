#!/usr/bin/env bash
# Runs the tests of a Windows build folder (default build/win64) under Wine. Call it inside an
# X display (xvfb-run) so the window tests can create windows.
#
# Wine starts helper processes (services, device drivers) on first use. Started from inside a
# test they would inherit CTest's output pipe and keep it open after the test exits, so CTest
# would wait for them until its timeout. So one persistent server is started here and booted
# with its output going nowhere; the tests then find everything running.
set -u
cd "$(dirname "$0")/.."
build=${1:-build/win64}
export WINEPREFIX="$PWD/$build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
bash scripts/desktop-home.sh || exit 1
# The print test prints on a PDF printer; without one it is skipped.
bash scripts/pdf-printer.sh || echo "wine-tests: no PDF printer; the print test will be skipped"
wineserver -k >/dev/null 2>&1 || true
wineserver -p >/dev/null 2>&1 || true
wineboot -u >/dev/null 2>&1 </dev/null || true
ctest --test-dir "$build" --output-on-failure -j 2 </dev/null
status=$?
wineserver -k >/dev/null 2>&1 || true
exit $status

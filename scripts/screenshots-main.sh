#!/usr/bin/env bash
# Screenshots (PNG) of the main window with a report of FOLDER, plain and with the report tree's
# context menu open, taken under Xvfb in a Wine virtual desktop (so the frame has its caption).
#   scripts/screenshots-main.sh OUTDIR [FOLDER]
# FOLDER defaults to the repository's src folder. QV_BUILD_DIR picks the build (default build/win64).
set -euo pipefail
# shellcheck source=scripts/screenshot-lib.sh
source "$(dirname "$0")/screenshot-lib.sh"
qv_shot_args "OUTDIR [FOLDER]" "" "$@"
items=("$(realpath -m "${items[0]:-$root/src}")")

if [ "${QV_SCREENSHOT_INNER:-}" = 1 ]; then
    qv_shot_inner
    winfolder=$(winepath -w "${items[0]}")
    for mode in window menu; do
        qv_shot "$out/main-$mode.png" 600 "the main window ($mode) did not show" \
            "$build/demos/qv-main-demo.exe" "$winfolder" "$mode"  # up to 60 s: the scan comes first
    done
    exit $status
fi

bash "$root/scripts/deps.sh"
qv_shot_outer qv-main-demo

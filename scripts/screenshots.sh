#!/usr/bin/env bash
# Takes a PNG screenshot of each of the program's windows, shown one after another by qv-demo.exe
# under Xvfb and Wine (in a Wine virtual desktop, so windows get frames), into OUTDIR.
#
#   scripts/screenshots.sh OUTDIR [WINDOW...]
#
# WINDOW names a demo of demos/ToolkitDemo.cpp (default: message tools progress settings; also
# editor, editor-view, browser and browser-tree, the two filter windows; attributes,
# attributes-change, datetime, temp-folders and list-of-files, the file tools); a
# name the demo does not know is reported and skipped, a window that never shows fails the run. Builds the win64 preset first when
# needed; QV_BUILD_DIR picks another build folder.
set -euo pipefail
# shellcheck source=scripts/screenshot-lib.sh
source "$(dirname "$0")/screenshot-lib.sh"
qv_shot_args "OUTDIR [WINDOW...]" "message tools progress settings" "$@"

# Inside Xvfb: one window after another.
if [ "${QV_SCREENSHOT_INNER:-}" = 1 ]; then
    qv_shot_inner
    for name in "${items[@]}"; do
        qv_shot "$out/$name.png" 300 "'$name' did not show" "$build/demos/qv-demo.exe" "$name"  # up to 30 s
    done
    exit $status
fi

bash "$root/scripts/deps.sh"
qv_shot_outer qv-demo

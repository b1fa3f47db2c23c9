#!/usr/bin/env bash
# Takes PNG screenshots of the report window and the folder info panel on a scanned scratch
# folder tree, shown by qv-reportview-demo.exe under Xvfb and Wine, into OUTDIR.
#
#   scripts/reportview-screenshots.sh OUTDIR [MODE...]
#
# MODE is one of window, files, menu, nolist, notes, whatsnew, whatsnew-tree (default: all); see
# ReportViewDemo.cpp.
# Builds the demo first when needed; QV_BUILD_DIR picks the build folder (default build/win64).
set -euo pipefail
# shellcheck source=scripts/screenshot-lib.sh
source "$(dirname "$0")/screenshot-lib.sh"
qv_shot_args "OUTDIR [MODE...]" "window files menu nolist notes whatsnew whatsnew-tree" "$@"

# Inside Xvfb: one picture per mode, each of the same scratch tree made afresh (the "whatsnew"
# modes change it).
if [ "${QV_SCREENSHOT_INNER:-}" = 1 ]; then
    qv_shot_inner
    tree=$work/Projects
    make_tree() {
        rm -rf "$tree"
        mkdir -p "$tree"/{Photos/2023,Photos/2024,Music,Documents/Old,Build/obj,Downloads}
        head -c 3000000 /dev/zero >"$tree/Photos/2023/beach.jpg"
        head -c 1200000 /dev/zero >"$tree/Photos/2024/city.jpg"
        head -c 800000 /dev/zero >"$tree/Music/track.mp3"
        head -c 20000 /dev/zero >"$tree/Documents/letter.txt"
        head -c 5000 /dev/zero >"$tree/Documents/Old/notes.doc"
        head -c 400000 /dev/zero >"$tree/Build/obj/main.tmp"
        head -c 250000 /dev/zero >"$tree/Build/tool.exe"
        head -c 90000 /dev/zero >"$tree/Downloads/setup.zip"
        head -c 700 /dev/zero >"$tree/readme.txt"
    }
    for mode in "${items[@]}"; do
        make_tree
        qv_shot "$out/reportview-$mode.png" 300 "mode '$mode' did not show" \
            "$build/demos/qv-reportview-demo.exe" "$mode" "Z:${tree//\//\\}"  # up to 30 s
    done
    exit $status
fi

qv_shot_outer qv-reportview-demo

#!/usr/bin/env bash
# Takes PNG screenshots of the report window and the folder info panel on a scanned scratch
# folder tree, shown by qv-reportview-demo.exe under Xvfb and Wine, into OUTDIR.
#
#   scripts/reportview-screenshots.sh OUTDIR [MODE...]
#
# MODE is one of window, files, menu, nolist (default: all four); see ReportViewDemo.cpp.
# Builds the demo first when needed; QV_BUILD_DIR picks the build folder (default build/win64).
set -euo pipefail

if [ $# -lt 1 ]; then
    echo "usage: $0 OUTDIR [MODE...]" >&2
    exit 1
fi
root=$(cd "$(dirname "$0")/.." && pwd)
out=$(realpath -m "$1")
shift
modes=("$@")
[ ${#modes[@]} -eq 0 ] && modes=(window files menu nolist)
build=$(realpath -m "${QV_BUILD_DIR:-$root/build/win64}")
prefix=$build/wineprefix
demo=$build/src/view/win/qv-reportview-demo.exe

# Inside Xvfb: one picture per mode, of the same scratch tree.
if [ "${QV_SCREENSHOT_INNER:-}" = 1 ]; then
    export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
    tree=$work/Projects
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
    status=0
    for mode in "${modes[@]}"; do
        ready=$work/$mode.ready
        quit=$work/$mode.quit
        wine explorer /desktop=quarvex,1024x768 "$demo" "$mode" "Z:${tree//\//\\}" "Z:$ready" "Z:$quit" >/dev/null 2>&1 &
        pid=$!
        for _ in $(seq 1 300); do  # up to 30 s
            [ -f "$ready" ] && break
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
        if [ -f "$ready" ]; then
            import -window root "$out/reportview-$mode.png"
            echo "screenshots: $out/reportview-$mode.png"
        else
            echo "screenshots: mode '$mode' did not show" >&2
            status=1
        fi
        touch "$quit"
        for _ in $(seq 1 100); do  # up to 10 s for the demo to close
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
        wineserver -w
    done
    exit $status
fi

if [ ! -f "$build/build.ninja" ]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw64.cmake" \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" --target qv-reportview-demo -j 2 >/dev/null
if [ ! -f "$prefix/system.reg" ]; then
    WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" wineboot -i >/dev/null 2>&1 || true
fi
mkdir -p "$out"
QV_SCREENSHOT_INNER=1 QV_BUILD_DIR="$build" xvfb-run -a -s "-screen 0 1024x768x24" \
    bash "$0" "$out" "${modes[@]}"

#!/usr/bin/env bash
# Screenshots (PNG) of the main window with a report of FOLDER, plain and with the report tree's
# context menu open, taken under Xvfb in a Wine virtual desktop (so the frame has its caption).
#   scripts/screenshots-main.sh OUTDIR [FOLDER]
# FOLDER defaults to the repository's src folder. QV_BUILD_DIR picks the build (default build/win64).
set -euo pipefail
if [ $# -lt 1 ]; then
    echo "usage: $0 OUTDIR [FOLDER]" >&2
    exit 1
fi
root=$(cd "$(dirname "$0")/.." && pwd)
out=$(realpath -m "$1")
folder=$(realpath -m "${2:-$root/src}")
build=$(realpath -m "${QV_BUILD_DIR:-$root/build/win64}")
prefix=$build/wineprefix
demo=$build/src/app/qv-main-demo.exe

if [ "${QV_SCREENSHOT_INNER:-}" = 1 ]; then
    export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
    winfolder=$(winepath -w "$folder")
    status=0
    for mode in window menu; do
        ready=$work/$mode.ready
        quit=$work/$mode.quit
        wine explorer /desktop=quarvex,1024x768 "$demo" "$winfolder" "$mode" "Z:$ready" "Z:$quit" >/dev/null 2>&1 &
        pid=$!
        for _ in $(seq 1 600); do  # up to 60 s: the scan comes first
            [ -f "$ready" ] && break
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
        if [ -f "$ready" ]; then
            import -window root "$out/main-$mode.png"
            echo "screenshots: $out/main-$mode.png"
        else
            echo "screenshots: the main window ($mode) did not show" >&2
            status=1
        fi
        touch "$quit"
        for _ in $(seq 1 100); do
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
        wineserver -w
    done
    exit $status
fi

bash "$root/scripts/deps.sh"
if [ ! -f "$build/build.ninja" ]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw64.cmake" \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" --target qv-main-demo -j 2 >/dev/null
if [ ! -f "$prefix/system.reg" ]; then
    WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" wineboot -i >/dev/null 2>&1 || true
fi
mkdir -p "$out"
QV_SCREENSHOT_INNER=1 QV_BUILD_DIR="$build" xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$out" "$folder"

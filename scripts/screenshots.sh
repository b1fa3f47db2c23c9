#!/usr/bin/env bash
# Takes a PNG screenshot of each of the program's windows, shown one after another by qv-demo.exe
# under Xvfb and Wine (in a Wine virtual desktop, so windows get frames), into OUTDIR.
#
#   scripts/screenshots.sh OUTDIR [WINDOW...]
#
# WINDOW names a demo of src/app/ToolkitDemo.cpp (default: message tools progress settings); a
# name the demo does not know is reported and skipped, a window that never shows fails the run. Builds the win64 preset first when
# needed; QV_BUILD_DIR picks another build folder.
set -euo pipefail

if [ $# -lt 1 ]; then
    echo "usage: $0 OUTDIR [WINDOW...]" >&2
    exit 1
fi
root=$(cd "$(dirname "$0")/.." && pwd)
out=$(realpath -m "$1")
shift
windows=("$@")
[ ${#windows[@]} -eq 0 ] && windows=(message tools progress settings)
build=${QV_BUILD_DIR:-$root/build/win64}
build=$(realpath -m "$build")
prefix=$build/wineprefix
demo=$build/src/app/qv-demo.exe

# Inside Xvfb: one window after another.
if [ "${QV_SCREENSHOT_INNER:-}" = 1 ]; then
    export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
    status=0
    for name in "${windows[@]}"; do
        ready=$work/$name.ready
        quit=$work/$name.quit
        wine explorer /desktop=quarvex,1024x768 "$demo" "$name" "Z:$ready" "Z:$quit" >/dev/null 2>&1 &
        pid=$!
        for _ in $(seq 1 300); do  # up to 30 s
            [ -f "$ready" ] || [ -f "$ready.unknown" ] && break
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
        if [ -f "$ready" ]; then
            import -window root "$out/$name.png"
            echo "screenshots: $out/$name.png"
        elif [ -f "$ready.unknown" ]; then
            echo "screenshots: qv-demo has no window '$name'; skipped" >&2
        else
            echo "screenshots: '$name' did not show" >&2
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

bash "$root/scripts/deps.sh"
if [ ! -f "$build/build.ninja" ]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw64.cmake" \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" --target qv-demo -j 2 >/dev/null
if [ ! -f "$prefix/system.reg" ]; then
    WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" wineboot -i >/dev/null 2>&1 || true
fi
mkdir -p "$out"
QV_SCREENSHOT_INNER=1 QV_BUILD_DIR="$build" xvfb-run -a -s "-screen 0 1024x768x24" \
    bash "$0" "$out" "${windows[@]}"

# shellcheck shell=bash
# Shared steps of the screenshot scripts (sourced, not run): read OUTDIR and the rest of the
# arguments, build a demo program, boot its Wine prefix, run the calling script again inside Xvfb,
# and there take one picture per demo window shown in a Wine virtual desktop (so windows get
# frames).
#
# A demo takes its own arguments followed by READY_FILE and QUIT_FILE: it creates READY_FILE once
# its window is painted (READY_FILE.unknown when it has no such window) and exits when QUIT_FILE
# appears.

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# qv_shot_args USAGE DEFAULT ARG...: refuses a call without OUTDIR with "usage: $0 USAGE"; sets out,
# build (QV_BUILD_DIR, default build/win64) and prefix, and `items` to the arguments after OUTDIR,
# or to the words of DEFAULT when there are none.
qv_shot_args() {
    local usage=$1 default=$2
    shift 2
    if [ $# -lt 1 ]; then
        echo "usage: $0 $usage" >&2
        exit 1
    fi
    out=$(realpath -m "$1")
    shift
    items=("$@")
    [ ${#items[@]} -eq 0 ] && read -ra items <<<"$default"
    build=$(realpath -m "${QV_BUILD_DIR:-$root/build/win64}")
    prefix=$build/wineprefix
}

qv_wine_env() {
    bash "$root/scripts/desktop-home.sh"
    export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
}

# Outside Xvfb: builds TARGET when needed, boots the Wine prefix once, then runs the calling script
# again inside Xvfb with QV_SCREENSHOT_INNER=1 and OUTDIR and `items` as its arguments.
qv_shot_outer() {
    local target=$1
    if [ ! -f "$build/build.ninja" ]; then
        cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw64.cmake" \
            -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    fi
    cmake --build "$build" --target "$target" -j 2 >/dev/null
    if [ ! -f "$prefix/system.reg" ]; then
        (qv_wine_env && wineboot -i >/dev/null 2>&1) || true
    fi
    mkdir -p "$out"
    QV_SCREENSHOT_INNER=1 QV_BUILD_DIR="$build" xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$out" "${items[@]}"
}

# Inside Xvfb: sets the Wine environment, a scratch folder `work` that goes when the script ends,
# and `status` 0 until a window fails to show.
qv_shot_inner() {
    qv_wine_env
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
    status=0
}

# qv_shot PNG TENTHS FAILURE DEMO ARG...: starts DEMO with ARG..., waits up to TENTHS tenths of a
# second for its window, saves the screen to PNG and closes the demo. A window the demo does not
# know (ARG's first word) is reported and skipped; one that never shows is reported as
# "screenshots: FAILURE" and sets `status` to 1.
# shellcheck disable=SC2034  # `status` is the caller's exit code
qv_shot() {
    local png=$1 tenths=$2 failure=$3 demo=$4
    shift 4
    local ready quit pid
    ready=$work/$(basename "$png" .png).ready
    quit=$work/$(basename "$png" .png).quit
    wine explorer /desktop=quarvex,1024x768 "$demo" "$@" "Z:$ready" "Z:$quit" >/dev/null 2>&1 &
    pid=$!
    for _ in $(seq 1 "$tenths"); do
        [ -f "$ready" ] || [ -f "$ready.unknown" ] && break
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    if [ -f "$ready" ]; then
        import -window root "$png"
        echo "screenshots: $png"
    elif [ -f "$ready.unknown" ]; then
        echo "screenshots: $(basename "$demo" .exe) has no window '$1'; skipped" >&2
    else
        echo "screenshots: $failure" >&2
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
}

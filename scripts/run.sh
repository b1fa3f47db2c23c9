#!/usr/bin/env bash
# Runs Quarvex on a folder (default: the current one).
# With a display ($DISPLAY set) it builds the Windows program (win64 preset) and starts
# ZIVazado.exe under Wine, which opens its main window with a report of the folder. Without a
# display it says how to get one and falls back to the console front end, which scans the folder
# and prints the report tree; extra arguments after the folder then go to `quarvex-cli scan`.
set -euo pipefail
here=$PWD
cd "$(dirname "$0")/.."
root=$PWD
jobs=$(nproc 2>/dev/null || echo 2)
bash scripts/deps.sh
folder=${1:-$here}
[ $# -gt 0 ] && shift
case $folder in
    /*) ;;
    *) folder=$here/$folder ;;
esac

if [ -n "${DISPLAY:-}" ]; then
    cmake --preset win64 >/dev/null
    cmake --build build/win64 --target ZIVazado -j "$jobs" >/dev/null
    prefix=$root/build/win64/wineprefix
    bash scripts/desktop-home.sh
    export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    if [ ! -f "$prefix/system.reg" ]; then
        echo "run: preparing the Wine prefix (first start only)" >&2
        wineboot -i >/dev/null 2>&1 || true
    fi
    # Wine sees the Linux file system under Z:, so the folder goes in its Windows form.
    winfolder=$(winepath -w "$folder" 2>/dev/null) || winfolder=$folder
    exec scripts/wine-run.sh "$prefix" "$root/build/win64/src/app/win/ZIVazado.exe" "$winfolder"
fi

cat >&2 <<'EOF'
run: no display ($DISPLAY is not set), so the program's window cannot be shown.
run: to get one, start a desktop session or log in with `ssh -X`, or run it on a virtual X server:
run:     xvfb-run -a -s "-screen 0 1280x1024x24" bash scripts/run.sh [FOLDER]
run: (with xvfb-run the window is drawn off screen; `import -window root shot.png` shows it).
run: falling back to the console front end: quarvex-cli scan
EOF
cmake --preset native >/dev/null
cmake --build build/native --target quarvex-cli -j "$jobs" >/dev/null
cd "$here"
exec "$root/build/native/src/cli/quarvex-cli" scan "$folder" "$@"

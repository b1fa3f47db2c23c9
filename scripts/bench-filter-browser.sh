#!/usr/bin/env bash
# Measures, under Wine, how long the filtered files browser takes to show a folder of 100,000
# files that match the filter ("Temporary": *.tmp): from "Show files" to the painted dialog.
# Builds bench_filter_browser_show (win64, Release), makes the folder once, runs under Xvfb when
# there is no display, and prints the figures.
#   bash scripts/bench-filter-browser.sh [REPETITIONS]
# BUILD_DIR (default build/bench-win64) and FOLDER (default $TMPDIR/quarvex-bench-files-100k) may be set.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
repetitions=${1:-3}
build=${BUILD_DIR:-build/bench-win64}
folder=${FOLDER:-${TMPDIR:-/tmp}/quarvex-bench-files-100k}
bash scripts/deps.sh

cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DQV_BENCH=ON -DQV_TESTS=OFF >/dev/null
cmake --build "$build" --target bench_filter_browser_show -j 2 >/dev/null

if [ ! -f "$folder/.complete" ]; then
    echo "bench: making 100,000 files in $folder" >&2
    rm -rf "$folder"
    python3 - "$folder" <<'PY'
import os, sys
folder = sys.argv[1]
os.makedirs(folder)
for i in range(100000):
    with open(os.path.join(folder, "file%06d.tmp" % i), "wb") as f:
        f.write(b"x" * (i % 5000))
open(os.path.join(folder, ".complete"), "w").close()
PY
fi

prefix=$root/$build/wineprefix
bash scripts/desktop-home.sh
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
winfolder=$(winepath -w "$folder" 2>/dev/null) || winfolder=$folder
inner="wineserver -k 2>/dev/null; wineboot -i >/dev/null 2>&1; scripts/wine-run.sh '$prefix' '$root/$build/bench/bench_filter_browser_show.exe' '$winfolder' '$repetitions'; status=\$?; wineserver -k; exit \$status"
if [ -n "${DISPLAY:-}" ]; then
    bash -c "$inner"
else
    xvfb-run -a -s "-screen 0 1280x1024x24" bash -c "$inner"
fi

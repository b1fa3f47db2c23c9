#!/usr/bin/env bash
# Measures, under Wine, the time from the end of a scan of a tree of about 100,000 folders to a
# responsive main window that shows the report's tree, and the program's memory with that report
# open. Builds bench_app_show (win64, Release), makes the tree once, runs under Xvfb when there is
# no display, and prints the figures.
#   bash scripts/bench-app-show.sh [REPETITIONS]
# BUILD_DIR (default build/bench-win64) and TREE (default $TMPDIR/quarvex-bench-tree-100k) may be set.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
repetitions=${1:-3}
build=${BUILD_DIR:-build/bench-win64}
tree=${TREE:-${TMPDIR:-/tmp}/quarvex-bench-tree-100k}
bash scripts/deps.sh

cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DQV_BENCH=ON -DQV_TESTS=OFF >/dev/null
cmake --build "$build" --target bench_app_show -j 2 >/dev/null

# 10 x 10 x 10 folders with 100 leaves each: 101,110 folders, a small file in every tenth leaf.
if [ ! -f "$tree/.complete" ]; then
    echo "bench: making the folder tree in $tree" >&2
    rm -rf "$tree"
    python3 - "$tree" <<'EOF'
import os, sys
top = sys.argv[1]
for a in range(10):
    for b in range(10):
        for c in range(10):
            base = os.path.join(top, "a%d" % a, "b%d" % b, "c%d" % c)
            for d in range(100):
                leaf = os.path.join(base, "leaf%02d" % d)
                os.makedirs(leaf)
                if d % 10 == 0:
                    with open(os.path.join(leaf, "data.bin"), "wb") as f:
                        f.write(b"x" * (1000 + 37 * d))
open(os.path.join(top, ".complete"), "w").close()
EOF
fi

prefix=$root/$build/wineprefix
bash scripts/desktop-home.sh
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wintree=$(winepath -w "$tree" 2>/dev/null) || wintree=$tree
# The prefix is prepared on the display the program will use: Wine's desktop process keeps the
# display it started on.
inner="wineserver -k 2>/dev/null; wineboot -i >/dev/null 2>&1; scripts/wine-run.sh '$prefix' '$root/$build/bench/bench_app_show.exe' '$wintree' '$repetitions'; status=\$?; wineserver -k; exit \$status"
if [ -n "${DISPLAY:-}" ]; then
    bash -c "$inner"
else
    xvfb-run -a -s "-screen 0 1280x1024x24" bash -c "$inner"
fi

#!/usr/bin/env bash
# Scan benchmark: quarvex-cli (native Release build) on one and on N threads against du -s, ncdu
# (export mode), gdu (non-interactive) and find on large folders with a warm cache, then the
# Windows build under Wine on one and on N threads, and the window's scan job (bench_scan_job,
# under Xvfb) beside the same passes without a window.
#
#   scripts/bench-scan.sh [--runs N] [--threads N] [--no-wine] [DIR...]
#       (default: /usr and a generated tree of 101,010 folders)
#   scripts/bench-scan.sh --check DIR                       only the agreement with find and du
#
# The machine may be shared: every figure is the median and min-max of interleaved runs.
# Prints, per folder, first the agreement of the report's root with find (files, folders) and
# du -s (bytes with --apparent-size, and allocated bytes; du counts each hard link like find, -l,
# and its total less the folders' own sizes and blocks is what the files take); then the median
# and min-max wall time of five interleaved runs after a warm-up, the median CPU time (user +
# system), the peak RSS, the ratios to du -s, the memory per folder (peak RSS minus that of
# scanning an empty folder, divided by the folders), and the time to save and to reopen the
# report; then the Windows build under Wine, whose figures must equal the native ones. Exits 1
# when any figure disagrees. Builds (or reuses) QV_NATIVE_BUILD (default build/scanner-bench) and
# QV_WIN64_BUILD (default build/scanner-win64); nothing else is touched. QV_SCAN_TREE names a tree
# made before by this script to use instead of making one (about 20 s).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
native_build=${QV_NATIVE_BUILD:-$root/build/scanner-bench}
win_build=${QV_WIN64_BUILD:-$root/build/scanner-win64}
runs=5
threads=$(nproc 2>/dev/null || echo 2)
[ "$threads" -le 8 ] || threads=8
wine=1
check=""
dirs=()
while [ $# -gt 0 ]; do
    case "$1" in
        --runs) runs=$2; shift 2 ;;
        --threads) threads=$2; shift 2 ;;
        --no-wine) wine=0; shift ;;
        --check) check=$2; shift 2 ;;
        -h|--help) sed -n '2,23p' "$0"; exit 0 ;;
        *) dirs+=("$1"); shift ;;
    esac
done
generated=""
[ ${#dirs[@]} -gt 0 ] || { dirs=(/usr); generated=1; }

# The tools measured beside quarvex-cli (Debian packages of the same names).
for tool in time ncdu gdu; do
    [ -x "/usr/bin/$tool" ] || apt-get install -y -qq "$tool" >/dev/null
done

cli=$native_build/src/cli/quarvex-cli
if ! [ -x "$cli" ]; then
    cmake -S "$root" -B "$native_build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQV_BENCH=ON -DQV_TESTS=OFF >/dev/null
fi
cmake --build "$native_build" -j2 --target quarvex-cli >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# 10 x 100 x 100 leaf folders below 1,010 others, one small file in each of the 1,000 middle ones.
if [ -n "$generated" ]; then
    tree=${QV_SCAN_TREE:-$work/tree}
    if ! [ -d "$tree/a9/b99/c99" ]; then
        mkdir -p "$tree"
        (cd "$tree" && for a in 0 1 2 3 4 5 6 7 8 9; do
            mkdir -p "a$a"/b{00..99}/c{00..99}
            for b in "a$a"/b*; do echo x >"$b/file.txt"; done
        done)
    fi
    dirs+=("$tree")
fi

# Digits only: "48.83 K (50 006 bytes)" -> 50006, "512 bytes" -> 512, "none" -> 0.
number_of() {
    local text=$1
    case "$text" in *"("*) text=${text#*(} ;; esac
    text=$(printf '%s' "$text" | tr -cd '0-9')
    echo "${text:-0}"
}

# The root's figures of a report file as "files bytes allocated folders".
report_figures() {
    local info
    info=$("$1" info "$2")
    printf '%s %s %s %s\n' \
        "$(number_of "$(printf '%s\n' "$info" | sed -n 's/^Files: *//p')")" \
        "$(number_of "$(printf '%s\n' "$info" | sed -n 's/^Size: *//p')")" \
        "$(number_of "$(printf '%s\n' "$info" | sed -n 's/^Allocated: *//p')")" \
        "$(number_of "$(printf '%s\n' "$info" | sed -n 's/^Folders: *//p')")"
}

disagreements=0

# Compares the scan of $1 with find and du; prints one line per figure.
agreement() {
    local dir=$1 status=0
    "$cli" scan "$dir" --quiet -o "$work/check.mcr" || status=$?
    [ "$status" = 0 ] || echo "quarvex-cli exited with $status (unreadable folders are named above)"
    read -r files bytes allocated folders <<<"$(report_figures "$cli" "$work/check.mcr")"
    local find_files find_folders du_bytes du_allocated dir_bytes dir_blocks
    find_files=$(find "$dir" ! -type d 2>/dev/null | wc -l)
    find_folders=$(find "$dir" -mindepth 1 -type d 2>/dev/null | wc -l)
    du_bytes=$(du -sl --apparent-size -B1 "$dir" 2>/dev/null | cut -f1)
    du_allocated=$(du -sl -B1 "$dir" 2>/dev/null | cut -f1)
    dir_bytes=$(find "$dir" -type d -printf '%s\n' 2>/dev/null | awk '{s += $1} END {printf "%.0f", s}')
    dir_blocks=$(find "$dir" -type d -printf '%b\n' 2>/dev/null | awk '{s += $1 * 512} END {printf "%.0f", s}')
    compare files "$files" "find" "$find_files"
    compare folders "$folders" "find" "$find_folders"
    compare bytes "$bytes" "du --apparent-size - folders" "$((du_bytes - dir_bytes))"
    compare allocated "$allocated" "du - folders' blocks" "$((du_allocated - dir_blocks))"
}

compare() {  # what ours tool theirs
    local mark=same
    if [ "$2" != "$4" ]; then mark=DIFFERENT; disagreements=$((disagreements + 1)); fi
    printf '%-10s quarvex %16s   %-28s %16s   %s\n' "$1" "$2" "$3" "$4" "$mark"
}

if [ -n "$check" ]; then
    agreement "$check"
    [ "$disagreements" = 0 ]
    exit
fi

# Runs a command, appending "wall cpu rss_kb" to the file $1.
measure() {
    local out=$1; shift
    /usr/bin/time -f '%e %U %S %M' -o "$work/time" "$@" >/dev/null 2>"$work/stderr" || {
        cat "$work/stderr" >&2
        return 1
    }
    awk '{printf "%s %.3f %s\n", $1, $2 + $3, $4}' "$work/time" >>"$out"
}

median() { sort -n | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }
column_of() { awk -v c="$2" '{print $c}' "$1"; }
summary() {  # file -> "median min-max cpu_median rss_max"
    local f=$1
    printf '%s %s-%s %s %s' "$(column_of "$f" 1 | median)" "$(column_of "$f" 1 | sort -n | head -1)" \
        "$(column_of "$f" 1 | sort -n | tail -1)" "$(column_of "$f" 2 | median)" "$(column_of "$f" 3 | sort -n | tail -1)"
}

mkdir -p "$work/empty"
measure "$work/empty.t" "$cli" scan "$work/empty" --quiet
empty_rss=$(column_of "$work/empty.t" 3)

wine_prefix=$win_build/wineprefix
wine_cli=$win_build/src/cli/quarvex-cli.exe
if [ "$wine" = 1 ]; then
    if ! [ -x "$wine_cli" ]; then
        cmake -S "$root" -B "$win_build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw64.cmake" \
            -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    fi
    cmake --build "$win_build" -j2 --target quarvex-cli bench_scan_job >/dev/null
    bash "$root/scripts/desktop-home.sh"
    export WINEPREFIX=$wine_prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    [ -f "$wine_prefix/system.reg" ] || wineboot -i >/dev/null 2>&1 || true
    wineserver -p || true  # one server for all runs (refused when one already runs: use it)
    trap 'wineserver -k >/dev/null 2>&1 || true; rm -rf "$work"' EXIT
fi

for dir in "${dirs[@]}"; do
    rm -f "$work"/*.t
    echo "== $dir: agreement with find and du"
    agreement "$dir"
    folders=$("$cli" scan "$dir" --quiet --stats 2>&1 >/dev/null | sed -n 's/.*folders: \([0-9]*\).*/\1/p')
    # Warm-up, then interleaved runs.
    for run in $(seq 0 "$runs"); do
        suffix=t
        [ "$run" = 0 ] && suffix=warm
        measure "$work/cli1.$suffix" "$cli" scan "$dir" --quiet --threads 1
        measure "$work/cli.$suffix" "$cli" scan "$dir" --quiet --threads "$threads"
        measure "$work/du.$suffix" du -s "$dir"
        measure "$work/ncdu.$suffix" ncdu -0 -o /dev/null "$dir"
        measure "$work/gdu.$suffix" gdu -n -p "$dir"
        measure "$work/find.$suffix" find "$dir" -printf '%s\n'
    done
    echo "== $dir: $folders folders, $runs runs after a warm-up, on $(nproc) cores (load: $(cut -d' ' -f1-3 /proc/loadavg))"
    printf '%-30s %10s %16s %10s %12s %14s\n' tool "median s" "min-max s" "cpu s" "peak RSS KB" "median / du"
    du_med=$(column_of "$work/du.t" 1 | median)
    for tool in cli1 cli du ncdu gdu find; do
        read -r med range cpu rss <<<"$(summary "$work/$tool.t")"
        case $tool in
            cli1) label="quarvex-cli --threads 1" ;;
            cli) label="quarvex-cli --threads $threads" ;;
            du) label="du -s" ;;
            ncdu) label="ncdu -0 -o /dev/null" ;;
            gdu) label="gdu -n -p" ;;
            *) label=$tool ;;
        esac
        ratio=$(awk -v a="$med" -v b="$du_med" 'BEGIN {printf "%.2f", a / b}')
        printf '%-30s %10s %16s %10s %12s %14s\n' "$label" "$med" "$range" "$cpu" "$rss" "$ratio"
    done
    cli_med=$(column_of "$work/cli.t" 1 | median)
    du_med=$(column_of "$work/du.t" 1 | median)
    cli_cpu=$(column_of "$work/cli.t" 2 | median)
    du_cpu=$(column_of "$work/du.t" 2 | median)
    cli_rss=$(column_of "$work/cli.t" 3 | sort -n | tail -1)
    awk -v a="$cli_med" -v b="$du_med" -v c="$cli_cpu" -v d="$du_cpu" \
        'BEGIN {printf "quarvex-cli on the default threads to du -s: wall %.2f, cpu %.2f (target: wall at most 0.6)\n", a / b, c / d}'
    awk -v r="$cli_rss" -v e="$empty_rss" -v f="$folders" \
        'BEGIN {printf "memory: %.0f bytes per folder (peak RSS %d KB - empty scan %d KB, over %d folders; target 1024)\n", (r - e) * 1024 / f, r, e, f}'
    stats=$("$cli" scan "$dir" --quiet --stats -o "$work/report.mcr" 2>&1 >/dev/null)
    open=$("$cli" show "$work/report.mcr" --stats 2>&1 >/dev/null)
    echo "report file: $(stat -c %s "$work/report.mcr") bytes; ${stats%%, folders*}; ${open%%, folders*} (target: save and open each under 0.5 s)"

    if [ "$wine" = 1 ] && { [ -z "$generated" ] || [ "$dir" = "${tree:-}" ]; }; then
        rm -f "$work"/wine*.t
        windir="Z:$dir"
        for run in $(seq 0 3); do
            suffix=t
            [ "$run" = 0 ] && suffix=warm
            measure "$work/wine1.$suffix" "$root/scripts/wine-run.sh" "$wine_prefix" "$wine_cli" scan "$windir" --quiet --threads 1
            measure "$work/wine.$suffix" "$root/scripts/wine-run.sh" "$wine_prefix" "$wine_cli" scan "$windir" --quiet --threads "$threads"
        done
        for tool in wine1 wine; do
            read -r med range cpu rss <<<"$(summary "$work/$tool.t")"
            label="--threads 1"
            [ "$tool" = wine ] && label="--threads $threads"
            echo "under Wine (win64 build, 3 runs), $label: median $med s, min-max $range s, cpu $cpu s (target: at most 12 s)"
        done
        wine_med=$(column_of "$work/wine.t" 1 | median)
        awk -v w="$wine_med" -v n="$cli_med" 'BEGIN {printf "under Wine: %.1f x native\n", w / n}'
        "$root/scripts/wine-run.sh" "$wine_prefix" "$wine_cli" scan "$windir" --quiet -o "Z:$work/wine.mcr" || true
        read -r wfiles wbytes wallocated wfolders <<<"$(report_figures "$cli" "$work/wine.mcr")"
        read -r files bytes allocated folders <<<"$(report_figures "$cli" "$work/check.mcr")"
        compare files "$wfiles" "native" "$files"
        compare folders "$wfolders" "native" "$folders"
        compare bytes "$wbytes" "native" "$bytes"
        printf '%-10s quarvex %16s   %-28s %16s   (Windows clusters of the volume)\n' allocated "$wallocated" native "$allocated"
        if [ "$dir" = "${tree:-}" ]; then
            echo "the window's scan job under Wine on the default threads, beside the same passes without a window:"
            xvfb-run -a -s "-screen 0 1280x1024x24" "$root/scripts/wine-run.sh" "$wine_prefix" \
                "$win_build/bench/bench_scan_job.exe" "$windir" 3
        fi
    fi
    echo
done
if [ "$disagreements" != 0 ]; then
    echo "$disagreements figures disagree"
    exit 1
fi

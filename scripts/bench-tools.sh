#!/usr/bin/env bash
# File tools benchmark: quarvex-cli list against find on a large folder, and list and temp
# --sizes on a generated folder of 100,000 files, with a warm cache.
#
#   scripts/bench-tools.sh [--runs N] [DIR]   (default DIR: /usr)
#
# Prints the median wall time of N runs (default 5, after one warm-up) of
# `quarvex-cli list DIR -o F` and `find DIR -type f > F` and their ratio; then, for a folder
# "Temp" of 100,000 empty and small files made under /dev/shm (or the temporary folder), the
# median time of listing it and of `quarvex-cli temp` measuring it. Uses QV_NATIVE_BUILD
# (default build/native, built if needed); nothing else is touched.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${QV_NATIVE_BUILD:-$PWD/build/native}
runs=5
dir=/usr
while [ $# -gt 0 ]; do
    case "$1" in
        --runs) runs=$2; shift 2 ;;
        -h|--help) sed -n '2,11p' "$0"; exit 0 ;;
        *) dir=$1; shift ;;
    esac
done
[ -d "$build" ] || cmake --preset native >/dev/null
cmake --build "$build" -j2 --target quarvex-cli >/dev/null
cli=$build/src/cli/quarvex-cli
scratch=$(mktemp -d "$( [ -w /dev/shm ] && echo /dev/shm || echo "${TMPDIR:-/tmp}")/qv-bench-tools.XXXXXX")
trap 'rm -rf "$scratch"' EXIT

# median_time CMD...: runs CMD once to warm up, then $runs times; prints the median in seconds.
median_time() {
    "$@" >/dev/null 2>&1 || true
    local times=()
    for _ in $(seq "$runs"); do
        local start end
        start=$(date +%s.%N)
        "$@" >/dev/null 2>&1 || true
        end=$(date +%s.%N)
        times+=("$(echo "$end - $start" | bc)")
    done
    printf '%s\n' "${times[@]}" | sort -n | awk '{a[NR]=$1} END {printf "%.3f", a[int((NR+1)/2)]}'
}

list_time=$(median_time "$cli" list "$dir" -o "$scratch/list.txt")
find_time=$(median_time sh -c "find '$dir' -type f > '$scratch/find.txt'")
"$cli" list "$dir" -o "$scratch/list.txt" 2>"$scratch/list.err" || true
printf 'list %s: %ss (%s), find -type f: %ss (%s lines), ratio %.2f\n' "$dir" "$list_time" \
    "$(tr -d '\n' < "$scratch/list.err")" "$find_time" "$(wc -l < "$scratch/find.txt")" \
    "$(echo "$list_time / $find_time" | bc -l)"

mkdir -p "$scratch/tree/Temp"
(cd "$scratch/tree/Temp" && seq 1 100000 | awk '{ printf "f%06d.tmp\n", $1 }' | xargs touch &&
    seq 1 2 100000 | awk '{ printf "f%06d.tmp\n", $1 }' | xargs -n 1000 sh -c 'for f; do echo x > "$f"; done' sh)
big_list=$(median_time "$cli" list "$scratch/tree/Temp" -o "$scratch/big.txt")
big_temp=$(median_time "$cli" temp "$scratch/tree" --sizes)
printf 'list of a folder of 100,000 files: %ss\n' "$big_list"
printf 'temp --sizes measuring a folder of 100,000 files: %ss (%s)\n' "$big_temp" \
    "$("$cli" temp "$scratch/tree" --sizes | tr '\t' ' ' | sed "s|$scratch/tree/||")"

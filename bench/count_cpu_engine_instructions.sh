#!/usr/bin/env bash
# Instructions per pixel of each CPU-engine measure on one thread, counted by callgrind: the
# program runs a measure on a 2048 x 2048 image once and then 1 + N times, and the difference
# of the two counts over N * 2048 * 2048 pixels is the measure's own cost, with the start-up and
# the image's generation subtracted out. The same with the image measured whole and in 8 x 8 tiles
# at once (--tiles=8x8), and what the tiles add to the cost.
#
#   bash bench/count_cpu_engine_instructions.sh [build dir, default build/] [N, default 4]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
extra=${2:-4}
side=2048

bash scripts/install-deps.sh --tests valgrind
cmake --build "$build" --target cpu_engine_instructions >/dev/null
program=$build/bench/cpu_engine_instructions
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

# Total instructions of one run under callgrind.
instructions() {
    valgrind --tool=callgrind --callgrind-out-file="$out/callgrind.out" "$program" "$@" \
        >/dev/null 2>"$out/valgrind.txt"
    awk '/^summary:/ {print $2}' "$out/callgrind.out"
}

# Instructions per pixel of a measure, then the tile rows and columns if any.
per_pixel() {
    local measure=$1 once more
    shift
    once=$(instructions "$measure" "$side" "$side" 1 "$@")
    more=$(instructions "$measure" "$side" "$side" $((1 + extra)) "$@")
    awk -v a="$once" -v b="$more" -v n="$extra" -v p=$((side * side)) \
        'BEGIN {printf "%.3f", (b - a) / (n * p)}'
}

echo "measure instructions_per_pixel with_8x8_tiles ratio (${side} x ${side}, one thread, callgrind)"
for measure in $("$program" --list); do
    alone=$(per_pixel "$measure")
    tiled=$(per_pixel "$measure" 8 8)
    awk -v m="$measure" -v a="$alone" -v t="$tiled" 'BEGIN {printf "%s %s %s %.3f\n", m, a, t, t / a}'
done

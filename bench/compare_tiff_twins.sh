#!/usr/bin/env bash
# The whole job on 16-bit TIFF: the generated tree of 4 folders x 20 images of 2048 x 2048
# (make_sample_stacks) turned into 16-bit twins (make_layout_twins: every pixel times 257), written
# uncompressed (tiffcp -c none; the tool writes LZW, whose decoding costs the same through libtiff
# on both sides), one file per plane and one multi-page file per folder. Side by side, taking turns
# in an order that rotates from one repetition to the next, medians of the whole process's wall
# time: OpenCV's decode-only floor on the planes (decode_only --planes, 2 threads), the raw-read
# floor (read_only --planes: pread only), and bestfocus method 4 with its default teams on each
# layout. It checks that both layouts give the 8-bit tree's scores and prints the targets' status.
#
#   bash bench/compare_tiff_twins.sh [build dir, default build/] [repetitions, default 5]
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$repo/build}" && pwd)
repetitions=${2:-5}
work=$build/bench_tiff_twins
tree=$build/bench_whole_job/tree2048
tool=$build/bestfocus

if [ ! -f "$tree/expected.txt" ]; then
    echo "Generating 4 folders x 20 images of 2048 x 2048 in $tree/" >&2
    "$build/tools/make_sample_stacks" "$tree/" 2048 2048 4 20
fi
if [ ! -d "$work/twins/multipage" ]; then
    echo "Writing the 16-bit twins in $work/twins/" >&2
    rm -rf "$work/lzw" "$work/twins"
    "$build/tools/make_layout_twins" "$tree/" 1 4 20 "$work/lzw" >/dev/null
    (cd "$work/lzw" && find . -name '*.tif') | while read -r file; do
        mkdir -p "$(dirname "$work/twins/$file")"
        tiffcp -c none "$work/lzw/$file" "$work/twins/$file"
    done
    rm -rf "$work/lzw"
fi
planes=$work/twins/planes/
multipage=$work/twins/multipage/

declare -A commands=(
    [floor]="$build/bench/decode_only --planes $planes 1 4 20 2"
    [raw]="$build/bench/read_only --planes $planes 1 4 20 2"
    [planes]="$tool --quiet --engine=cpu --scores=scores.csv --folder-names=pos_%02d
              --image-names=z%03d.tif 4 $planes 1 4 20"
    [multipage]="$tool --quiet --engine=cpu --scores=scores.csv --folder-names=pos_%02d.tif
                 4 $multipage 1 4 0"
    [bmp]="$tool --quiet --engine=cpu --scores=scores.csv 4 $tree/ 1 4 20")
runs=(floor raw planes multipage)

# Wall seconds of one run of a command in its own folder.
timed() {
    mkdir -p "$work/$1"
    local start
    start=$(date +%s.%N)
    # shellcheck disable=SC2086  # the command is split into its arguments
    (cd "$work/$1" && ${commands[$1]} >/dev/null)
    awk -v from="$start" -v to="$(date +%s.%N)" 'BEGIN {printf "%.4f\n", to - from}'
}

# shellcheck source=median.sh
. "$repo/bench/median.sh"

timed bmp >/dev/null
results=$work/results
: >"$results"
for ((repetition = 0; repetition < repetitions; ++repetition)); do
    for ((turn = 0; turn < ${#runs[@]}; ++turn)); do
        run=${runs[(turn + repetition) % ${#runs[@]}]}
        echo "$run $(timed "$run")" >>"$results"
    done
done
for layout in planes multipage; do
    if ! cmp -s "$work/bmp/scores.csv" "$work/$layout/scores.csv"; then
        echo "WARNING: the $layout twins do not give the 8-bit tree's scores" >&2
    fi
done

seconds() { awk -v r="$1" '$1 == r {print $2}' "$results" | median; }
floor=$(seconds floor)
echo "### 16-bit TIFF twins of 4 x 20 images of 2048 x 2048, medians of $repetitions," \
    "load average $(cut -d' ' -f1-3 /proc/loadavg) at the end"
echo
echo "| run | wall s | / decode-only floor | target | status |"
echo "|---|---|---|---|---|"
row() {
    awk -v label="$1" -v s="$(seconds "$2")" -v floor="$floor" -v limit="$3" \
        'BEGIN {ratio = s / floor
                target = limit == "" ? "" : "at most " limit
                status = limit == "" ? "" : (ratio <= limit ? "met" : "NOT met")
                printf "| %s | %.3f | %.2f | %s | %s |\n", label, s, ratio, target, status}'
}
row "OpenCV decode only, 2 threads (the floor)" floor ""
row "pread only, 2 threads (the raw-read floor)" raw ""
row "bestfocus method 4, one file per plane" planes 0.35
row "bestfocus method 4, one multi-page file per folder" multipage 0.35

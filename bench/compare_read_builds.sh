#!/usr/bin/env bash
# Two builds of bestfocus reading the same pixels side by side: method 4 on the CPU engine with the
# default teams on the 2048 x 2048 BMP tree and on its 8- and 16-bit uncompressed TIFF twins (as
# compare_whole_job.sh writes them; run its formats' round once first), beside the raw-read floor
# of each tree, taking turns (before, after, floor) for each tree in every repetition. Prints the
# medians of the wall seconds and of the CPU seconds (user + system, from GNU time), the steadier
# figure on a shared machine, and each build's CPU time over the floor's.
#
#   bash bench/compare_read_builds.sh <bestfocus before> <bestfocus after> [build dir] [repetitions]
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
before=$(realpath "$1")
after=$(realpath "$2")
build=$(cd "${3:-$repo/build}" && pwd)
repetitions=${4:-7}
work=$build/bench_whole_job
twins=$work/tiff_twins
if [ ! -f "$twins/16/done" ] || [ ! -f "$twins/8/done" ]; then
    echo "no TIFF twins in $twins: run BESTFOCUS_FORMATS_ONLY=1 bash bench/compare_whole_job.sh" >&2
    exit 1
fi
# shellcheck source=median.sh
. "$repo/bench/median.sh"

declare -A trees=([bmp]="$work/tree2048/" [tiff8]="$twins/8/planes/" [tiff16]="$twins/16/planes/")
tiff_names="--folder-names=pos_%02d --image-names=z%03d.tif"
results=$work/read_builds.results
: >"$results"
for ((repetition = 0; repetition < repetitions; ++repetition)); do
    for tree in bmp tiff8 tiff16; do
        names="" planes=""
        [ "$tree" = bmp ] || names=$tiff_names planes=--planes
        for run in before after floor; do
            case $run in
                before) command="$before --quiet --engine=cpu $names 4 ${trees[$tree]} 1 4 20" ;;
                after) command="$after --quiet --engine=cpu $names 4 ${trees[$tree]} 1 4 20" ;;
                floor) command="$build/bench/read_only $planes ${trees[$tree]} 1 4 20 2" ;;
            esac
            mkdir -p "$work/read_builds"
            # shellcheck disable=SC2086  # the command is split into its arguments
            (cd "$work/read_builds" && /usr/bin/time -f "%e %U %S" -o time.txt $command >/dev/null)
            awk -v r="$run $tree" '{print r, $1, $2 + $3}' "$work/read_builds/time.txt" >>"$results"
        done
    done
done

column_median() { awk -v r="$1" -v t="$2" -v c="$3" '$1 == r && $2 == t {print $c}' "$results" | median; }
echo "### Method 4, CPU engine, default teams, medians of $repetitions," \
    "load average $(cut -d' ' -f1-3 /proc/loadavg) at the end"
echo
echo "| files | before wall s | after wall s | floor wall s | before CPU s | after CPU s |" \
    "floor CPU s | before / floor, CPU | after / floor, CPU |"
echo "|---|---|---|---|---|---|---|---|---|"
for tree in bmp tiff8 tiff16; do
    awk -v t="$tree" -v bw="$(column_median before "$tree" 3)" -v aw="$(column_median after "$tree" 3)" \
        -v fw="$(column_median floor "$tree" 3)" -v bc="$(column_median before "$tree" 4)" \
        -v ac="$(column_median after "$tree" 4)" -v fc="$(column_median floor "$tree" 4)" \
        'BEGIN {printf "| %s | %.3f | %.3f | %.3f | %.3f | %.3f | %.3f | %.2f | %.2f |\n",
                t, bw, aw, fw, bc, ac, fc, bc / fc, ac / fc}'
done

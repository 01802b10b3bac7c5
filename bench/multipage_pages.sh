#!/usr/bin/env bash
# What reading every page of one multi-page file costs as the page count grows: one 16-bit TIFF
# stack of 8 x 8 pages (tools/make_multipage_stack) at 1,000, 4,000 and 16,000 pages, measured by
# bestfocus with images = 0 (count the pages, then read and measure each one), method 1, default
# teams. Linear reading shows as a steady time a page; a quadratic one as a time a page that
# grows fourfold with each fourfold count. Wall clock of the whole process, median of the runs.
#
#   bash bench/multipage_pages.sh [build dir, default build/] [repetitions, default 3]
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$repo/build}" && pwd)
repetitions=${2:-3}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

printf '%8s %12s %14s\n' pages "median s" "us a page"
for pages in 1000 4000 16000; do
    "$build/tools/make_multipage_stack" "$work/001.tif" "$pages" 8
    times=()
    for ((run = 0; run < repetitions; ++run)); do
        start=$(date +%s.%N)
        (cd "$work" && "$build/bestfocus" --quiet --folder-names=%03d.tif 1 "$work/" 1 1 0 \
            > /dev/null)
        times+=("$(echo "$(date +%s.%N) - $start" | bc -l)")
    done
    median=$(printf '%s\n' "${times[@]}" | sort -g | sed -n "$(((repetitions + 1) / 2))p")
    printf '%8d %12.3f %14.1f\n' "$pages" "$median" "$(echo "$median * 1000000 / $pages" | bc -l)"
done

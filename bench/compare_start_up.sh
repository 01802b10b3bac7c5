#!/usr/bin/env bash
# Start-up and memory, side by side: the wall time of `bestfocus --version` and `--help` against a
# program linked only with libtiff that exits (bench/libtiff_only), the shared libraries each
# loads, and the peak resident memory of a BMP run (method 4, default teams) on the generated
# 4 x 20 tree of 2048 x 2048 (made by compare_whole_job.sh) against its budget: 2 bytes per pixel
# of every image in flight plus 16 MiB. Medians of the repetitions; the runs take turns.
#
#   bash bench/compare_start_up.sh [build dir, default build/] [repetitions, default 21]
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$repo/build}" && pwd)
repetitions=${2:-21}
tree=$build/bench_whole_job/tree2048/
if [ ! -f "$tree/expected.txt" ]; then
    "$build/tools/make_sample_stacks" "$tree" 2048 2048 4 20 >/dev/null
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Wall seconds of one run of the command, its output discarded.
wall() {
    local start end
    start=$(date +%s.%N)
    "$@" >/dev/null 2>&1 || true
    end=$(date +%s.%N)
    awk -v a="$start" -v b="$end" 'BEGIN {printf "%.4f\n", b - a}'
}

# shellcheck source=median.sh
. "$repo/bench/median.sh"

for ((i = 0; i < repetitions; ++i)); do
    echo "floor $(wall "$build/bench/libtiff_only")"
    echo "version $(wall "$build/bestfocus" --version)"
    echo "help $(wall "$build/bestfocus" --help)"
done >"$work/times"
floor=$(awk '$1 == "floor" {print $2}' "$work/times" | median)
version=$(awk '$1 == "version" {print $2}' "$work/times" | median)
help=$(awk '$1 == "help" {print $2}' "$work/times" | median)

# Peak resident KiB of the BMP run, the largest of three.
peak=0
for _ in 1 2 3; do
    (cd "$work" && /usr/bin/time -v -o time.txt "$build/bestfocus" --quiet 4 "$tree" 1 4 20 >/dev/null)
    kib=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$work/time.txt")
    ((kib > peak)) && peak=$kib
done
# Default teams 8 2: min(8, 4 folders) x min(2, 20 images) images in flight.
budget_mib=$(awk 'BEGIN {printf "%.0f", 4 * 2 * 2 * 2048 * 2048 / 2^20 + 16}')

echo "## Start-up and memory, $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg)," \
    "medians of $repetitions"
echo
echo "| run | wall ms | / libtiff-only | shared libraries loaded |"
echo "|---|---|---|---|"
libraries() { LD_DEBUG=libs "$@" 2>&1 >/dev/null | grep -c 'calling init:' || true; }
awk -v f="$floor" -v n="$(libraries "$build/bench/libtiff_only")" \
    'BEGIN {printf "| libtiff_only | %.1f | 1.00 | %d |\n", f * 1000, n}'
awk -v s="$version" -v f="$floor" -v n="$(libraries "$build/bestfocus" --version)" \
    'BEGIN {printf "| bestfocus --version | %.1f | %.2f | %d |\n", s * 1000, s / f, n}'
awk -v s="$help" -v f="$floor" -v n="$(libraries "$build/bestfocus" --help)" \
    'BEGIN {printf "| bestfocus --help | %.1f | %.2f | %d |\n", s * 1000, s / f, n}'
echo
echo "Peak RSS of method 4 on the 4 x 20 tree of 2048 x 2048, default teams:" \
    "$((peak / 1024)) MiB (budget $budget_mib MiB)"

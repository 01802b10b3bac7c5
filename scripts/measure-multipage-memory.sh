#!/usr/bin/env bash
# How OpenCV reads one page of a multi-page 16-bit TIFF stack (tools/time_page_reads.cpp), and the
# peak memory of a run over the whole stack (default 200 pages of 2048 x 2048,
# 1.6 GB), against the peak of a run that reads nothing (the executable and its libraries): pages
# are read one at a time, so the difference stays a few images whatever the page count.
# Usage: scripts/measure-multipage-memory.sh [pages [side]]   (uses build/, a scratch folder in /tmp)
set -euo pipefail
cd "$(dirname "$0")/.."
pages="${1:-200}"
side="${2:-2048}"

bash scripts/configure-build.sh
cmake --build build -j2 --target bestfocus make_multipage_stack time_page_reads
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
build/tools/make_multipage_stack "$scratch/pos_01.tif" "$pages" "$side"
ls -l "$scratch/pos_01.tif"
build/tools/time_page_reads "$scratch/pos_01.tif" 5

peak_kib() {  # the command's maximum resident set size, KiB
    (cd "$scratch" && /usr/bin/time -f "%M" "$@" 2>&1 >/dev/null | tail -1)
}
echo "peak KiB, nothing read (--version):          $(peak_kib "$PWD/build/bestfocus" --version)"
for teams in "1 1" "8 2"; do
    # shellcheck disable=SC2086 # the team sizes are two arguments
    echo "peak KiB, all $pages pages, method all, teams $teams: $(peak_kib "$PWD/build/bestfocus" \
        --engine=cpu --quiet --folder-names=pos_%02d.tif all "$scratch/" 1 1 0 $teams)"
done

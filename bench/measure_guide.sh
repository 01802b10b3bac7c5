#!/usr/bin/env bash
# Which measure for which data (bench/measure_guide.py): every measure the tool offers on
# generated stacks of known focus and on the real datasets, with the machine and its load.
# Needs Debian's python3-numpy and python3-opencv.
#
#   bash bench/measure_guide.sh [build dir, default build/] [repetitions, default 5]
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$repo/build}" && pwd)
repetitions=${2:-5}
work=$build/bench_measure_guide
rm -rf "$work"
mkdir -p "$work"

echo "Machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs)," \
    "load average $(cut -d' ' -f1-3 /proc/loadavg) at the start"
/usr/bin/python3 "$repo/bench/measure_guide.py" "$build/bestfocus" "$work" \
    "$repo/../shared/datasets" "$repetitions"
echo
echo "Load average $(cut -d' ' -f1-3 /proc/loadavg) at the end"

#!/usr/bin/env bash
# Runs the CUDA build's executable on a machine without a GPU: the real CUDA runtime finds no
# device, so --engine=auto must fall back to the CPU engine, say so on standard error and write the
# same reports as the CPU build; --engine=cuda must stop with the runtime's reason and status 1.
# Usage: check-cuda-fallback.sh <CUDA build dir> <CPU build dir>
set -euo pipefail
cuda_build=$(realpath "$1")
cpu_build=$(realpath "$2")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/cuda" "$work/cpu"
stacks="$cpu_build/sample_stacks/"

echo "== The CUDA build on a machine without a GPU =="
(cd "$work/cuda" && "$cuda_build/bestfocus" all "$stacks" 11 15 >/dev/null 2>"$work/cuda.err")
(cd "$work/cpu" && "$cpu_build/bestfocus" all "$stacks" 11 15 >/dev/null 2>/dev/null)
cat "$work/cuda.err"
grep -q "measuring with the CPU engine" "$work/cuda.err" || {
    echo "FAIL: the CUDA build did not say it fell back to the CPU engine"
    exit 1
}
for report in "$work"/cpu/BestFocus_*.txt; do
    name=$(basename "$report")
    # The lines before the time; the times differ.
    if ! diff <(sed '/^$/,$d' "$report") <(sed '/^$/,$d' "$work/cuda/$name"); then
        echo "FAIL: $name differs between the CUDA and the CPU build"
        exit 1
    fi
done
status=0
(cd "$work/cuda" && "$cuda_build/bestfocus" --engine=cuda 1 "$stacks" 11 11 >/dev/null 2>"$work/cuda-engine.err") ||
    status=$?
cat "$work/cuda-engine.err"
if [ "$status" -ne 1 ] || ! grep -q "needs a CUDA device" "$work/cuda-engine.err"; then
    echo "FAIL: --engine=cuda without a device gave status $status"
    exit 1
fi
echo "The CUDA build falls back to the CPU engine and writes the CPU build's reports"

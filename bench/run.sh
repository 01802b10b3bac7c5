#!/usr/bin/env bash
# Builds and runs every benchmark: the CPU runtime's launch costs, each measure of the CPU engine
# beside its kernels and its OpenCV equivalent, the engine's instructions per pixel, the whole job
# on both engines beside the decoding floor and a Python script with OpenCV, the check that the
# tool makes no fiber, the Python module beside the engine's own call and numpy + cv2, the depth
# maps and all-in-focus images (their accuracy on a known focal surface and what they cost), and
# every measure on stacks of known focus (measure_guide). Timings on a busy machine are noisy:
# every figure is a median over the repetitions.
#
#   bash bench/run.sh [build dir, default build/] [repetitions, default 5]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
repetitions=${2:-5}

# Beyond the build: Python's numpy and OpenCV for the reference script and measure_guide, GNU
# time for the peak resident memory, gdb to count the fibers made, valgrind to count
# instructions, tiffcp to write uncompressed TIFF.
bash scripts/install-deps.sh --tests python3 python3-numpy python3-opencv time gdb valgrind libtiff-tools
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release
cmake --build "$build" -j "$(nproc)" \
    --target bestfocus sample_stacks make_sample_stacks launch_overhead_bench measures_bench \
    cpu_engine_instructions decode_only read_only libtiff_only make_layout_twins \
    make_focal_surface_stacks

echo "Machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs)," \
    "load average $(cut -d' ' -f1-3 /proc/loadavg) at the start"
"$build/bench/launch_overhead_bench"
"$build/bench/measures_bench" --benchmark_repetitions="$repetitions" \
    --benchmark_report_aggregates_only=true \
    --benchmark_out="$build/measures_bench.json" --benchmark_out_format=json
python3 bench/summarise_measures_bench.py "$build/measures_bench.json"
bash bench/count_cpu_engine_instructions.sh "$build"
bash bench/compare_whole_job.sh "$build" "$repetitions"
bash bench/compare_tiff_twins.sh "$build" "$repetitions"
bash bench/compare_start_up.sh "$build"
bash bench/check_no_fibers.sh "$build"
bash bench/python_module.sh "$build" "$repetitions"
bash bench/focus_map_accuracy.sh "$build"
bash bench/compare_focus_maps.sh "$build" "$repetitions"
bash bench/measure_guide.sh "$build" "$repetitions"

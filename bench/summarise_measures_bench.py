#!/usr/bin/env python3
"""Prints measures_bench's JSON output as a Markdown table: per measure and image size the
median times of the CPU engine (on one thread and on all cores), the kernels and the kernel
engine's exact kernels on the CPU runtime and OpenCV (all on all cores), and the one-thread
engine's ratios to OpenCV and the kernels (targets at 2048 x 2048: at most 0.05 of OpenCV's time
and 0.1 of the kernels'). One thread is how the engine
runs in a whole job, one image per thread; a team of threads per image pays for waking them,
which on a busy machine can cost more than the measure itself.

    summarise_measures_bench.py <measures_bench --benchmark_out file>
"""
import json
import sys

TARGET_SIZE = "2048x2048"
TARGETS = {"opencv": 0.05, "kernels": 0.1}


def median_times(results):
    """{(side, measure, size): milliseconds} from the median aggregates (or the single runs)."""
    times = {}
    for benchmark in results["benchmarks"]:
        if benchmark.get("aggregate_name", "median") != "median":
            continue
        side, measure, size = benchmark["run_name"].split("/")[:3]
        assert benchmark["time_unit"] == "ms"
        times[(side, measure, size)] = benchmark["real_time"]
    return times


def ratio_cell(engine, other, side, size):
    ratio = engine / other
    if size != TARGET_SIZE:
        return f"{ratio:.3f}"
    return f"{ratio:.3f} ({'met' if ratio <= TARGETS[side] else 'not met'})"


def main():
    with open(sys.argv[1]) as file:
        results = json.load(file)
    times = median_times(results)
    print(f"threads: {results['context'].get('threads')}\n")
    print("| measure | image | engine, 1 thread ms | engine, all cores ms | kernels ms "
          "| exact kernels ms | OpenCV ms | engine / OpenCV | engine / kernels |")
    print("|---|---|---|---|---|---|---|---|---|")
    for (side, measure, size), engine in times.items():
        if side != "engine_1thread":
            continue
        team = times[("engine", measure, size)]
        kernels = times[("kernels", measure, size)]
        exact_kernels = times[("exact_kernels", measure, size)]
        opencv = times[("opencv", measure, size)]
        print(f"| {measure} | {size} | {engine:.3f} | {team:.3f} | {kernels:.1f} "
              f"| {exact_kernels:.1f} | {opencv:.1f} "
              f"| {ratio_cell(engine, opencv, 'opencv', size)} "
              f"| {ratio_cell(engine, kernels, 'kernels', size)} |")


if __name__ == "__main__":
    main()

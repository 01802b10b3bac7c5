#!/usr/bin/env python3
"""Prints measures_bench's JSON output as a Markdown table: per measure and image size the median
times of the tool and of OpenCV, and their ratio (the target is at most 0.5 at 2048 x 2048).

    summarise_measures_bench.py <measures_bench --benchmark_out file>
"""
import json
import sys

TARGET_SIZE = "2048x2048"
TARGET_RATIO = 0.5


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


def main():
    with open(sys.argv[1]) as file:
        results = json.load(file)
    times = median_times(results)
    print(f"threads (tool and OpenCV): {results['context'].get('threads (tool and OpenCV)')}\n")
    print("| measure | image | tool ms | OpenCV ms | tool / OpenCV |")
    print("|---|---|---|---|---|")
    for (side, measure, size), tool in times.items():
        if side != "tool":
            continue
        ratio = tool / times[("opencv", measure, size)]
        verdict = ""
        if size == TARGET_SIZE:
            verdict = " (met)" if ratio <= TARGET_RATIO else " (not met)"
        print(f"| {measure} | {size} | {tool:.1f} | {times[('opencv', measure, size)]:.1f} "
              f"| {ratio:.2f}{verdict} |")


if __name__ == "__main__":
    main()

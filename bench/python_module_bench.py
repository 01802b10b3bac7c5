"""The Python module's costs, side by side in one run, medians over the rounds:

1. bestfocus.measure on a 2048 x 2048 uint8 image, each method, beside the C++ engine's own call
   on the same image (engine_call_timing): the binding's share (target: at most 1.2x).
2. bestfocus.scores on a 20-image 2048 x 2048 stack beside the same Tenengrad written in numpy +
   cv2 (cv2.Sobel to float64, squared and summed; target: at least 20x faster).
3. The peak memory bestfocus.scores adds to a process holding that stack, C-contiguous and as a
   slice (target: no copy of the stack, at most 64 MiB).

    python bench/python_module_bench.py <engine_call_timing> [rounds, default 5]
"""

import statistics
import subprocess
import sys
import tempfile
import time

import cv2
import numpy as np

import bestfocus

SIZE = 2048
IMAGES = 20
MIB = 1 << 20


def textured(rng, images):
    """Noise softened by a small Gaussian: neighbouring pixels correlated as in a real image."""
    return np.stack([cv2.GaussianBlur(rng.integers(0, 256, (SIZE, SIZE), dtype=np.uint8),
                                      (0, 0), 1.0) for _ in range(images)])


def seconds(call):
    start = time.perf_counter()
    call()
    return time.perf_counter() - start


def tenengrad_numpy_cv2(stack):
    values = []
    for image in stack:
        gx = cv2.Sobel(image, cv2.CV_64F, 1, 0, ksize=3)
        gy = cv2.Sobel(image, cv2.CV_64F, 0, 1, ksize=3)
        values.append(float(np.sum(gx * gx + gy * gy)))
    return values


def measure_against_engine(timing_tool, image, rounds):
    with tempfile.NamedTemporaryFile(suffix=".raw") as raw:
        raw.write(image.tobytes())
        raw.flush()
        engine_times = {}
        module_times = {}
        for _ in range(rounds):  # the two sides take turns, so a passing load falls on both
            output = subprocess.run([timing_tool, raw.name, str(SIZE), str(SIZE), "3"],
                                    check=True, capture_output=True, text=True).stdout
            for line in output.splitlines():
                code, *times = line.split()
                engine_times.setdefault(int(code), []).extend(float(t) for t in times)
            for code, _, _ in bestfocus.measures():
                bestfocus.measure(image, code)
                module_times.setdefault(code, []).extend(
                    seconds(lambda: bestfocus.measure(image, code)) for _ in range(3))
    print(f"1. bestfocus.measure, one {SIZE} x {SIZE} uint8 image, engine auto "
          f"({len(module_times[1])} calls each, medians)")
    print(f"   {'method':<12} {'C++ engine ms':>14} {'bestfocus.measure ms':>21} {'ratio':>6}")
    for code, name, _ in bestfocus.measures():
        engine = statistics.median(engine_times[code]) * 1e3
        module = statistics.median(module_times[code]) * 1e3
        print(f"   {name:<12} {engine:14.3f} {module:21.3f} {module / engine:6.2f}")


def scores_against_numpy(stack, rounds):
    module = statistics.median(seconds(lambda: bestfocus.scores(stack, "tenengrad"))
                               for _ in range(rounds))
    everything = statistics.median(seconds(lambda: bestfocus.scores(stack, "all"))
                                   for _ in range(rounds))
    reference = statistics.median(seconds(lambda: tenengrad_numpy_cv2(stack))
                                  for _ in range(rounds))
    print(f"2. {IMAGES} images of {SIZE} x {SIZE}, Tenengrad (medians of {rounds})")
    print(f"   numpy + cv2 (Sobel to float64, squared, summed) {reference * 1e3:9.1f} ms")
    print(f"   bestfocus.scores(stack, 'tenengrad')            {module * 1e3:9.1f} ms"
          f"   {reference / module:5.1f}x faster")
    print(f"   bestfocus.scores(stack, 'all'), every method    {everything * 1e3:9.1f} ms")


PEAK_SCRIPT = """
import resource, sys, numpy as np, bestfocus
stack = np.random.default_rng(3).integers(0, 256, ({images}, {size}, {size}), dtype=np.uint8)
view = stack if sys.argv[1] == "whole" else stack[:, 1:-1, 1:-1]
bestfocus.scores(view[:1], "all")  # the module's first call, before the baseline
before = resource.getrusage(resource.RUSAGE_SELF).ru_maxrss
bestfocus.scores(view, "all")
print(resource.getrusage(resource.RUSAGE_SELF).ru_maxrss - before)
"""


def peak_memory():
    print(f"3. Peak memory bestfocus.scores adds ({IMAGES} x {SIZE} x {SIZE} uint8 stack, "
          f"{IMAGES * SIZE * SIZE / MIB:.0f} MiB)")
    script = PEAK_SCRIPT.format(images=IMAGES, size=SIZE)
    for form in ("whole", "slice"):
        added_kib = int(subprocess.run([sys.executable, "-c", script, form], check=True,
                                       capture_output=True, text=True).stdout)
        print(f"   {form + ' stack':<12} {added_kib / 1024:8.1f} MiB above the process's peak "
              "before the call")


def main():
    timing_tool = sys.argv[1]
    rounds = int(sys.argv[2]) if len(sys.argv) > 2 else 5
    rng = np.random.default_rng(1)
    stack = textured(rng, IMAGES)
    print(f"bestfocus {bestfocus.__version__}, numpy {np.__version__}, cv2 {cv2.__version__}, "
          f"cv2 threads {cv2.getNumThreads()}")
    measure_against_engine(timing_tool, stack[0], rounds)
    scores_against_numpy(stack, rounds)
    peak_memory()


if __name__ == "__main__":
    main()

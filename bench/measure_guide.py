#!/usr/bin/env python3
"""Which measure for which data: every measure the tool offers, scored through the tool on
generated stacks whose sharpest image is known and on the real datasets.

For each kind of data it prints, per measure, how often the pick lies within one image of the
true focus, and the median over the stacks of the curve's peak over its median (how far the
sharpest image stands out); then the wall time per megapixel of a run of that measure alone on
each engine (`--engine=cpu`, and `--engine=cuda`: the kernels, on the CPU runtime in the CPU
build), whole and less the run's own floor, and the picks on the real stacks.

    python3 bench/measure_guide.py BESTFOCUS WORK_DIR [DATASETS_DIR] [REPETITIONS]

The generated stacks are 256 x 256, 15 images, six per kind of data and texture scale, from
fixed seeds. An image is the scene blurred by a Gaussian whose sigma grows with the distance
from the stack's in-focus image, then the kind's noise.
"""
import csv
import os
import re
import statistics
import subprocess
import sys
import time

import cv2
import numpy as np

SIZE = 256
IMAGES = 15
LENS_SIGMA = 0.8  # pixels, at best focus
DEFOCUS_STEP = 0.9  # pixels of sigma per image away from focus
SCALES = (1.0, 3.0, 8.0)  # texture grain: sigma of the low-pass filter on white noise, pixels
SEEDS_PER_CELL = 6

# Kind of data: (label, contrast range, noise). Noise: ("gauss", sigma) in grey levels, or
# ("poisson", photons at white).
KINDS = (
    ("clean (σ 0)", (30, 225), ("gauss", 0.0)),
    ("brightfield (σ 2)", (30, 225), ("gauss", 2.0)),
    ("noisy (σ 8)", (30, 225), ("gauss", 8.0)),
    ("low light (≈4 photons)", (30, 225), ("poisson", 8.0)),
    ("low contrast (16 levels, σ 2)", (120, 136), ("gauss", 2.0)),
)


def measures(tool):
    """(code, name) of every measure, read from the tool's usage."""
    help_run = subprocess.run([tool, "--help"], capture_output=True, text=True)
    usage = help_run.stdout + help_run.stderr
    method_text = usage.split("\n  base_folder", 1)[0]
    found = re.findall(r"(\d+) [A-Z][^;,()]*\(([a-z0-9-]+)\)", method_text)
    if not found:
        sys.exit("measure_guide: no measure found in the usage of " + tool)
    return [(int(code), name) for code, name in found]


def scene(rng, scale):
    """Band-limited texture: white noise low-passed at the given scale, stretched to 0..1."""
    noise = rng.standard_normal((SIZE, SIZE))
    texture = cv2.GaussianBlur(noise, (0, 0), scale)
    return (texture - texture.min()) / (texture.max() - texture.min())


def image_of(base, distance, contrast, noise, rng):
    sigma = float(np.hypot(LENS_SIGMA, DEFOCUS_STEP * distance))
    blurred = cv2.GaussianBlur(base, (0, 0), sigma, borderType=cv2.BORDER_REFLECT)
    low, high = contrast
    grey = low + (high - low) * blurred
    kind, strength = noise
    if kind == "gauss":
        grey = grey + rng.normal(0.0, strength, grey.shape) if strength else grey
    else:  # photons counted, shown at the gain that maps `strength` photons to white
        photons = rng.poisson(grey / 255.0 * strength)
        grey = photons * (255.0 / (2 * strength))
    return np.clip(np.rint(grey), 0, 255).astype(np.uint8)


def write_stacks(base_dir):
    """Writes every generated stack as <base_dir>NNN/NN.bmp; returns {folder: (kind, focus)}."""
    truth = {}
    folder = 0
    for kind_index, (label, contrast, noise) in enumerate(KINDS):
        for scale_index, scale in enumerate(SCALES):
            for seed in range(SEEDS_PER_CELL):
                folder += 1
                rng = np.random.default_rng(1000 * kind_index + 10 * scale_index + seed)
                focus = int(rng.integers(3, IMAGES - 1))  # 1-based, off the ends
                base = scene(rng, scale)
                path = os.path.join(base_dir, "%03d" % folder)
                os.makedirs(path, exist_ok=True)
                for image in range(1, IMAGES + 1):
                    pixels = image_of(base, abs(image - focus), contrast, noise, rng)
                    cv2.imwrite(os.path.join(path, "%02d.bmp" % image), pixels)
                truth[folder] = (label, focus)
    return truth


def run_scores(tool, work, methods, base, first, last, engine="cpu"):
    """{(folder, method): [scores in image order]} from one run of the tool."""
    scores_file = os.path.join(work, "scores.csv")
    subprocess.run([tool, "--quiet", "--engine=" + engine, "--scores=" + scores_file, methods,
                    base, str(first), str(last), "0"], cwd=work, check=True,
                   stdout=subprocess.DEVNULL)
    curves = {}
    with open(scores_file, newline="") as rows:
        for row in csv.DictReader(rows):
            curves.setdefault((int(row["folder"]), int(row["method"])), []).append(
                float(row["score"]))
    return curves


def pick(curve):
    return 1 + int(np.argmax(curve))  # the first of equal best, as the tool picks


def peak_over_median(curve):
    median = statistics.median(curve)
    return max(curve) / median if median > 0 else float("nan")


def seconds_of_run(tool, work, method, base, last, engine, options=()):
    start = time.perf_counter()
    subprocess.run([tool, "--quiet", "--engine=" + engine, *options, str(method), base, "1",
                    str(last), "0"], cwd=work, check=True, stdout=subprocess.DEVNULL)
    return time.perf_counter() - start


def milliseconds_per_megapixel(tool, work, method, base, last, engine, repetitions, megapixels):
    """The whole run's, and the measure's own: the whole run less the same run measuring only a
    16 x 16 region of every image (start-up, reading and decoding, picking and reports). The two
    run in pairs, taking turns in the lead, and each figure is the median over the pairs, so that
    a change of the machine's load falls on both."""
    wholes, differences = [], []
    for repetition in range(repetitions):
        floor_first = repetition % 2 == 1
        if floor_first:
            floor = seconds_of_run(tool, work, method, base, last, engine, ("--roi=0,0,16,16",))
        whole = seconds_of_run(tool, work, method, base, last, engine)
        if not floor_first:
            floor = seconds_of_run(tool, work, method, base, last, engine, ("--roi=0,0,16,16",))
        wholes.append(whole)
        differences.append(whole - floor)
    return (statistics.median(wholes) * 1e3 / megapixels,
            statistics.median(differences) * 1e3 / megapixels)


def figure(value):
    return "–" if value != value else ("%.3g" % value)


def main():
    tool = os.path.abspath(sys.argv[1])
    work = os.path.abspath(sys.argv[2])
    datasets = sys.argv[3] if len(sys.argv) > 3 else "/work/shared/datasets"
    repetitions = int(sys.argv[4]) if len(sys.argv) > 4 else 5
    offered = measures(tool)
    base = os.path.join(work, "stacks") + "/"
    truth = write_stacks(base)
    folders = len(truth)
    curves = run_scores(tool, work, "all", base, 1, folders)

    labels = [kind[0] for kind in KINDS]
    stacks_per_kind = len(SCALES) * SEEDS_PER_CELL
    print("## Generated stacks: %d x %d, %d images, %d stacks per kind (texture grain %s px)"
          % (SIZE, SIZE, IMAGES, stacks_per_kind, ", ".join("%g" % s for s in SCALES)))
    print()
    print("Picks within one image of the true focus, of %d; in brackets the median peak over "
          "median of the curves" % stacks_per_kind)
    print()
    print("| measure | " + " | ".join(labels) + " |")
    print("|---|" + "---|" * len(labels))
    for code, name in offered:
        cells = []
        for label in labels:
            hits, ratios = 0, []
            for folder, (kind, focus) in truth.items():
                if kind != label:
                    continue
                curve = curves[(folder, code)]
                hits += abs(pick(curve) - focus) <= 1
                ratios.append(peak_over_median(curve))
            cells.append("%d (%s)" % (hits, figure(statistics.median(ratios))))
        print("| %d %s | %s |" % (code, name, " | ".join(cells)))

    megapixels = folders * IMAGES * SIZE * SIZE / 1e6
    print()
    print("## Wall ms per megapixel of a run of one measure on the %d generated stacks (%.1f MP):"
          " the whole run, and the measure's own (the whole run less the same run measuring a"
          " 16 x 16 region, in pairs), medians of %d" % (folders, megapixels, repetitions))
    print()
    print("| measure | cpu: run | cpu: measure | cuda: run | cuda: measure |")
    print("|---|---|---|---|---|")
    for code, name in offered:
        cells = []
        for engine in ("cpu", "cuda"):
            cells += milliseconds_per_megapixel(tool, work, code, base, folders, engine,
                                                repetitions, megapixels)
        print("| %d %s | %s |" % (code, name, " | ".join("%.2f" % c for c in cells)))

    real = [("urjc_adipose5x", 1, 11), ("urjc_adipose5x", 2, 11), ("lightsheet", 1, None),
            ("lightsheet", 2, None)]
    print()
    print("## Real stacks: pick (peak over median); the expert's label where there is one")
    print()
    print("| measure | " + " | ".join("%s %d%s" % (s, f, " (label %d)" % l if l else "")
                                       for s, f, l in real) + " |")
    print("|---|" + "---|" * len(real))
    real_curves = {}
    for dataset, folder, _ in real:
        found = run_scores(tool, work, "all", os.path.join(datasets, dataset) + "/", folder,
                           folder)
        real_curves.update({(dataset, f, m): c for (f, m), c in found.items()})
    for code, name in offered:
        cells = []
        for dataset, folder, _ in real:
            curve = real_curves[(dataset, folder, code)]
            cells.append("%d (%s)" % (pick(curve), figure(peak_over_median(curve))))
        print("| %d %s | %s |" % (code, name, " | ".join(cells)))


if __name__ == "__main__":
    main()

"""Scores bestfocus's depth maps and all-in-focus images against the truth make_focal_surface_stacks
wrote beside its stacks, and prints one Markdown table row per folder:

- the depth map's RMS error, in images, over the pixels where the scene has texture (on blank
  patches no measure can tell focus, and the map is only filled in there);
- the all-in-focus image's PSNR against the true sharp scene, and beside it the PSNR of the one
  image the report picks for the whole stack.

    python3 score_focus_maps.py <generated base> <depth dir> <all-in-focus dir> <report> <label>
"""

import math
import pathlib
import sys

import cv2
import numpy as np


def read(path, flags=cv2.IMREAD_UNCHANGED):
    image = cv2.imread(str(path), flags)
    if image is None:
        sys.exit(f"score_focus_maps: cannot read {path}")
    return image


def psnr(image, sharp):
    mse = np.mean((image.astype(np.float64) - sharp.astype(np.float64)) ** 2)
    return math.inf if mse == 0 else 10 * math.log10(255.0**2 / mse)


def picks(report):
    """The report's picks, one per folder: its lines before the blank line."""
    lines = pathlib.Path(report).read_text().split("\n\n")[0].split()
    return [int(line) for line in lines]


def main():
    base, depth_dir, focused_dir, report, label = sys.argv[1:6]
    base = pathlib.Path(base)
    truths = sorted((base / "truth").glob("*_z.tif"))
    for truth, pick in zip(truths, picks(report), strict=True):
        folder = truth.name[: -len("_z.tif")]
        z = read(truth)
        sharp = read(base / "truth" / f"{folder}_sharp.tif", cv2.IMREAD_GRAYSCALE)
        textured = read(base / "truth" / f"{folder}_textured.tif", cv2.IMREAD_GRAYSCALE) > 0
        depth = read(pathlib.Path(depth_dir) / f"{folder}_depth.tif")
        focused = read(pathlib.Path(focused_dir) / f"{folder}_focused.tif")
        best = read(base / folder / f"{pick:02d}.bmp", cv2.IMREAD_GRAYSCALE)
        if depth.dtype != np.float32 or depth.shape != z.shape or focused.shape != z.shape:
            sys.exit(f"score_focus_maps: {folder}: a depth map or all-in-focus image of another size")
        rms = math.sqrt(np.mean((depth[textured].astype(np.float64) - z[textured]) ** 2))
        surface = "tilted plane" if int(folder) % 2 else "curved surface"
        print(
            f"| {label} | {folder} ({surface}) | {rms:.3f} | {psnr(focused, sharp):.1f} "
            f"| {pick} | {psnr(best, sharp):.1f} |"
        )


if __name__ == "__main__":
    main()

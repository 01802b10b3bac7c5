"""Scores depth maps and all-in-focus images, whoever made them (<folder>_depth.tif and
<folder>_focused.tif in a folder each), and prints one tab-separated line a stack.

    picks <base/> <images, 0: all> <folder>...
        the picked image of each stack, the one sharpest as a whole: "<base><folder>\t<image>"
    known <base/> <picks file> <label> <depth dir, or -> <focused dir>
        on stacks of a known focal surface (focal_surface_stacks.py): label, folder, surface,
        texture, all-in-focus PSNR and SSIM against the sharp scene, PSNR within 16 pixels of a
        depth edge (nan without one), depth RMS error in images over textured pixels (nan without
        a depth map), the share of 64 x 64 blocks whose PSNR is more than 0.5 dB below the picked
        image's
    real <base/> <picks file> <label> <focused dir> <folder>...
        on real stacks: label, stack, the share of 32 x 32 blocks at least 0.9 x as sharp as the
        picked image, the median of those ratios

Sharpness is the squared Laplacian after a Gaussian of sigma 1.5, summed over the block (or the
image, for the pick).
"""

import math
import pathlib
import sys

import cv2
import numpy as np
from skimage.metrics import structural_similarity

WORSE_DB = 0.5
PSNR_BLOCK = 64
SHARPNESS_BLOCK = 32
AS_SHARP = 0.9


def read(path, flags=cv2.IMREAD_UNCHANGED):
    image = cv2.imread(str(path), flags)
    if image is None:
        sys.exit(f"score_focus_peers: cannot read {path}")
    return image


def sharpness(image):
    smooth = cv2.GaussianBlur(image.astype(np.float32), (0, 0), 1.5)
    laplacian = cv2.Laplacian(smooth, cv2.CV_32F, ksize=1)
    return laplacian.astype(np.float64) ** 2


def block_sums(values, block):
    """Sums over whole blocks of block x block pixels (a partial last row or column is left out)."""
    rows, cols = values.shape[0] // block, values.shape[1] // block
    return values[: rows * block, : cols * block].reshape(rows, block, cols, block).sum(axis=(1, 3))


def psnr(mse):
    return math.inf if mse == 0 else 10 * math.log10(255.0**2 / mse)


def picks(base, images, folders):
    for folder in folders:
        paths = ([base / folder / f"{k:02d}.bmp" for k in range(1, images + 1)] if images
                 else sorted((base / folder).glob("[0-9][0-9].bmp")))
        scores = [sharpness(read(path, cv2.IMREAD_GRAYSCALE)).sum() for path in paths]
        print(f"{base}/{folder}\t{paths[int(np.argmax(scores))].stem}")


def read_picks(path):
    return dict(line.split("\t") for line in pathlib.Path(path).read_text().splitlines())


def focused_image(directory, folder, shape):
    focused = read(pathlib.Path(directory) / f"{folder}_focused.tif", cv2.IMREAD_GRAYSCALE)
    if focused.shape != shape:
        sys.exit(f"score_focus_peers: {directory}/{folder}_focused.tif has another size")
    return focused


def known(base, picks_file, label, depth_dir, focused_dir):
    chosen = read_picks(picks_file)
    for line in (base / "stacks.tsv").read_text().splitlines():
        folder, surface, texture = line.split("\t")
        truth = base / "truth"
        sharp = read(truth / f"{folder}_sharp.tif").astype(np.float64)
        focused = focused_image(focused_dir, folder, sharp.shape)
        pick = read(base / folder / f"{chosen[f'{base}/{folder}']}.bmp", cv2.IMREAD_GRAYSCALE)
        error = (focused - sharp) ** 2
        band = read(truth / f"{folder}_edges.tif") > 0
        band_psnr = psnr(error[band].mean()) if band.any() else math.nan
        rms = math.nan
        if depth_dir != "-":
            depth = read(pathlib.Path(depth_dir) / f"{folder}_depth.tif").astype(np.float64)
            textured = read(truth / f"{folder}_textured.tif") > 0
            z = read(truth / f"{folder}_z.tif")
            rms = math.sqrt(np.mean((depth[textured] - z[textured]) ** 2))
        ssim = structural_similarity(focused, sharp.astype(np.uint8), data_range=255)
        ours = block_sums(error, PSNR_BLOCK)
        theirs = block_sums((pick - sharp) ** 2, PSNR_BLOCK)
        worse = np.mean(ours > theirs * 10 ** (WORSE_DB / 10))
        print(f"{label}\t{folder}\t{surface}\t{texture}\t{psnr(error.mean()):.2f}\t{ssim:.4f}"
              f"\t{band_psnr:.2f}\t{rms:.3f}\t{worse:.4f}")


def real(base, picks_file, label, focused_dir, folders):
    chosen = read_picks(picks_file)
    for folder in folders:
        pick = read(base / folder / f"{chosen[f'{base}/{folder}']}.bmp", cv2.IMREAD_GRAYSCALE)
        focused = focused_image(focused_dir, folder, pick.shape)
        ours = block_sums(sharpness(focused), SHARPNESS_BLOCK)
        theirs = block_sums(sharpness(pick), SHARPNESS_BLOCK)
        # A block blank in both (no light) counts as as sharp: a tiny share of the mean guards it.
        guard = 1e-9 * theirs.mean() + 1e-12
        ratio = (ours + guard) / (theirs + guard)
        print(f"{label}\t{base.name} {folder}\t{np.mean(ratio >= AS_SHARP):.4f}"
              f"\t{np.median(ratio):.3f}")


def main():
    if len(sys.argv) < 4 or sys.argv[1] not in ("picks", "known", "real"):
        sys.exit(__doc__)
    command, base = sys.argv[1], pathlib.Path(sys.argv[2])
    if command == "picks":
        picks(base, int(sys.argv[3]), sys.argv[4:])
    elif command == "known" and len(sys.argv) == 7:
        known(base, *sys.argv[3:7])
    elif command == "real" and len(sys.argv) >= 7:
        real(base, sys.argv[3], sys.argv[4], sys.argv[5], sys.argv[6:])
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main()

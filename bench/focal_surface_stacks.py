"""Writes focus stacks whose focal surface is known at every pixel, with the truth beside them, so
that depth maps and all-in-focus images can be scored:

    <base>NNN/NN.bmp              the stacks, folders 001 onwards, images 01 onwards (8-bit gray)
    <base>truth/NNN_sharp.tif     the scene in focus everywhere (8-bit gray)
    <base>truth/NNN_z.tif         the focal surface: at each pixel the 1-based image number, a
                                  fraction, where that pixel is in focus (32-bit float)
    <base>truth/NNN_textured.tif  255 where the scene has texture that stands out of the noise
    <base>truth/NNN_edges.tif     255 within 16 pixels of a depth edge (a step of the surface)
    <base>stacks.tsv              folder, surface, texture: one line a stack

Surfaces: a tilted plane, a paraboloid, a fine egg-crate (a period of 128 pixels), a step and a
small disc standing out of a flat field; all within images 3 to 18. Textures: a synthetic one of
several scales, and the best image of a real stack (contrast stretched, mirrored to fill the
size). Every texture gets two blank round patches of one gray. The scene is softened once by the
lens (sigma 1 pixel); image k blurs each pixel with a Gaussian of sigma 0.9 |z - k| pixels
(interpolated between the blurs at whole and half distances), then adds noise of sigma 2 gray
levels. Everything comes from fixed seeds.

    python3 focal_surface_stacks.py <base/> <side> <images> <texture,...> [<surface,...>]

A texture is `synthetic` or the path of a real image; the surfaces default to all five. Each
texture makes one stack per surface, in the order given.
"""

import pathlib
import sys

import cv2
import numpy as np

LENS_SIGMA = 1.0
DEFOCUS_SIGMA_STEP = 0.9  # pixels of sigma per image away from focus
NOISE_SIGMA = 2.0
BLANK_GRAY = 200.0
DISTANCE_STEP = 0.5  # the blurs are made at these steps of |z - k| and interpolated between
EDGE_BAND = 16  # pixels either side of a depth edge
SURFACES = ("plane", "paraboloid", "egg-crate", "step", "disc")


def surface(name, side):
    """The focal surface as 1-based fractional image numbers, within images 3 to 18."""
    y, x = np.mgrid[0:side, 0:side].astype(np.float64) / (side - 1)
    if name == "plane":
        z = 3 + 15 * (0.7 * x + 0.3 * y)
    elif name == "paraboloid":
        z = 3 + 15 * ((x - 0.5) ** 2 + (y - 0.5) ** 2) / 0.5
    elif name == "egg-crate":
        period = 128 / side
        z = 10.5 + 6 * np.sin(2 * np.pi * x / period) * np.sin(2 * np.pi * y / period)
    elif name == "step":
        # A slightly slanted edge, so that it crosses pixel columns.
        z = np.where(x < 0.5 + 0.1 * (y - 0.5), 5.0, 15.0)
    elif name == "disc":
        z = np.where((x - 0.6) ** 2 + (y - 0.4) ** 2 < 0.08**2, 15.0, 6.0)
    else:
        sys.exit(f"focal_surface_stacks: unknown surface {name}")
    return z.astype(np.float32)


def synthetic_texture(side, rng):
    """Random features of 3 to 24 pixels; the finer weigh more: they are what defocus takes."""
    texture = np.zeros((side, side), np.float32)
    for cell, weight in ((3, 1.5), (6, 1.0), (12, 0.6), (24, 0.3)):
        coarse = rng.standard_normal((side // cell + 2, side // cell + 2)).astype(np.float32)
        fine = cv2.resize(coarse, (coarse.shape[1] * cell, coarse.shape[0] * cell),
                          interpolation=cv2.INTER_CUBIC)
        texture += weight * fine[:side, :side]
    return 120.0 + 25.0 * texture


def real_texture(path, side):
    """A real image, its 0.5 and 99.5 percentiles stretched to 20 and 235, mirrored to side²."""
    image = cv2.imread(str(path), cv2.IMREAD_GRAYSCALE)
    if image is None:
        sys.exit(f"focal_surface_stacks: cannot read {path}")
    low, high = np.percentile(image, (0.5, 99.5))
    texture = 20 + 215 * (image.astype(np.float32) - low) / max(high - low, 1.0)
    repeats = (-(-side // image.shape[0]), -(-side // image.shape[1]))
    rows = [texture if i % 2 == 0 else texture[::-1] for i in range(repeats[0])]
    column = np.concatenate(rows, axis=0)
    tiles = [column if j % 2 == 0 else column[:, ::-1] for j in range(repeats[1])]
    return np.clip(np.concatenate(tiles, axis=1)[:side, :side], 0, 255)


def scene(texture_name, side, rng):
    """The in-focus scene and its textured mask (blank patches away from the surfaces' edges)."""
    if texture_name == "synthetic":
        texture = synthetic_texture(side, rng)
    else:
        texture = real_texture(texture_name, side)
    textured = np.full((side, side), 255, np.uint8)
    for cx, cy in ((0.2, 0.8), (0.85, 0.15)):
        centre = (int(cx * side), int(cy * side))
        cv2.circle(textured, centre, side // 10, 0, cv2.FILLED)
    texture[textured == 0] = BLANK_GRAY
    sharp = cv2.GaussianBlur(texture, (0, 0), LENS_SIGMA)
    # A real image has flat parts of its own: textured are the pixels where the scene in focus
    # gives a squared Laplacian (mean over 15 x 15) at least the noise's own, 20 sigma².
    laplacian = cv2.Laplacian(sharp, cv2.CV_32F, ksize=1)
    textured[cv2.blur(laplacian * laplacian, (15, 15)) < 20 * NOISE_SIGMA**2] = 0
    return sharp, textured


def edge_band(z):
    """Pixels within EDGE_BAND of a jump of the surface by more than one image."""
    kernel = np.ones((3, 3), np.uint8)
    jump = cv2.dilate(z, kernel) - cv2.erode(z, kernel) > 1.0
    distance = cv2.distanceTransform((~jump).astype(np.uint8), cv2.DIST_L2, 5)
    return np.where(distance <= EDGE_BAND, 255, 0).astype(np.uint8)


def write_stack(folder, sharp, z, images, rng):
    """Image k blurs each pixel by its distance from focus, |z - k|, then adds noise."""
    levels = int(np.ceil((images - 1) / DISTANCE_STEP)) + 1
    blurs = [sharp]
    for level in range(1, levels):
        sigma = DEFOCUS_SIGMA_STEP * level * DISTANCE_STEP
        blurs.append(cv2.GaussianBlur(sharp, (0, 0), sigma))
    blurs = np.stack(blurs)
    rows, cols = np.indices(z.shape)
    folder.mkdir(parents=True, exist_ok=True)
    for k in range(1, images + 1):
        position = np.minimum(np.abs(z - k) / DISTANCE_STEP, levels - 1)
        lower = np.minimum(position.astype(np.int64), levels - 2)
        weight = position - lower
        image = (1 - weight) * blurs[lower, rows, cols] + weight * blurs[lower + 1, rows, cols]
        image += rng.normal(0.0, NOISE_SIGMA, image.shape).astype(np.float32)
        path = folder / f"{k:02d}.bmp"
        if not cv2.imwrite(str(path), np.clip(np.rint(image), 0, 255).astype(np.uint8)):
            sys.exit(f"focal_surface_stacks: cannot write {path}")


def main():
    if len(sys.argv) not in (5, 6):
        sys.exit(__doc__)
    base = pathlib.Path(sys.argv[1])
    side, images = int(sys.argv[2]), int(sys.argv[3])
    if not 64 <= side <= 8192 or not 2 <= images <= 99:
        sys.exit("focal_surface_stacks: side 64 to 8192, images 2 to 99")
    textures = sys.argv[4].split(",")
    surfaces = sys.argv[5].split(",") if len(sys.argv) == 6 else list(SURFACES)
    truth = base / "truth"
    truth.mkdir(parents=True, exist_ok=True)
    manifest = []
    number = 0
    for texture_index, texture_name in enumerate(textures):
        path = pathlib.Path(texture_name)
        label = "synthetic" if texture_name == "synthetic" else f"{path.parent.parent.name}-{path.parent.name}"
        sharp, textured = scene(texture_name, side, np.random.default_rng(texture_index))
        for surface_name in surfaces:
            number += 1
            folder = f"{number:03d}"
            z = surface(surface_name, side)
            write_stack(base / folder, sharp, z, images, np.random.default_rng(1000 + number))
            for name, image in (("sharp", np.clip(np.rint(sharp), 0, 255).astype(np.uint8)),
                                ("z", z), ("textured", textured), ("edges", edge_band(z))):
                cv2.imwrite(str(truth / f"{folder}_{name}.tif"), image)
            manifest.append(f"{folder}\t{surface_name}\t{label}")
            print(f"  {folder}: {surface_name} on the {label} texture", file=sys.stderr)
    (base / "stacks.tsv").write_text("\n".join(manifest) + "\n")


if __name__ == "__main__":
    main()

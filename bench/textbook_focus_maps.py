"""The textbook per-pixel depth map and all-in-focus image, a peer for bestfocus's maps: each
image's squared Laplacian summed over a 9 x 9 window around every pixel; at each pixel the image
where that response peaks, refined by the parabola through the peak and its two neighbours (its
vertex, at most half an image away; none at the stack's ends); the all-in-focus image takes every
pixel from the image nearest that depth. It holds the whole stack and its responses in memory, as
the method does. Writes the files bestfocus writes: <out>/<folder>_depth.tif (32-bit float,
1-based image numbers) and <out>/<folder>_focused.tif.

    python3 textbook_focus_maps.py <base/> <images, 0: all there are> <out dir> <folder>...
"""

import pathlib
import sys

import cv2
import numpy as np

WINDOW = 9


def stack_paths(folder, images):
    if images:
        return [folder / f"{k:02d}.bmp" for k in range(1, images + 1)]
    return sorted(folder.glob("[0-9][0-9].bmp"))


def read_stack(paths):
    stack = []
    for path in paths:
        image = cv2.imread(str(path), cv2.IMREAD_GRAYSCALE)
        if image is None or (stack and image.shape != stack[0].shape):
            sys.exit(f"textbook_focus_maps: cannot read {path}, or it has another size")
        stack.append(image)
    return np.stack(stack)


def response(image):
    laplacian = cv2.Laplacian(image.astype(np.float32), cv2.CV_32F, ksize=1)
    return cv2.boxFilter(laplacian * laplacian, -1, (WINDOW, WINDOW), normalize=False,
                         borderType=cv2.BORDER_REFLECT)


def depth_and_focused(stack):
    responses = np.stack([response(image) for image in stack])
    best = np.argmax(responses, axis=0)
    count = len(stack)
    rows, cols = np.indices(best.shape)
    below = responses[np.maximum(best - 1, 0), rows, cols].astype(np.float64)
    peak = responses[best, rows, cols].astype(np.float64)
    above = responses[np.minimum(best + 1, count - 1), rows, cols].astype(np.float64)
    curvature = below - 2 * peak + above
    inside = (best > 0) & (best < count - 1) & (curvature < 0)
    offset = np.zeros(best.shape)
    np.divide(below - above, 2 * curvature, out=offset, where=inside)
    depth = best + 1 + np.clip(offset, -0.5, 0.5)
    nearest = np.clip(np.rint(depth).astype(np.int64) - 1, 0, count - 1)
    return depth.astype(np.float32), stack[nearest, rows, cols]


def main():
    if len(sys.argv) < 5:
        sys.exit(__doc__)
    base, images, out = pathlib.Path(sys.argv[1]), int(sys.argv[2]), pathlib.Path(sys.argv[3])
    out.mkdir(parents=True, exist_ok=True)
    for folder in sys.argv[4:]:
        depth, focused = depth_and_focused(read_stack(stack_paths(base / folder, images)))
        cv2.imwrite(str(out / f"{folder}_depth.tif"), depth)
        cv2.imwrite(str(out / f"{folder}_focused.tif"), focused)


if __name__ == "__main__":
    main()

"""Draws the picture of a depth map in docs/performance.md: the stack's best plane, its all-in-focus
image and its depth map (viridis, with its scale in image numbers) side by side, each `width`
pixels wide.

    python3 focus_map_figure.py <best plane> <depth.tif> <focused.tif> <label> <out.png> [width]
"""

import sys

import cv2
import numpy as np

SCALE_HEIGHT = 36
TITLE_HEIGHT = 28


def read(path):
    image = cv2.imread(path, cv2.IMREAD_UNCHANGED)
    if image is None:
        sys.exit(f"focus_map_figure: cannot read {path}")
    return image


def to_8_bit(image):
    return image if image.dtype == np.uint8 else (image // 257).astype(np.uint8)


def titled(panel, title):
    bar = np.full((TITLE_HEIGHT, panel.shape[1], 3), 255, np.uint8)
    cv2.putText(bar, title, (6, 20), cv2.FONT_HERSHEY_SIMPLEX, 0.55, (0, 0, 0), 1, cv2.LINE_AA)
    return np.vstack([bar, panel])


def colour_scale(width, low, high):
    """A bar of the colour map under the depth map, numbered in images at its ends and middle."""
    ramp = np.tile(np.linspace(0, 255, width).astype(np.uint8), (12, 1))
    bar = np.full((SCALE_HEIGHT, width, 3), 255, np.uint8)
    bar[:12] = cv2.applyColorMap(ramp, cv2.COLORMAP_VIRIDIS)
    for share, anchor in ((0.0, 0), (0.5, -0.5), (1.0, -1)):
        text = f"{low + share * (high - low):.1f}"
        (text_width, _), _ = cv2.getTextSize(text, cv2.FONT_HERSHEY_SIMPLEX, 0.45, 1)
        x = int(share * (width - 1) + anchor * text_width)
        cv2.putText(bar, text, (max(0, x), 30), cv2.FONT_HERSHEY_SIMPLEX, 0.45, (0, 0, 0), 1,
                    cv2.LINE_AA)
    return bar


def main():
    best_path, depth_path, focused_path, label, out = sys.argv[1:6]
    width = int(sys.argv[6]) if len(sys.argv) > 6 else 360
    depth = read(depth_path).astype(np.float64)
    best = to_8_bit(read(best_path))
    focused = to_8_bit(read(focused_path))
    height = round(depth.shape[0] * width / depth.shape[1])
    low, high = float(depth.min()), float(depth.max())
    levels = np.uint8(np.clip((depth - low) / max(high - low, 1e-9) * 255, 0, 255))
    heat = cv2.resize(cv2.applyColorMap(levels, cv2.COLORMAP_VIRIDIS), (width, height),
                      interpolation=cv2.INTER_AREA)

    def gray_panel(image):
        small = cv2.resize(image, (width, height), interpolation=cv2.INTER_AREA)
        return np.vstack([cv2.cvtColor(small, cv2.COLOR_GRAY2BGR),
                          np.full((SCALE_HEIGHT, width, 3), 255, np.uint8)])

    gap = np.full((height + SCALE_HEIGHT + TITLE_HEIGHT, 8, 3), 255, np.uint8)
    figure = np.hstack([titled(gray_panel(best), f"best plane ({label})"), gap,
                        titled(gray_panel(focused), "all in focus"), gap,
                        titled(np.vstack([heat, colour_scale(width, low, high)]),
                               "depth map (image number)")])
    if not cv2.imwrite(out, figure, [cv2.IMWRITE_PNG_COMPRESSION, 9]):
        sys.exit(f"focus_map_figure: cannot write {out}")


if __name__ == "__main__":
    main()

"""What the measures' exact scores (measures/<name>/<name>_exact.py) are written with: integer
sums over the pixels in Python integers, banded so that 4096 x 4096 images stay small in int64."""
import numpy as np

SOBEL_X = [[1, 0, -1], [2, 0, -2], [1, 0, -1]]
SOBEL_Y = [[1, 2, 1], [0, 0, 0], [-1, -2, -1]]
BAND_ROWS = 512  # term rows summed at once


def total_of_rows(array):
    """The exact total of an int64 array, row by row in Python integers."""
    return sum(array.sum(axis=1).tolist())


def responses(image, weights, first, end, anchors_x):
    """The weighted window sums of anchor rows first <= y < end, x < anchors_x."""
    total = np.zeros((end - first, anchors_x), dtype=np.int64)
    for dy, row in enumerate(weights):
        for dx, weight in enumerate(row):
            if weight:
                total += weight * image[first + dy:end + dy, dx:dx + anchors_x]
    return total


def sum_of_squares(image, stencils, anchors_x, anchors_y):
    total = 0
    for first in range(0, max(anchors_y, 0) if anchors_x > 0 else 0, BAND_ROWS):
        end = min(first + BAND_ROWS, anchors_y)
        for weights in stencils:
            r = responses(image, weights, first, end, anchors_x)
            total += total_of_rows(r * r)
    return total


def pixel_moments(image):
    """N, S1 (the pixels' sum), S2 (their squares') and P (each pixel times the one below)."""
    height, width = image.shape
    return (width * height, total_of_rows(image), total_of_rows(image * image),
            total_of_rows(image[:-1] * image[1:]))

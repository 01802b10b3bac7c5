"""Tenengrad variance: the variance of Tenengrad's terms T = Gx^2 + Gy^2 over its n anchors,
in Python integers (T^2 passes 64 bits at 16 bits)."""
from fractions import Fraction

from exact_sums import BAND_ROWS, SOBEL_X, SOBEL_Y, responses


def exact_score(image, m):
    """The exact score of an image of integer pixels of at most m."""
    height, width = image.shape
    n = max(width - 2, 0) * max(height - 2, 0)
    if n == 0:
        return Fraction(0)
    s = q = 0
    for first in range(0, height - 2, BAND_ROWS):
        end = min(first + BAND_ROWS, height - 2)
        gx = responses(image, SOBEL_X, first, end, width - 2)
        gy = responses(image, SOBEL_Y, first, end, width - 2)
        terms = (gx * gx + gy * gy).astype(object)
        s += int(terms.sum())
        q += int((terms * terms).sum())
    return Fraction(n * q - s * s, n * n * m ** 4)

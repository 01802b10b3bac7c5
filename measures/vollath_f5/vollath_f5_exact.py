"""Vollath F5: (N P - S1^2) / (N m^2), P each pixel times the one below; 0 on one row."""
from fractions import Fraction

from exact_sums import pixel_moments


def exact_score(image, m):
    """The exact score of an image of integer pixels of at most m."""
    n, s1, _, p = pixel_moments(image)
    return Fraction(n * p - s1 * s1, n * m * m) if image.shape[0] >= 2 else Fraction(0)

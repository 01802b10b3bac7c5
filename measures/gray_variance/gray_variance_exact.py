"""Gray variance: (N S2 - S1^2) / (N^2 m^2)."""
from fractions import Fraction

from exact_sums import pixel_moments


def exact_score(image, m):
    """The exact score of an image of integer pixels of at most m."""
    n, s1, s2, _ = pixel_moments(image)
    return Fraction(n * s2 - s1 * s1, n * n * m * m)

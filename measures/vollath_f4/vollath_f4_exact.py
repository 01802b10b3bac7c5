"""Vollath F4: each pixel times the one below, less each pixel times the one two below."""
from fractions import Fraction

from exact_sums import total_of_rows


def exact_score(image, m):
    """The exact score of an image of integer pixels of at most m."""
    height = image.shape[0]
    s1 = total_of_rows(image[:-1] * image[1:]) if height >= 2 else 0
    s2 = total_of_rows(image[:-2] * image[2:]) if height >= 3 else 0
    return Fraction(s1 - s2, m * m)

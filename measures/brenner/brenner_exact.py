"""Brenner: the pixel two rows below less the pixel, squared."""
from fractions import Fraction

from exact_sums import sum_of_squares


def exact_score(image, m):
    """The exact score of an image of integer pixels of at most m."""
    height, width = image.shape
    return Fraction(sum_of_squares(image, [[[-1], [0], [1]]], width, height - 2), m * m)

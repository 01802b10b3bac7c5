"""MDCT: the 4 x 4 sign pattern's response squared, anchors one short of the last fit."""
from fractions import Fraction

from exact_sums import sum_of_squares


def exact_score(image, m):
    """The exact score of an image of integer pixels of at most m."""
    signs = [[1 if (i < 2) == (j < 2) else -1 for j in range(4)] for i in range(4)]
    height, width = image.shape
    return Fraction(sum_of_squares(image, [signs], width - 4, height - 4), m * m)

"""Tenengrad: the squared Sobel responses in x and y."""
from fractions import Fraction

from exact_sums import SOBEL_X, SOBEL_Y, sum_of_squares


def exact_score(image, m):
    """The exact score of an image of integer pixels of at most m."""
    height, width = image.shape
    return Fraction(sum_of_squares(image, [SOBEL_X, SOBEL_Y], width - 2, height - 2), m * m)

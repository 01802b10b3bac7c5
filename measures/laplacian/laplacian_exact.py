"""Laplacian: the four-neighbour Laplacian squared."""
from fractions import Fraction

from exact_sums import sum_of_squares


def exact_score(image, m):
    """The exact score of an image of integer pixels of at most m."""
    height, width = image.shape
    laplacian = [[0, 1, 0], [1, -4, 1], [0, 1, 0]]
    return Fraction(sum_of_squares(image, [laplacian], width - 2, height - 2), m * m)

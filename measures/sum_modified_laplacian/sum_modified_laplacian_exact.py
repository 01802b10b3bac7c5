"""Sum-modified Laplacian: |2c - left - right| + |2c - above - below|, over m."""
from fractions import Fraction

from exact_sums import total_of_rows


def exact_score(image, m):
    """The exact score of an image of integer pixels of at most m."""
    if min(image.shape) < 3:
        return Fraction(0)
    centre = image[1:-1, 1:-1]
    across = 2 * centre - image[1:-1, :-2] - image[1:-1, 2:]
    down = 2 * centre - image[:-2, 1:-1] - image[2:, 1:-1]
    return Fraction(total_of_rows(abs(across) + abs(down)), m)

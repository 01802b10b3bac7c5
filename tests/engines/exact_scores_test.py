#!/usr/bin/env python3
"""Both engines' --scores against an exact reference written from the measures' formulas.

Every case writes one stack of four TIFF images, runs bestfocus with --engine=cuda and with
--engine=cpu on every method, and checks that the two score files are byte-identical and that every
score is the exact rational value (integer sums over the pixels, over 255^2 or 65535^2, or the
variances', Tenengrad variance's and Vollath F5's fractions of such sums) rounded once to the nearest double.

    exact_scores_test.py BESTFOCUS WORK_FOLDER [fast|slow]
"""
import struct
import subprocess
import sys
from fractions import Fraction
from pathlib import Path

import numpy as np

MDCT_SIGNS = [[1 if (i < 2) == (j < 2) else -1 for j in range(4)] for i in range(4)]
SOBEL_X = [[1, 0, -1], [2, 0, -2], [1, 0, -1]]
SOBEL_Y = [[1, 2, 1], [0, 0, 0], [-1, -2, -1]]
LAPLACIAN = [[0, 1, 0], [1, -4, 1], [0, 1, 0]]
BRENNER = [[-1], [0], [1]]
BAND_ROWS = 512  # term rows summed at once, so that 4096 x 4096 images stay small in int64


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
            total += sum((r * r).sum(axis=1).tolist())
    return total


def vollath_f4(image):
    height = image.shape[0]
    s1 = sum((image[:-1] * image[1:]).sum(axis=1).tolist()) if height >= 2 else 0
    s2 = sum((image[:-2] * image[2:]).sum(axis=1).tolist()) if height >= 3 else 0
    return s1 - s2


def sum_modified_laplacian(image):
    centre = image[1:-1, 1:-1]
    across = 2 * centre - image[1:-1, :-2] - image[1:-1, 2:]
    down = 2 * centre - image[:-2, 1:-1] - image[2:, 1:-1]
    return sum((np.abs(across) + np.abs(down)).sum(axis=1).tolist())


PIXEL_POWERS = {6: 1}  # the others are over max_pixel^2


def exact_totals(image):
    """Method code -> the exact integer total of the measure, in pixel steps (squared)."""
    height, width = image.shape
    return {
        1: vollath_f4(image),
        2: sum_of_squares(image, [MDCT_SIGNS], width - 4, height - 4),
        3: sum_of_squares(image, [SOBEL_X, SOBEL_Y], width - 2, height - 2),
        4: sum_of_squares(image, [LAPLACIAN], width - 2, height - 2),
        5: sum_of_squares(image, [BRENNER], width, height - 2),
        6: sum_modified_laplacian(image) if min(width, height) >= 3 else 0,
    }


def moment_scores(image, m):
    """Method code -> the exact score of the measures of the pixels' sums (S1, S2, and P, each
    pixel times the one below)."""
    height, width = image.shape
    n = width * height
    s1 = sum(image.sum(axis=1).tolist())
    s2 = sum((image * image).sum(axis=1).tolist())
    p = sum((image[:-1] * image[1:]).sum(axis=1).tolist())
    return {
        7: Fraction(n * s2 - s1 * s1, n * n * m * m),
        8: Fraction(n * s2 - s1 * s1, n * m * s1) if s1 else Fraction(0),
        9: Fraction(n * p - s1 * s1, n * m * m) if height >= 2 else Fraction(0),
        10: tenengrad_variance(image, m),
    }


def tenengrad_variance(image, m):
    """Method 10: the variance of Tenengrad's terms T = Gx^2 + Gy^2 over its n anchors, in Python
    integers (T^2 passes 64 bits at 16 bits)."""
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


def exact_scores(image, max_pixel):
    """Method code -> the exact score."""
    scores = {method: Fraction(total, max_pixel ** PIXEL_POWERS.get(method, 2))
              for method, total in exact_totals(image).items()}
    scores.update(moment_scores(image, max_pixel))
    return scores


def write_tiff(path, pixels):
    """One uncompressed grayscale strip, little-endian."""
    height, width = pixels.shape
    bits = pixels.dtype.itemsize * 8
    data = pixels.astype('<u%d' % pixels.dtype.itemsize).tobytes()
    tags = [(256, 4, width), (257, 4, height), (258, 3, bits), (259, 3, 1), (262, 3, 1),
            (273, 4, 8), (277, 3, 1), (278, 4, height), (279, 4, len(data))]
    directory = struct.pack('<H', len(tags))
    for tag, kind, value in tags:
        directory += struct.pack('<HHI', tag, kind, 1)
        directory += struct.pack('<HH', value, 0) if kind == 3 else struct.pack('<I', value)
    directory += struct.pack('<I', 0)
    header = b'II' + struct.pack('<HI', 42, 8 + len(data))
    path.write_bytes(header + data + directory)


def images_of(case, rng):
    """Four images: uniform over the depth; one that is hard on rounding (8-bit values times 257
    at 16 bits; values 127 to 129 at 8 bits, nearly uniform); the largest value on the rows of
    the top half and 0 elsewhere (products across the edge vanish); and all 0 (no pixel sum)."""
    shape = (case['height'], case['width'])
    kind = np.uint16 if case['depth'] == 16 else np.uint8
    top_half = np.zeros(shape, dtype=kind)
    top_half[:(shape[0] + 1) // 2] = np.iinfo(kind).max
    if case['depth'] == 16:
        random = [rng.integers(0, 65536, shape, dtype=np.uint16),
                  (rng.integers(0, 256, shape, dtype=np.uint16) * 257).astype(np.uint16)]
    else:
        random = [rng.integers(0, 256, shape, dtype=np.uint8),
                  rng.integers(127, 130, shape, dtype=np.uint8)]
    return random + [top_half, np.zeros(shape, dtype=kind)]


def run(bestfocus, folder, case, engine):
    scores = folder / ('scores_%s.csv' % engine)
    command = [bestfocus, '--quiet', '--engine=' + engine, '--scores=' + str(scores),
               '--image-names=%02d.tif']
    if case.get('roi'):
        command.append('--roi=' + ','.join(map(str, case['roi'])))
    command += ['all', str(folder / 'stacks') + '/', '1', '1', '4'] + case['teams'].split()
    subprocess.run(command, cwd=folder, check=True, stdout=subprocess.DEVNULL)
    return scores.read_bytes()


def check(bestfocus, work, case, index):
    name = '%dbit_%dx%d' % (case['depth'], case['width'], case['height'])
    folder = work / ('case%02d_%s' % (index, name))
    (folder / 'stacks' / '001').mkdir(parents=True, exist_ok=True)
    rng = np.random.default_rng(index + 1)
    images = images_of(case, rng)
    for number, pixels in enumerate(images, 1):
        write_tiff(folder / 'stacks' / '001' / ('%02d.tif' % number), pixels)
    failures = []
    cuda, cpu = run(bestfocus, folder, case, 'cuda'), run(bestfocus, folder, case, 'cpu')
    if cuda != cpu:
        failures.append('--engine=cuda and --engine=cpu scores differ')
    max_pixel = 65535 if case['depth'] == 16 else 255
    expected = {}
    for number, pixels in enumerate(images, 1):
        if case.get('roi'):
            x, y, w, h = case['roi']
            pixels = pixels[y:y + h, x:x + w]
        for method, score in exact_scores(pixels.astype(np.int64), max_pixel).items():
            expected[(number, method)] = float(score)
    for scores, engine in ((cuda, 'cuda'), (cpu, 'cpu')):
        for line in scores.decode().splitlines()[1:]:
            _, image, method, score = line.split(',')[:4]
            want = expected[(int(image), int(method))]
            if float(score) != want:
                failures.append('%s: image %s method %s: %s, exact %r' %
                                (engine, image, method, score, want))
    label = '%s teams %s%s' % (name, case['teams'], ' roi %s' % (case['roi'],)
                               if case.get('roi') else '')
    print(('FAIL ' if failures else 'ok   ') + label)
    for failure in failures:
        print('     ' + failure)
    return not failures


# Every size from the smallest on, the grid's edges (32 x 32 blocks of anchors), long strips whose
# 16-bit sums pass 15 significant digits, regions, and every team shape.
FAST_CASES = [
    dict(width=w, height=h, depth=d, teams=t, roi=r) for (w, h, t, r) in [
        (1, 1, '1 1 1', None), (1, 3, '2 3 4', None), (3, 1, '8 2 10', None),
        (2, 2, '1 1 1024', None), (3, 3, '1 1 1', None), (4, 5, '2 3 4', None),
        (5, 5, '8 2 10', None), (35, 37, '1 1 1024', None), (1025, 3, '1 1 1', None),
        (131072, 5, '2 3 4', None), (262145, 5, '8 2 10', None), (8191, 40, '2 3 4', None),
        (1, 70000, '1 1 1024', None),
        (300, 200, '8 2 10', (17, 9, 101, 77)), (300, 200, '1 1 1', (295, 195, 5, 5)),
        (640, 480, '1 1 1024', (2, 3, 600, 470)),
    ] for d in (8, 16)]
SLOW_CASES = [dict(width=4096, height=4096, depth=d, teams=t, roi=None)
              for d, t in ((8, '8 2 10'), (16, '1 1 1024'))]


def main():
    bestfocus, work = str(Path(sys.argv[1]).resolve()), Path(sys.argv[2])
    cases = SLOW_CASES if len(sys.argv) > 3 and sys.argv[3] == 'slow' else FAST_CASES
    results = [check(bestfocus, work, case, index) for index, case in enumerate(cases)]
    print('%d of %d cases exact on both engines' % (sum(results), len(results)))
    return 0 if all(results) else 1


if __name__ == '__main__':
    sys.exit(main())

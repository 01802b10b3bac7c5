#!/usr/bin/env python3
"""Both engines' --scores against an exact reference written from the measures' formulas.

Every case writes one stack of four TIFF images, runs bestfocus with --engine=cuda and with
--engine=cpu on every method, and checks that the two score files are byte-identical and that every
score is the exact rational value (integer sums over the pixels, over 255^2 or 65535^2, or a
fraction of such sums) rounded once to the nearest double. Each listed measure's exact score is
measures/<name>/<name>_exact.py, found through measures/measure_list.h.

    exact_scores_test.py BESTFOCUS WORK_FOLDER [fast|slow]
"""
import importlib.util
import re
import struct
import subprocess
import sys
from pathlib import Path

import numpy as np

ROOT = Path(__file__).resolve().parents[2]
LISTED = re.compile(r'^\s*X\((\d+),\s*(\w+),', re.MULTILINE)


def listed_measures():
    """Method code -> the exact score of each measure of measures/measure_list.h, from its folder's
    <name>_exact.py."""
    sys.path.insert(0, str(Path(__file__).resolve().parent))  # exact_sums.py
    scores = {}
    for code, name in LISTED.findall((ROOT / 'measures' / 'measure_list.h').read_text()):
        path = ROOT / 'measures' / name / (name + '_exact.py')
        found = importlib.util.spec_from_file_location(name + '_exact', path)
        module = importlib.util.module_from_spec(found)
        found.loader.exec_module(module)
        scores[int(code)] = module.exact_score
    return scores


MEASURES = listed_measures()


def exact_scores(image, max_pixel):
    """Method code -> the exact score."""
    return {code: score(image, max_pixel) for code, score in MEASURES.items()}


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

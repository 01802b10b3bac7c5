#!/usr/bin/python3
"""Picks the sharpest image of every focus stack the way a user would with OpenCV in Python.

Same arguments and report as `bestfocus 4 base first last images`: the focus of an image is the
sum of squares of its Laplacian; the report goes to the working directory.

    best_focus_reference.py <base folder ending in /> <first> <last> <images per stack>
"""
import sys
import time

import cv2
import numpy as np


def laplacian_energy(path):
    image = cv2.imread(path, cv2.IMREAD_GRAYSCALE)
    if image is None:
        sys.exit(f"cannot read {path}")
    laplacian = cv2.Laplacian(image, cv2.CV_64F)
    return float(np.sum(laplacian * laplacian))


def sharpest_image(folder, images):
    focus = [laplacian_energy(f"{folder}{number:02d}.bmp") for number in range(1, images + 1)]
    return 1 + int(np.argmax(focus))  # the first of equal maxima, as the tool


def main():
    base, first, last, images = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), int(sys.argv[4])
    start = time.perf_counter()
    best = [sharpest_image(f"{base}{folder:03d}/", images) for folder in range(first, last + 1)]
    seconds = time.perf_counter() - start
    print(f"\n{seconds:f}")
    with open(f"BestFocus_AutofocusStacks_Folder_{first}_to_{last}_method_4.txt", "w") as report:
        report.writelines(f"{number}\n" for number in best)
        report.write(f"\nTotal time: {seconds:f} seconds...")


if __name__ == "__main__":
    main()

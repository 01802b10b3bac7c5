"""focus_map against the executable's tile files, all_in_focus against numpy."""

import csv
import subprocess

import cv2
import numpy as np
import pytest

import bestfocus
from conftest import BUILD, SAMPLES


@pytest.mark.parametrize("roi", [None, (13, 7, 290, 221)])
def test_focus_map_matches_the_executable(tmp_path, roi):
    """Tile edges between pixels (240 / 7 rows, 290 / 9 columns); flags, picks, depth bit for bit."""
    region = [f"--roi={','.join(map(str, roi))}"] if roi else []
    subprocess.run([str(BUILD / "bestfocus"), "--quiet", "--tiles=7x9", *region,
                    f"--tile-summary={tmp_path / 't.csv'}", f"--depth-map={tmp_path}",
                    f"--all-in-focus={tmp_path}", "3", SAMPLES, "12", "12", "20"],
                   cwd=tmp_path, check=True, stdout=subprocess.DEVNULL)
    stack = bestfocus.read_stack(SAMPLES + "012/", 20)
    found = bestfocus.focus_map(stack, 3, (7, 9), engine="cpu", roi=roi)
    with open(tmp_path / "t.csv") as table:
        for row in csv.DictReader(table):
            at = int(row["tile_row"]), int(row["tile_col"])
            assert found.best[at] == int(row["best"])
            assert found.fractional_best[at] == float(row["fractional_best"])
            assert ";".join(found.flags[at[0]][at[1]]) == row["flags"]
    depth = cv2.imread(str(tmp_path / "012_depth.tif"), cv2.IMREAD_UNCHANGED)
    assert depth.dtype == np.float32 and np.array_equal(found.depth, depth)
    focused = cv2.imread(str(tmp_path / "012_focused.tif"), cv2.IMREAD_UNCHANGED)
    cropped = stack if roi is None else stack[:, roi[1]:roi[1] + roi[3], roi[0]:roi[0] + roi[2]]
    assert np.array_equal(bestfocus.all_in_focus(cropped, found.depth), focused)


@pytest.mark.parametrize("dtype", [np.uint8, np.uint16])
def test_all_in_focus_blends_the_two_nearest_images(dtype):
    random = np.random.default_rng(3)
    top = np.iinfo(dtype).max
    stack = random.integers(0, top, size=(6, 31, 17), endpoint=True, dtype=dtype)
    depth = random.uniform(0.0, 7.0, size=(31, 17)).astype(np.float32)
    depth[0, :6] = [1, 6, 2.5, 3.5, 0.25, 6.75]  # whole images, halves, beyond both ends
    d = np.clip(depth.astype(np.float64), 1, 6)
    lower = np.minimum(np.floor(d), 5).astype(int)
    upper_weight = d - lower
    rows, columns = np.indices(d.shape)
    value = (1 - upper_weight) * stack[lower - 1, rows, columns] + \
        upper_weight * stack[lower, rows, columns]
    expected = np.floor(value + 0.5).astype(dtype)
    # A transposed view of the same stack gives the transposed image.
    assert np.array_equal(bestfocus.all_in_focus(stack, depth), expected)
    assert np.array_equal(bestfocus.all_in_focus(stack.transpose(0, 2, 1), depth.T), expected.T)


@pytest.mark.parametrize("arguments, error", [
    (dict(tiles=(0, 8)), ValueError),
    (dict(tiles=(8,)), ValueError),
    (dict(tiles=(241, 1)), ValueError),
    (dict(tiles=(60, 80), method=2), ValueError),  # 4 x 4 tiles, MDCT needs 5 x 5
    (dict(tiles=(2.5, 2)), TypeError),
], ids=["zero", "one_count", "more_than_rows", "smaller_than_window", "float"])
def test_focus_map_refuses_bad_tiles(arguments, error):
    stack = np.zeros((3, 240, 320), np.uint8)
    with pytest.raises(error):
        bestfocus.focus_map(stack, **arguments)

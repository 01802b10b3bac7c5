"""focus_map and all_in_focus against the executable's files, all_in_focus against numpy."""

import csv
import subprocess

import cv2
import numpy as np
import pytest

import bestfocus
from conftest import BUILD, SAMPLES


@pytest.mark.parametrize("roi", [None, (13, 7, 290, 221)])
def test_focus_map_matches_the_executable(tmp_path, roi):
    """Tile edges between pixels (240 / 7 rows, 290 / 9 columns); flags, picks, maps bit for bit;
    the executable's maps the same bytes whichever engine measures."""
    region = [f"--roi={','.join(map(str, roi))}"] if roi else []
    for engine in ["cuda", "cpu"]:
        subprocess.run([str(BUILD / "bestfocus"), "--quiet", f"--engine={engine}", "--tiles=7x9",
                        *region, f"--tile-summary={tmp_path / 't.csv'}",
                        f"--depth-map={tmp_path / engine}", f"--all-in-focus={tmp_path / engine}",
                        f"--confidence-map={tmp_path / engine}", "--focus-window=7", "3",
                        SAMPLES, "12", "12", "20"],
                       cwd=tmp_path, check=True, stdout=subprocess.DEVNULL)
    for name in ["012_depth.tif", "012_focused.tif", "012_confidence.tif"]:
        assert (tmp_path / "cuda" / name).read_bytes() == (tmp_path / "cpu" / name).read_bytes()
    tmp_path = tmp_path / "cpu"
    stack = bestfocus.read_stack(SAMPLES + "012/", 20)
    found = bestfocus.focus_map(stack, 3, window=7, tiles=(7, 9), engine="cpu", roi=roi)
    with open(tmp_path.parent / "t.csv") as table:
        for row in csv.DictReader(table):
            at = int(row["tile_row"]), int(row["tile_col"])
            assert found.best[at] == int(row["best"])
            assert found.fractional_best[at] == float(row["fractional_best"])
            assert ";".join(found.flags[at[0]][at[1]]) == row["flags"]
    depth = cv2.imread(str(tmp_path / "012_depth.tif"), cv2.IMREAD_UNCHANGED)
    assert depth.dtype == np.float32 and np.array_equal(found.depth, depth)
    confidence = cv2.imread(str(tmp_path / "012_confidence.tif"), cv2.IMREAD_UNCHANGED)
    assert np.array_equal(found.confidence, confidence)
    focused = cv2.imread(str(tmp_path / "012_focused.tif"), cv2.IMREAD_UNCHANGED)
    assert np.array_equal(bestfocus.all_in_focus(stack, 3, window=7, roi=roi), focused)


@pytest.mark.parametrize("dtype", [np.uint8, np.uint16])
def test_all_in_focus_takes_each_pixel_from_the_sharpest_image(dtype):
    """Laplacian energy over the 3 x 3 window centres around each pixel (the border's excluded),
    in float64 (exact integers here): where the confidence is above 0.1 the pixel comes from
    an image of the largest, elsewhere from the stack's pick."""
    random = np.random.default_rng(3)
    top = np.iinfo(dtype).max
    stack = random.integers(0, top, size=(6, 31, 17), endpoint=True, dtype=dtype)
    stack[2, 5:25, 3:14] //= 8  # a duller patch: the others are clearly sharper there
    p = stack.astype(np.float64)
    terms = np.zeros_like(p)
    terms[:, 1:-1, 1:-1] = (p[:, :-2, 1:-1] + p[:, 2:, 1:-1] + p[:, 1:-1, :-2] + p[:, 1:-1, 2:]
                            - 4 * p[:, 1:-1, 1:-1]) ** 2
    padded = np.pad(terms, ((0, 0), (1, 1), (1, 1)))
    energy = sum(padded[:, 1 + dy:32 + dy, 1 + dx:18 + dx] for dy in (-1, 0, 1) for dx in (-1, 0, 1))
    best = energy.max(axis=0)
    # Responses are kept as floats: sums that near one another are equals.
    near_best = energy >= best * (1 - 1e-6)
    pick = int(np.argmax(bestfocus.scores(stack, 4)[0]))
    sure = bestfocus.focus_map(stack, 4, window=3).confidence > 0.1
    for found, transposed in [(bestfocus.all_in_focus(stack, 4, window=3), False),
                              (bestfocus.all_in_focus(stack.transpose(0, 2, 1), 4, window=3).T,
                               True)]:
        assert found.dtype == dtype
        taken = ((stack == found) & near_best).any(axis=0)
        assert (taken | ~sure).all() and (found[~sure] == stack[pick][~sure]).all(), transposed


@pytest.mark.parametrize("arguments, error", [
    (dict(tiles=(0, 8)), ValueError),
    (dict(tiles=(8,)), ValueError),
    (dict(tiles=(241, 1)), ValueError),
    (dict(tiles=(60, 80), method=2), ValueError),  # 4 x 4 tiles, MDCT needs 5 x 5
    (dict(tiles=(2.5, 2)), TypeError),
    (dict(window=8), ValueError),
    (dict(window=0), ValueError),
    (dict(window=257), ValueError),
    (dict(window=3.0), TypeError),
], ids=["zero", "one_count", "more_than_rows", "smaller_than_window", "float", "even_window",
        "zero_window", "too_large_window", "float_window"])
def test_focus_map_refuses_bad_tiles(arguments, error):
    stack = np.zeros((3, 240, 320), np.uint8)
    with pytest.raises(error):
        bestfocus.focus_map(stack, **arguments)

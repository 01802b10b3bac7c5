"""The module's scores and picks against the executable's --scores and --summary files."""

import numpy as np
import pytest

import bestfocus
from conftest import SAMPLES, run_executable


def executable_matrix(rows, folder, methods):
    """(methods, images) from the scores file's rows of one folder, exactly as printed."""
    rows = [row for row in rows if int(row["folder"]) == folder]
    images = max(int(row["image"]) for row in rows)
    matrix = np.zeros((len(methods), images))
    for row in rows:
        matrix[methods.index(int(row["method"])), int(row["image"]) - 1] = float(row["score"])
    return matrix


@pytest.mark.parametrize("engine", ["cpu", "cuda"])
def test_eight_bit_folders_match_the_executable(tmp_path, engine):
    scores, summary = run_executable(tmp_path, f"--engine={engine}", "all", SAMPLES, "11",
                                     "12", "0")
    methods = [code for code, _, _ in bestfocus.measures()]
    results = bestfocus.run(SAMPLES, 11, 12, 0, "all", engine=engine)
    assert [result.folder for result in results] == [11, 12]
    for result in results:
        expected = executable_matrix(scores, result.folder, methods)
        assert np.array_equal(result.scores, expected)
        stack = bestfocus.read_stack(f"{SAMPLES}{result.folder:03d}")
        assert stack.dtype == np.uint8 and stack.shape == (20, 240, 320)
        in_memory = bestfocus.scores(stack, "all", engine=engine)
        assert np.array_equal(in_memory, expected)
        lines = [row for row in summary if int(row["folder"]) == result.folder]
        for picks in (result.picks, bestfocus.pick(stack, "all", engine=engine)):
            assert [(p.method, p.best, p.fractional_best, ";".join(p.flags)) for p in picks] == [
                (int(row["method"]), int(row["best"]), float(row["fractional_best"]),
                 row["flags"]) for row in lines]


def test_sixteen_bit_multipage_file_matches_the_executable(tmp_path, twins):
    base = f"{twins}/multipage/"
    scores, _ = run_executable(tmp_path, "--folder-names=pos_%02d.tif", "1,3", base, "11", "11",
                               "0")
    stack = bestfocus.read_stack(f"{base}pos_11.tif")
    assert stack.dtype == np.uint16 and stack.shape == (20, 240, 320)
    assert np.array_equal(bestfocus.scores(stack, [1, 3], engine="cpu"),
                          executable_matrix(scores, 11, [1, 3]))
    # The twins are the 8-bit images times 257: the same stack, read from its planes' folder.
    planes = bestfocus.read_stack(f"{twins}/planes/pos_11", image_names="z%03d.tif")
    assert np.array_equal(planes, stack)
    assert np.array_equal(stack, bestfocus.read_stack(f"{SAMPLES}011").astype(np.uint16) * 257)


def test_region_matches_the_executable(tmp_path):
    scores, _ = run_executable(tmp_path, "--roi=40,30,200,100", "all", SAMPLES, "13", "13",
                               "5")
    stack = bestfocus.read_stack(f"{SAMPLES}013", 5)
    methods = [code for code, _, _ in bestfocus.measures()]
    assert np.array_equal(bestfocus.scores(stack, roi=(40, 30, 200, 100), engine="cpu"),
                          executable_matrix(scores, 13, methods))

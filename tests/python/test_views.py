"""Strided views measured in place give the values of their contiguous copies, at both depths,
on any number of threads, and with the GIL released."""

import threading

import numpy as np
import pytest

import bestfocus

RNG = np.random.default_rng(7)
STACK8 = RNG.integers(0, 256, (6, 90, 70), dtype=np.uint8)
# Values over 65535 cannot occur; the top of the range checks the 16-bit scale.
STACK16 = RNG.integers(0, 65536, (6, 90, 70), dtype=np.uint16)

VIEWS = {
    "rows and columns sliced": lambda s: s[:, 5:80, 3:61],
    "every other column": lambda s: s[:, :, ::2],
    "transposed": lambda s: s.transpose(0, 2, 1),
    "reversed rows and columns": lambda s: s[:, ::-1, ::-1],
    "images in Fortran order": lambda s: np.asfortranarray(s),
    "every other image": lambda s: s[::2],
}


@pytest.mark.parametrize("stack", [STACK8, STACK16], ids=["8-bit", "16-bit"])
@pytest.mark.parametrize("view", VIEWS.values(), ids=VIEWS.keys())
@pytest.mark.parametrize("engine", ["cpu", "cuda"])
def test_a_view_scores_as_its_contiguous_copy(stack, view, engine):
    image_view = view(stack)
    copy = np.ascontiguousarray(image_view)
    assert np.array_equal(bestfocus.scores(image_view, engine=engine),
                          bestfocus.scores(copy, engine=engine))
    assert bestfocus.measure(image_view[1], 3, engine=engine) == bestfocus.scores(
        copy[1:2], 3, engine=engine)[0, 0]


def test_a_sequence_scores_as_the_array_and_threads_change_nothing():
    expected = bestfocus.scores(STACK8, threads=1)
    assert np.array_equal(bestfocus.scores(list(STACK8), threads=3), expected)
    assert np.array_equal(bestfocus.scores(STACK8, threads=16), expected)


def test_the_gil_is_released_while_measuring():
    # The kernels on the CPU runtime: long enough (about a tenth of a second) to be caught at it.
    stack = RNG.integers(0, 256, (2, 512, 512), dtype=np.uint8)
    started, finished = threading.Event(), threading.Event()
    results = []

    def measure():
        started.set()
        results.append(bestfocus.scores(stack, "all", engine="cuda"))
        finished.set()

    worker = threading.Thread(target=measure)
    worker.start()
    started.wait()
    # With the GIL held for the whole call, this thread would not run again until it returned.
    steps_while_measuring = 0
    while not finished.wait(0.001):
        steps_while_measuring += 1
    worker.join()
    assert steps_while_measuring > 20
    assert np.array_equal(results[0], bestfocus.scores(stack, "all", engine="cuda"))

"""Every input the tool does not measure raises a Python exception, in English, that says what
was expected and names what the call was given."""

import os
import subprocess
import sys
import tempfile

import numpy as np
import pytest

import bestfocus
from conftest import SAMPLES

IMAGE = np.zeros((40, 50), np.uint8)
# Whole rows of 11 bytes: no row starts on a uint16 boundary.
ODD_STRIDES = np.ndarray((4, 5), np.uint16, buffer=np.zeros(44, np.uint8), strides=(11, 2))


FIFO_FOLDER = tempfile.TemporaryDirectory()


def fifo() -> str:
    path = os.path.join(FIFO_FOLDER.name, "fifo")
    os.mkfifo(path)
    return path


BAD_CALLS = {
    "float image": (lambda: bestfocus.measure(IMAGE.astype(np.float32), 1), TypeError,
                    "uint8 or uint16"),
    "signed image": (lambda: bestfocus.measure(IMAGE.astype(np.int16), 1), TypeError,
                     "uint8 or uint16"),
    "big-endian image": (lambda: bestfocus.measure(IMAGE.astype(">u2"), 1), TypeError,
                         "uint8 or uint16"),
    "list of lists": (lambda: bestfocus.measure([[1, 2], [3, 4]], 1), TypeError, "numpy array"),
    "3-channel image": (lambda: bestfocus.measure(np.zeros((40, 50, 3), np.uint8), 1),
                        ValueError, "convert colour images to gray"),
    "1-D array": (lambda: bestfocus.measure(np.zeros(50, np.uint8), 1), ValueError, "2-D"),
    "empty image": (lambda: bestfocus.measure(np.zeros((0, 50), np.uint8), 1), ValueError,
                    "empty"),
    "too many pixels": (lambda: bestfocus.measure(np.broadcast_to(IMAGE[:1, :1], (50000, 50000)),
                                                  1), ValueError, "more pixels than"),
    "empty stack": (lambda: bestfocus.scores([]), ValueError, "no image"),
    "2-D stack": (lambda: bestfocus.scores(IMAGE), ValueError, "3-D"),
    "mixed shapes": (lambda: bestfocus.scores([IMAGE, IMAGE[:, :49]]), ValueError,
                     "one shape and type"),
    "mixed depths": (lambda: bestfocus.scores([IMAGE, IMAGE.astype(np.uint16)]), ValueError,
                     "one shape and type"),
    "unknown method name": (lambda: bestfocus.measure(IMAGE, "sharpness"), ValueError,
                            "vollath-f4, mdct, tenengrad"),
    "unknown method code": (lambda: bestfocus.scores([IMAGE], [1, 99]), ValueError,
                            "codes are 1 to"),
    "repeated method": (lambda: bestfocus.scores([IMAGE], [1, "vollath-f4"]), ValueError,
                        "twice"),
    "unknown engine": (lambda: bestfocus.measure(IMAGE, 1, engine="gpu"), ValueError,
                       "auto"),
    "region outside": (lambda: bestfocus.measure(IMAGE, 1, roi=(10, 0, 41, 40)), ValueError,
                       "does not fit the 50 x 40 image"),
    "region below a window": (lambda: bestfocus.measure(IMAGE, 2, roi=(0, 0, 4, 4)),
                              ValueError, "smaller than the window of MDCT"),
    "negative region": (lambda: bestfocus.measure(IMAGE, 1, roi=(-1, 0, 5, 5)), ValueError,
                        "x, y >= 0"),
    "no threads": (lambda: bestfocus.scores([IMAGE], threads=0), ValueError, "1..1024, not 0"),
    "threads beyond int": (lambda: bestfocus.scores([IMAGE], threads=2**31), ValueError,
                           "threads must lie in 1..1024"),
    "uint16 rows between pixels": (lambda: bestfocus.measure(ODD_STRIDES, 1), ValueError,
                                   "strides (11, 2) bytes, not whole uint16 pixels"),
    "engine not a name": (lambda: bestfocus.measure(IMAGE, 1, engine=2), TypeError,
                          "engine must be a str"),
    "missing folder": (lambda: bestfocus.run(SAMPLES, 11, 99, 0), FileNotFoundError,
                       "cannot open the file " + SAMPLES + "016/01.bmp\nthere is no folder"),
    "first folder beyond int": (lambda: bestfocus.run(SAMPLES, 2**31, 2**31), ValueError,
                                "first 2147483648 lies outside"),
    "region beyond int": (lambda: bestfocus.run(SAMPLES, 11, 11, roi=(0, 0, 2**31, 5)),
                          ValueError, "roi[2] 2147483648 lies outside"),
    "negative images": (lambda: bestfocus.run(SAMPLES, 11, 11, -1), ValueError,
                        "images must be 0 or more, not -1"),
    "missing image": (lambda: bestfocus.run(SAMPLES, 11, 11, 21), FileNotFoundError,
                      "011/21.bmp"),
    "bad name format": (lambda: bestfocus.run(SAMPLES, 11, 11, folder_names="%s"), ValueError,
                        'folder_names "%s" is not a name format'),
    "team of none": (lambda: bestfocus.run(SAMPLES, 11, 11, teams=(8, 0, 10)), ValueError,
                     "teams[1] (N_threads_ext1) must lie in 1..1024, not 0"),
    "NUL in a path": (lambda: bestfocus.read_stack(SAMPLES + "011\0"), ValueError, "NUL"),
    "stack file missing": (lambda: bestfocus.read_stack(SAMPLES + "nothing.tif"),
                           FileNotFoundError, "nothing.tif"),
    "stack missing": (lambda: bestfocus.read_stack("nope"), FileNotFoundError,
                      "cannot read the stack nope: No such file"),
    "empty stack path": (lambda: bestfocus.read_stack(""), ValueError, "path is empty"),
    "stack path too long": (lambda: bestfocus.read_stack("d/" * 3000), ValueError,
                            "path of 6000 bytes is longer than a path can be"),
    "stack at a device": (lambda: bestfocus.read_stack("/dev/zero"), ValueError,
                          "/dev/zero is a character device, neither a folder"),
    "stack at a FIFO": (lambda: bestfocus.read_stack(fifo()), ValueError,
                        "is a FIFO, neither a folder"),
}


@pytest.mark.parametrize("call, error, words", BAD_CALLS.values(), ids=BAD_CALLS.keys())
def test_bad_input_raises_a_clear_exception(call, error, words):
    with pytest.raises(error) as raised:
        call()
    assert words in str(raised.value)


def test_cuda_without_a_device_raises_in_a_cuda_build():
    if not bestfocus._core.cuda_build:
        pytest.skip("the CPU build runs the kernels on its CPU runtime")
    with pytest.raises(RuntimeError, match="needs a CUDA device"):
        bestfocus.measure(IMAGE, 1, engine="cuda")


def test_an_undecodable_image_names_it(tmp_path):
    (tmp_path / "001").mkdir()
    (tmp_path / "001" / "01.bmp").write_bytes(b"BM not an image")
    with pytest.raises(ValueError, match="cannot open the file .*001/01.bmp"):
        bestfocus.run(f"{tmp_path}/", 1, 1, 1)
    with pytest.raises(ValueError, match="001/01.bmp"):
        bestfocus.read_stack(tmp_path / "001")


def test_threads_the_address_space_cannot_hold_raise_before_any_work():
    """Under a 3 GiB address-space limit 1024 threads' stacks do not fit: OpenMP would abort."""
    code = ("import resource, numpy, bestfocus\n"
            "resource.setrlimit(resource.RLIMIT_AS, (3 << 30, 3 << 30))\n"
            "try:\n"
            "    bestfocus.scores(numpy.zeros((40, 64, 64), numpy.uint8), 1, threads=1024)\n"
            "except ValueError as error:\n"
            "    print(error)\n")
    result = subprocess.run([sys.executable, "-c", code], capture_output=True, text=True)
    assert result.returncode == 0, result.stderr
    assert "threads=1024 would have up to 1024 threads at once" in result.stdout
    assert "(RLIMIT_AS)" in result.stdout


# Messages the core shares with the command line name the keyword the call was given, never the
# command line's option.
KEYWORD_MESSAGES = {
    "more tiles than rows": (
        lambda: bestfocus.focus_map(np.zeros((3, 240, 320), np.uint8), tiles=(241, 1)),
        "tiles=(241, 1) asks for more tiles on a side than the image has pixels"),
    "tiles smaller than the window": (
        lambda: bestfocus.focus_map(np.zeros((3, 240, 320), np.uint8), 2, tiles=(60, 80)),
        "tiles=(60, 80) cuts the image (320 x 240) into tiles as small as 4 x 4"),
    "missing multi-page stack": (
        lambda: bestfocus.run(FIFO_FOLDER.name + "/", 7, 7, folder_names="%03d.tif"),
        "named by folder_names= under the base folder"),
}


@pytest.mark.parametrize("call, words", KEYWORD_MESSAGES.values(), ids=KEYWORD_MESSAGES.keys())
def test_messages_name_the_keyword_not_the_option(call, words):
    with pytest.raises((ValueError, FileNotFoundError)) as raised:
        call()
    assert words in str(raised.value) and "--" not in str(raised.value)

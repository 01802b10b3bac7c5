"""bestfocus: the sharpest image of each focus stack, from Python.

The same engines, values and checks as the ``bestfocus`` executable, over numpy arrays held in
memory (:func:`measure`, :func:`scores`, :func:`pick`) or over stacks on disk (:func:`run`,
:func:`read_stack`), and where focus lies across the field (:func:`focus_map`,
:func:`all_in_focus`). Scores are bit-identical to the executable's ``--scores`` file; the measuring
releases the GIL.
"""

from __future__ import annotations

import operator
import os
from dataclasses import dataclass
from typing import Optional, Sequence, Tuple, Union

import numpy as np

from . import _core

__all__ = ["__version__", "measures", "measure", "scores", "pick", "run", "read_stack", "Pick",
           "FolderResult", "focus_map", "all_in_focus", "FocusMap", "stack_info", "StackInfo"]

__version__: str = _core.version

_MOST_PIXELS = 2**31 - 1  # the kernels count pixels in int (engines/pixel_limit.h)
_INT_RANGE = (-2**31, 2**31 - 1)  # what the core's int arguments hold
_MOST_THREADS = _core.most_threads_per_team
_DEFAULTS = _core.run_defaults()  # the core's defaults of run()'s keyword arguments
_MEASURES = _core.measures()
# The maps' window side when none is given, and the largest: the executable's --focus-window.
_FOCUS_WINDOW = 9
_LARGEST_FOCUS_WINDOW = 255
_CODES_BY_NAME = {name: code for code, name, _ in _MEASURES}
_CODES_BY_NAME.update({title: code for code, _, title in _MEASURES})


@dataclass(frozen=True)
class Pick:
    """One method's pick of one stack, as the executable's summary file gives it.

    ``method`` the method code; ``best`` the 1-based number of the sharpest image (the first of
    equal scores); ``fractional_best`` the focus estimated between images; ``flags`` the names of
    the summary's warnings ("edge", "flat", "two-peaks", "disagree"); ``scores`` the stack's
    scores under the method, image 1 first (read-only).
    """

    method: int
    best: int
    fractional_best: float
    flags: Tuple[str, ...]
    scores: np.ndarray


@dataclass(frozen=True)
class FolderResult:
    """One folder of :func:`run`: its number, each method's :class:`Pick`, in the order asked,
    and ``scores`` of shape (methods, images), read-only."""

    folder: int
    picks: Tuple[Pick, ...]
    scores: np.ndarray


@dataclass(frozen=True)
class FocusMap:
    """Where focus lies in a stack at every pixel, as ``--depth-map`` and ``--confidence-map``
    write it (bit for bit), all arrays read-only.

    ``depth`` (H, W) float32: each pixel's 1-based fractional image number; ``confidence`` (H, W)
    float32 in 0..1: how clearly the pixel's focus curve peaks. A pixel of confidence 0.25 or more
    keeps its own depth; below 0.1 its depth is filled in from the confident pixels around it
    (those above 0.1, weighted by confidence, smoothed edge-aware so that no depth crosses an edge
    of the image), between the two a share of each; where no pixel is confident, or none reaches
    it, the depth is the stack's own focus between images. With ``tiles=(R, C)``, the tile
    tables as ``--tiles`` and ``--tile-summary`` give them: ``best`` (R, C) int32, each tile's
    1-based sharpest image; ``fractional_best`` (R, C) float64, its focus between images;
    ``flags`` R rows of C tuples of the tile's warning names; ``scores`` (R, C, images) float64,
    every tile's score on every image. Without tiles these are None.
    """

    depth: np.ndarray
    confidence: np.ndarray
    best: Optional[np.ndarray] = None
    fractional_best: Optional[np.ndarray] = None
    flags: Optional[Tuple[Tuple[Tuple[str, ...], ...], ...]] = None
    scores: Optional[np.ndarray] = None


def measures() -> list:
    """Every measure the tool offers, as ``(code, name, title)`` tuples in code order, e.g.
    ``(3, "tenengrad", "Tenengrad")``. ``methods`` arguments take a code or a name."""
    return list(_MEASURES)


def measure(image, method: Union[int, str], *, engine: str = "auto",
            roi: Optional[Tuple[int, int, int, int]] = None) -> float:
    """The focus value of one image under one method.

    ``image`` is a 2-D numpy array (rows, columns) of ``uint8`` or ``uint16``, with any strides:
    slices are measured in place, and so are transposed views (gathered one image at a time).
    16-bit values are taken as value / 65535, as the executable does. ``method`` is a code or a
    name of :func:`measures`; ``engine`` is "auto", "cpu" or "cuda" as on the command line; ``roi``
    is ``(x, y, width, height)``, the part measured. Raises ``TypeError`` or ``ValueError`` for
    input the tool does not measure, ``RuntimeError`` when the engine cannot run here.
    """
    codes = _method_codes(method)
    if len(codes) != 1:
        raise ValueError("measure() takes one method; scores() takes several")
    return float(_measure([_image(image, "image")], codes, engine, roi, 1)[0, 0])


def scores(stack, methods="all", *, engine: str = "auto",
           roi: Optional[Tuple[int, int, int, int]] = None,
           threads: Optional[int] = None) -> np.ndarray:
    """The scores of every image of a stack: float64 of shape (methods, images).

    ``stack`` is a 3-D array (images, rows, columns) or a sequence of 2-D arrays of one shape and
    type (``uint8`` or ``uint16``), none of which is copied. ``methods`` is a code, a name, a list
    of either, or "all". The images are measured in parallel on ``threads`` threads (default:
    every core), with the GIL released. See :func:`measure` for ``engine`` and ``roi``.
    """
    return _measure(_stack(stack), _method_codes(methods), engine, roi, threads)


def pick(stack, methods="all", *, engine: str = "auto",
         roi: Optional[Tuple[int, int, int, int]] = None,
         threads: Optional[int] = None) -> list:
    """Each method's :class:`Pick` of the stack: the sharpest image, the focus between images and
    the warnings, as the executable's summary gives them (disagree compares the methods asked
    for). Arguments as for :func:`scores`."""
    codes = _method_codes(methods)
    matrix = _measure(_stack(stack), codes, engine, roi, threads)
    return list(_picks(_core.picks(matrix, codes), matrix))


def run(base_folder: str, first: int, last: int, images: int = 0, methods=1, *,
        folder_names: str = _DEFAULTS["folder_names"], image_names: str = _DEFAULTS["image_names"],
        roi: Optional[Tuple[int, int, int, int]] = None, engine: str = "auto",
        teams: Tuple[int, int, int] = _DEFAULTS["teams"], channel: Union[int, str, None] = None,
        time: int = 1, series: int = 1) -> list:
    """The executable's scan of folders ``first`` .. ``last`` under ``base_folder``, without its
    files: a :class:`FolderResult` per folder, in folder order.

    The arguments are the command line's: ``base_folder`` is a prefix of the folder names
    (normally ending in "/"), ``images`` per stack (0: every image there is), ``folder_names`` and
    ``image_names`` printf formats of one integer (a folder name may name a multi-page file),
    ``teams`` the three team sizes (N_threads_ext2, N_threads_ext1, N_threads) for this call, each
    1 to 1024; ``channel``, ``time`` and ``series`` choose a microscope file's planes as
    :func:`read_stack` does. Runs in one process take turns (see docs/python.md). A missing file
    raises ``FileNotFoundError``, an unreadable one or images of different sizes ``ValueError``,
    each naming the file. Ctrl-C stops the run before its next stack or image and raises
    ``KeyboardInterrupt`` (the images being measured are finished first).
    """
    codes = _method_codes(methods)
    folders = _core.run(_path(base_folder, "base_folder"), _c_int(first, "first"),
                        _c_int(last, "last"), _c_int(images, "images"), codes,
                        _text(folder_names, "folder_names"), _text(image_names, "image_names"),
                        _region_values(roi), _engine(engine), _teams(teams), *_planes(channel, time,
                                                                                     series))
    return [FolderResult(number, _picks(picks, _read_only(matrix)), _read_only(matrix))
            for number, picks, matrix in folders]


def read_stack(path, images: int = 0, *, image_names: str = _DEFAULTS["image_names"],
               channel: Union[int, str, None] = None, time: int = 1,
               series: int = 1) -> np.ndarray:
    """The stack in a folder (images named by ``image_names``) or in one multi-page file, read by
    the tool's own readers: an (images, rows, columns) array of ``uint8`` or ``uint16``, the
    files' depth. ``images`` 0 reads every image there is. A microscope file (OME-TIFF, ImageJ
    hyperstack) gives the Z planes, in Z order, of ``channel`` (its number from 1 or its name;
    None: the first) at time point ``time`` of series ``series``. Raises as :func:`run` does, and
    ``ValueError`` for a path that is empty, too long, or neither a folder nor a file."""
    return _core.read_stack(_path(path, "path"), _c_int(images, "images"),
                            _text(image_names, "image_names"), *_planes(channel, time, series))


@dataclass(frozen=True)
class StackInfo:
    """What a stack file's description says of its dimensions (one series of it).

    ``kind`` "OME-XML", "ImageJ", or None for a file without such a description (its pages are
    then its Z planes); ``series`` how many series the file holds; ``size_z``, ``size_c``,
    ``size_t`` and ``dimension_order`` (fastest first, as OME writes it) those of the series;
    ``channel_names`` one per channel ("" where unnamed); ``physical_size_x``, ``_y`` (a pixel)
    and ``_z`` (the step between Z planes) in micrometres, None where not given.
    """

    kind: Optional[str]
    series: int
    size_z: int
    size_c: int
    size_t: int
    dimension_order: str
    channel_names: Tuple[str, ...]
    physical_size_x: Optional[float]
    physical_size_y: Optional[float]
    physical_size_z: Optional[float]


def stack_info(path, series: int = 1) -> StackInfo:
    """The dimensions of the multi-page file at ``path`` (series ``series``, from 1), as its
    first page's description gives them: a :class:`StackInfo`. Metadata that disagrees with the
    file, or a series it lacks, raises ``ValueError`` naming the file."""
    info = _core.stack_info(_path(path, "path"), _plane_number(series, "series"))
    info["channel_names"] = tuple(info["channel_names"])
    return StackInfo(**info)


def focus_map(stack, method: Union[int, str] = 1, *, window: Optional[int] = None,
              engine: str = "auto", roi: Optional[Tuple[int, int, int, int]] = None,
              threads: Optional[int] = None,
              tiles: Optional[Tuple[int, int]] = None) -> FocusMap:
    """Where focus lies at every pixel of the stack (or its ``roi``) under ``method``: a
    :class:`FocusMap` of the per-pixel depth and confidence maps, as ``--depth-map`` and
    ``--confidence-map`` write them with ``--focus-window=window`` (odd, default 9); the depth of
    pixels of low confidence is filled in edge-aware from their confident neighbours, or is the
    stack's own focus where no pixel is confident (see :class:`FocusMap`). The tile tables come
    only with ``tiles`` = (R, C): tile (r, c) spans columns floor(c·W/C) to
    floor((c+1)·W/C) − 1 and rows floor(r·H/R) to floor((r+1)·H/R) − 1, each scored with
    ``method`` and picked as a whole stack is; tiles smaller than the method's window, or more
    tiles on a side than the image has pixels, raise ``ValueError``. Other arguments as for
    :func:`scores`.
    """
    images, code, side = _map_arguments(stack, method, window, roi)
    depth, confidence, _ = _core.pixel_maps(images, code, side, _engine(engine), _threads(threads))
    if tiles is None:
        return FocusMap(_read_only(depth), _read_only(confidence))
    grid = tuple(_c_int(count, f"tiles[{i}]") for i, count in enumerate(tiles))
    if len(grid) != 2 or min(grid) < 1:
        raise ValueError(f"tiles must be (rows, columns) of at least 1 each, not {tiles!r}")
    rows, columns = images[0].shape
    problem = _core.tile_problem(grid[0], grid[1], columns, rows, code)
    if problem is not None:
        raise ValueError(problem)
    _, tile_scores, best, fractional, flags = _core.tile_map(
        images, code, grid[0], grid[1], _engine(engine), _threads(threads))
    return FocusMap(_read_only(depth), _read_only(confidence), _read_only(best),
                    _read_only(fractional), flags, _read_only(tile_scores))


def all_in_focus(stack, method: Union[int, str] = 1, *, window: Optional[int] = None,
                 engine: str = "auto", roi: Optional[Tuple[int, int, int, int]] = None,
                 threads: Optional[int] = None) -> np.ndarray:
    """The stack's all-in-focus image as ``--all-in-focus`` writes it (bit for bit): each pixel
    from the image whose ``method`` response over the ``window`` x ``window`` pixels around it
    (odd, default 9) is the largest; an array of the stack's (or ``roi``'s) shape and type.
    Arguments as for :func:`focus_map`."""
    images, code, side = _map_arguments(stack, method, window, roi)
    return _core.pixel_maps(images, code, side, _engine(engine), _threads(threads))[2]


def _map_arguments(stack, method, window, roi):
    """The checked images (cropped), the one method code and the window's side."""
    images = _stack(stack)
    code = _method_codes(method)
    if len(code) != 1:
        raise ValueError("the maps take one method")
    side = _FOCUS_WINDOW if window is None else _c_int(window, "window")
    if side < 1 or side > _LARGEST_FOCUS_WINDOW or side % 2 == 0:
        raise ValueError(f"window must be odd, from 1 to {_LARGEST_FOCUS_WINDOW}, not {side}")
    return _cropped(images, _region(roi, code)), code[0], side


# --- argument checks: every bad input raises before the core sees it --------------------------

def _integer(value, what: str) -> int:
    if isinstance(value, bool):
        raise TypeError(f"{what} must be an integer, not a bool")
    try:
        return operator.index(value)
    except TypeError:
        raise TypeError(f"{what} must be an integer, not {type(value).__name__}") from None


def _c_int(value, what: str) -> int:
    """An integer the core takes as a C int."""
    number = _integer(value, what)
    if not _INT_RANGE[0] <= number <= _INT_RANGE[1]:
        raise ValueError(f"{what} {number} lies outside the integers the tool takes "
                         f"({_INT_RANGE[0]} to {_INT_RANGE[1]})")
    return number


def _text(value, what: str) -> str:
    if not isinstance(value, str):
        raise TypeError(f"{what} must be a str, not {type(value).__name__}")
    if "\0" in value:
        raise ValueError(f"{what} holds a NUL character")
    return value


def _path(value, what: str) -> str:
    return _text(os.fsdecode(value) if isinstance(value, (bytes, os.PathLike)) else value, what)


def _plane_number(value, what: str) -> int:
    number = _c_int(value, what)
    if number < 1:
        raise ValueError(f"{what} counts from 1, not {number}")
    return number


def _planes(channel, time, series) -> Tuple[str, int, int]:
    """The core's (channel, time, series): a channel by number from 1 or by name."""
    if channel is None:
        name = ""
    elif isinstance(channel, str):
        name = _text(channel, "channel")
        if not name:
            raise ValueError("channel must be a number from 1 or a name, not empty")
    else:
        name = str(_plane_number(channel, "channel"))
    return name, _plane_number(time, "time"), _plane_number(series, "series")


def _method_code(method) -> int:
    if isinstance(method, str):
        if method in _CODES_BY_NAME:
            return _CODES_BY_NAME[method]
        names = ", ".join(name for _, name, _ in _MEASURES)
        raise ValueError(f"unknown method {method!r}; the methods are: {names}")
    code = _integer(method, "a method")
    if not any(code == known for known, _, _ in _MEASURES):
        raise ValueError(f"unknown method code {code}; the codes are 1 to {len(_MEASURES)}")
    return code


def _method_codes(methods) -> list:
    if isinstance(methods, str) and methods == "all":
        return [code for code, _, _ in _MEASURES]
    if isinstance(methods, (str, int, np.integer)):
        return [_method_code(methods)]
    codes = [_method_code(method) for method in methods]
    if not codes:
        raise ValueError("methods must name at least one method")
    if len(set(codes)) != len(codes):
        raise ValueError(f"methods {list(methods)!r} name a method twice")
    return codes


def _engine(engine) -> str:
    """The engine's name, which the core checks."""
    return _text(engine, "engine")


def _teams(teams) -> tuple:
    values = tuple(_c_int(team, f"teams[{i}]") for i, team in enumerate(teams))
    if len(values) != 3:
        raise ValueError("teams must be (N_threads_ext2, N_threads_ext1, N_threads)")
    return values


def _image(image, what: str) -> np.ndarray:
    """The image as a 2-D uint8/uint16 array, never copied."""
    if not isinstance(image, np.ndarray):
        raise TypeError(f"{what} must be a numpy array of uint8 or uint16, "
                        f"not {type(image).__name__}")
    if image.dtype not in (np.uint8, np.uint16) or not image.dtype.isnative:
        raise TypeError(f"{what} must be an array of uint8 or uint16 (gray levels), "
                        f"not {image.dtype}")
    if image.ndim != 2:
        hint = "; convert colour images to gray first" if image.ndim == 3 else ""
        raise ValueError(f"{what} must be 2-D (rows, columns), not of shape {image.shape}{hint}")
    if image.size == 0:
        raise ValueError(f"{what} is empty (shape {image.shape})")
    if image.size > _MOST_PIXELS:  # also a broadcast view that holds few bytes
        raise ValueError(f"{what} of shape {image.shape} has more pixels than the engines "
                         f"measure ({_MOST_PIXELS})")
    if any(stride % image.itemsize for stride in image.strides):
        raise ValueError(f"{what} has strides {image.strides} bytes, not whole {image.dtype} "
                         "pixels; copy it first (numpy.ascontiguousarray)")
    return image


def _stack(stack) -> list:
    """The stack's images as 2-D views of one shape and type."""
    if isinstance(stack, np.ndarray):
        if stack.ndim != 3:
            raise ValueError("a stack must be a 3-D array (images, rows, columns) or a sequence "
                             f"of 2-D arrays, not an array of shape {stack.shape}")
        if stack.shape[0] == 0:
            raise ValueError("the stack holds no image")
        _image(stack[0], "the stack's images")
        return list(stack)
    if isinstance(stack, (str, bytes)) or not isinstance(stack, Sequence):
        raise TypeError("a stack must be a 3-D array or a sequence of 2-D arrays, "
                        f"not {type(stack).__name__}")
    if len(stack) == 0:
        raise ValueError("the stack holds no image")
    images = [_image(image, f"image {i}") for i, image in enumerate(stack)]
    for i, image in enumerate(images):
        if image.shape != images[0].shape or image.dtype != images[0].dtype:
            raise ValueError(f"the images of a stack must have one shape and type: image 0 is "
                             f"{images[0].shape} {images[0].dtype}, image {i} is "
                             f"{image.shape} {image.dtype}")
    return images


def _region_values(roi) -> Optional[tuple]:
    """(x, y, width, height) as four C ints, which the core checks as it checks --roi."""
    if roi is None:
        return None
    region = tuple(_c_int(value, f"roi[{i}]") for i, value in enumerate(roi))
    if len(region) != 4:
        raise ValueError(f"roi must be (x, y, width, height), not {roi!r}")
    return region


def _region(roi, codes) -> Optional[tuple]:
    """(x, y, width, height), checked as the command line checks --roi."""
    region = _region_values(roi)
    if region is not None:
        problem = _core.region_problem(region, codes)
        if problem is not None:
            raise ValueError(problem)
    return region


def _cropped(images: list, region) -> list:
    """The images' region, as views."""
    if region is None:
        return images
    x, y, width, height = region
    rows, columns = images[0].shape
    if x + width > columns or y + height > rows:
        raise ValueError(f"roi {region} does not fit the {columns} x {rows} image "
                         "(width x height)")
    return [image[y:y + height, x:x + width] for image in images]


def _threads(threads) -> int:
    if threads is None:
        threads = len(os.sched_getaffinity(0)) if hasattr(os, "sched_getaffinity") \
            else os.cpu_count() or 1
        threads = min(threads, _MOST_THREADS)
    threads = _integer(threads, "threads")
    if not 1 <= threads <= _MOST_THREADS:
        raise ValueError(f"threads must lie in 1..{_MOST_THREADS}, not {threads}")
    return threads


def _measure(images: list, codes: list, engine, roi, threads) -> np.ndarray:
    choice = _engine(engine)
    images = _cropped(images, _region(roi, codes))
    return _read_only(_core.measure_arrays(images, codes, choice, _threads(threads)))


def _read_only(array: np.ndarray) -> np.ndarray:
    array.flags.writeable = False
    return array


def _picks(picks, matrix: np.ndarray) -> tuple:
    return tuple(Pick(method, best, fractional, tuple(flags), matrix[row])
                 for row, (method, best, fractional, flags) in enumerate(picks))

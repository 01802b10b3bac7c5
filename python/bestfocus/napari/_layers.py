"""focus_layers: what the widget makes from a stack, as napari layer-data tuples, without a
viewer. Every array is the module's own (pick, focus_map, all_in_focus), unchanged."""

from __future__ import annotations

from typing import Iterator, Optional, Sequence, Tuple, Union

import numpy as np

import bestfocus

OUTPUTS = ("best plane", "depth map", "confidence", "all-in-focus")
DEPTH_COLORMAP = "viridis"  # perceptually uniform, readable in grey and by most colour-blind eyes


def focus_layers(data, method: Union[int, str] = 1, window: Optional[int] = None,
                 outputs: Sequence[str] = OUTPUTS,
                 scale: Optional[Tuple[float, float, float]] = None) -> list:
    """The layers bestfocus makes from a focus stack, as napari layer-data tuples
    ``(data, metadata, "image")``, in the order of ``outputs``.

    ``data`` is the stack, (planes, rows, columns) of uint8 or uint16 (a napari image layer's
    data). ``method`` a code or name of :func:`bestfocus.measures`; ``window`` the side of the
    square around each pixel that the maps measure (odd; None: the module's default). ``outputs`` any of "best plane" (the
    sharpest plane of the whole image, as :func:`bestfocus.pick`), "depth map" (float32, the
    plane in focus at each pixel, 1-based and fractional, as :func:`bestfocus.focus_map`; in µm
    above the first plane when ``scale`` is given), "confidence" and "all-in-focus" (as
    :func:`bestfocus.all_in_focus`). ``scale`` is the stack's (Z step, pixel height, pixel
    width) in µm when known; the layers then carry it. Raises ``ValueError`` or ``TypeError``
    naming the problem for input that is no focus stack.
    """
    layers = []
    for step in focus_steps(data, method, window, outputs, scale):
        if step.layer is not None:
            layers.append(step.layer)
    return layers


class Step:
    """One finished piece of work: the whole image's focus curve (``curve``, a
    :class:`bestfocus.Pick`) or one layer (``layer``), ``done`` of ``total`` steps."""

    def __init__(self, done: int, total: int, curve=None, layer=None):
        self.done, self.total, self.curve, self.layer = done, total, curve, layer


def focus_steps(data, method=1, window=None, outputs: Sequence[str] = OUTPUTS,
                scale=None) -> Iterator[Step]:
    """focus_layers one step at a time: the curve first, then each layer asked for. The widget
    runs it in a worker thread, showing progress and stopping between steps when cancelled."""
    stack = checked_stack(data)
    wanted = checked_outputs(outputs)
    z_step, plane_scale = checked_scale(scale)
    code = _method_code(method)
    total = 1 + len(wanted)
    picked = bestfocus.pick(stack, code)[0]
    yield Step(1, total, curve=picked)
    focus_map = None
    for done, output in enumerate(wanted, start=2):
        if output == "best plane":
            layer = _best_plane(stack, picked, plane_scale)
        elif output == "all-in-focus":
            layer = _all_in_focus(bestfocus.all_in_focus(stack, code, window=window),
                                  plane_scale)
        else:
            if focus_map is None:
                focus_map = bestfocus.focus_map(stack, code, window=window)
            layer = _map_layer(output, focus_map, z_step, plane_scale)
        yield Step(done, total, layer=layer)


def checked_stack(data) -> np.ndarray:
    """The data as a (planes, rows, columns) uint8/uint16 array, or a ValueError/TypeError that
    names what is wrong with it."""
    stack = np.asarray(data)
    if stack.ndim in (3, 4) and stack.shape[-1] in (3, 4):  # no stack is 3 or 4 pixels wide
        raise ValueError(f"an RGB {'stack' if stack.ndim == 4 else 'image'} (shape "
                         f"{stack.shape}, its last axis the colour channels): bestfocus measures "
                         "gray levels; convert to gray or split the channels first")
    if stack.ndim != 3:
        raise ValueError(f"not a 3-D stack: data of shape {stack.shape}, where bestfocus "
                         "needs (planes, rows, columns)")
    if stack.shape[0] < 2:
        raise ValueError(f"a stack of {stack.shape[0]} plane (shape {stack.shape}): there is "
                         "nothing to choose between; a focus stack has at least 2 planes")
    if np.issubdtype(stack.dtype, np.floating):
        raise TypeError(f"a float stack ({stack.dtype}): bestfocus measures uint8 or uint16 "
                        "gray levels as a camera writes them; convert the data first")
    if stack.dtype not in (np.uint8, np.uint16):
        raise TypeError(f"a stack of {stack.dtype}: bestfocus measures uint8 or uint16 gray "
                        "levels")
    if stack.shape[1] == 0 or stack.shape[2] == 0:
        raise ValueError(f"an empty stack (shape {stack.shape})")
    return stack


def checked_outputs(outputs) -> list:
    if isinstance(outputs, str):
        outputs = (outputs,)
    wanted = list(outputs)
    unknown = [output for output in wanted if output not in OUTPUTS]
    if unknown:
        raise ValueError(f"unknown outputs {unknown}; the outputs are {', '.join(OUTPUTS)}")
    if not wanted:
        raise ValueError(f"no output asked for; the outputs are {', '.join(OUTPUTS)}")
    if len(set(wanted)) != len(wanted):
        raise ValueError(f"outputs {wanted} name one output twice")
    return wanted


def checked_scale(scale) -> tuple:
    """(Z step, (pixel height, pixel width)) in µm, or (None, None) when unknown."""
    if scale is None:
        return None, None
    values = tuple(float(value) for value in scale)
    if len(values) != 3 or not all(np.isfinite(values)) or min(values) <= 0:
        raise ValueError(f"scale must be (Z step, pixel height, pixel width) in µm, each "
                         f"positive, not {scale!r}")
    return values[0], values[1:]


def _method_code(method) -> int:
    for code, name, title in bestfocus.measures():
        if method in (code, name, title):
            return code
    names = ", ".join(name for _, name, _ in bestfocus.measures())
    raise ValueError(f"unknown method {method!r}; the methods are: {names}")


def _placed(meta: dict, plane_scale) -> dict:
    if plane_scale is not None:
        meta["scale"] = plane_scale
        meta["units"] = ("µm", "µm")
    return meta


def _best_plane(stack: np.ndarray, picked, plane_scale) -> tuple:
    meta = {"name": "best plane",
            "metadata": {"plane": picked.best, "fractional_plane": picked.fractional_best,
                         "flags": picked.flags, "scores": picked.scores}}
    return stack[picked.best - 1], _placed(meta, plane_scale), "image"


def _map_layer(output: str, focus_map, z_step, plane_scale) -> tuple:
    if output == "depth map":
        depth = focus_map.depth
        unit = "planes"
        if z_step is not None:
            depth = (depth - np.float32(1)) * np.float32(z_step)
            unit = "µm"
        low, high = float(depth.min()), float(depth.max())
        meta = {"name": f"depth map ({unit})", "colormap": DEPTH_COLORMAP,
                "contrast_limits": (low, high if high > low else low + 1),
                "metadata": {"depth_unit": unit}}
        return depth, _placed(meta, plane_scale), "image"
    confidence = focus_map.confidence
    low, high = float(confidence.min()), float(confidence.max())
    meta = {"name": "confidence", "colormap": "magma",
            "contrast_limits": (low, high if high > low else low + 1)}
    return confidence, _placed(meta, plane_scale), "image"


def _all_in_focus(image: np.ndarray, plane_scale) -> tuple:
    full = float(np.iinfo(image.dtype).max)
    meta = {"name": "all-in-focus", "contrast_limits": (0.0, full)}
    return image, _placed(meta, plane_scale), "image"

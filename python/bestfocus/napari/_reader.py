"""The reader: a numbered stack folder or a multi-page TIFF opens as one image layer of shape
(planes, rows, columns), read by the module's own readers."""

from __future__ import annotations

import os
import re
from typing import Callable, Optional

import bestfocus

TIFF_ENDINGS = (".tif", ".tiff")  # .ome.tif and .ome.tiff too
IMAGE_ENDINGS = (".bmp", ".png", ".jpg", ".jpeg", ".pgm", ".ppm", ".pbm", ".jp2", ".webp") + \
    TIFF_ENDINGS  # what the readers decode
_NUMBERED = re.compile(r"^(?P<prefix>.*?)(?P<number>[0-9]+)(?P<suffix>\.[A-Za-z0-9]+)$")


def napari_get_reader(path) -> Optional[Callable]:
    """The reader for ``path`` when it is a stack bestfocus reads, else None (napari then asks
    its other readers)."""
    if isinstance(path, (list, tuple)):
        if len(path) != 1:
            return None
        path = path[0]
    path = os.fspath(path)
    if os.path.isdir(path):
        return read_stack_layer if image_names_of(path) is not None else None
    if path.lower().endswith(TIFF_ENDINGS) and os.path.isfile(path):
        return read_stack_layer
    return None


def read_stack_layer(path) -> list:
    """One image layer: the stack's planes, with the Z step and pixel size as its scale when the
    file gives them."""
    if isinstance(path, (list, tuple)):
        path = path[0]
    path = os.fspath(path)
    name = os.path.basename(os.path.normpath(path))
    if os.path.isdir(path):
        image_names = image_names_of(path)
        if image_names is None:
            raise ValueError(f"{path} holds no numbered images (01.bmp, z001.tif, ...) "
                             "starting at 1")
        stack = bestfocus.read_stack(path, image_names=image_names)
        meta = {"name": name, "metadata": {"path": path}}
    else:
        stack = bestfocus.read_stack(path)
        meta = {"name": name, "metadata": {"path": path}, **physical_scale(path)}
    return [(stack, meta, "image")]


def physical_scale(path: str) -> dict:
    """The layer's scale and units (Z step, pixel height, pixel width in micrometres) where the
    file's description gives all three; nothing otherwise (napari's default of one a pixel)."""
    info = bestfocus.stack_info(path)
    sizes = (info.physical_size_z, info.physical_size_y, info.physical_size_x)
    if any(size is None for size in sizes):
        return {}
    return {"scale": sizes, "units": ("µm", "µm", "µm")}


def image_names_of(folder: str) -> Optional[str]:
    """The printf pattern of a folder's numbered images (as --image-names takes it), the one
    whose numbers start at 1: "07.bmp" gives "%02d.bmp", "z001.tif" "z%03d.tif"; None when no
    name pattern numbers an image 1."""
    try:
        names = os.listdir(folder)
    except OSError:
        return None
    for name in sorted(names):
        match = _NUMBERED.match(name)
        if match is None or int(match["number"]) != 1 or \
                not match["suffix"].lower().endswith(IMAGE_ENDINGS):
            continue
        prefix, number, suffix = match["prefix"], match["number"], match["suffix"]
        if "%" in prefix or "%" in suffix:  # would be read as a conversion
            continue
        width = f"%0{len(number)}d" if len(number) > 1 else "%d"
        return f"{prefix}{width}{suffix}"
    return None

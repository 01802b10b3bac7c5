"""The bundled sample stacks (folders 011 to 015, 20 planes of 320 x 240 each, made sharpest at
a known plane) as napari samples."""

from __future__ import annotations

from pathlib import Path

import bestfocus

SAMPLE_STACKS = Path(__file__).parent / "sample_stacks"


def sharpest_planes() -> dict:
    """Each sample folder's number and the plane it was made sharpest at."""
    lines = (SAMPLE_STACKS / "expected.txt").read_text().split()
    return {int(folder): int(plane) for folder, plane in zip(lines[::2], lines[1::2])}


def sample_stack(folder: int) -> list:
    stack = bestfocus.read_stack(str(SAMPLE_STACKS / f"{folder:03d}"))
    meta = {"name": f"sample stack {folder:03d}",
            "metadata": {"made_sharpest_at": sharpest_planes()[folder]}}
    return [(stack, meta, "image")]


def stack_011():
    return sample_stack(11)


def stack_012():
    return sample_stack(12)


def stack_013():
    return sample_stack(13)


def stack_014():
    return sample_stack(14)


def stack_015():
    return sample_stack(15)

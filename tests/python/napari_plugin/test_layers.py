import numpy as np
import pytest

import bestfocus
from bestfocus.napari import focus_layers
from bestfocus.napari._sample import sample_stack, sharpest_planes

RNG = np.random.default_rng(7)


@pytest.mark.parametrize("data, problem", [
    (RNG.integers(0, 255, (40, 50), dtype=np.uint8), "not a 3-D stack"),
    (RNG.integers(0, 255, (40, 50, 3), dtype=np.uint8), "RGB image"),
    (RNG.integers(0, 255, (5, 40, 50, 4), dtype=np.uint8), "RGB stack"),
    (RNG.integers(0, 255, (1, 40, 50), dtype=np.uint16), "stack of 1 plane"),
    (RNG.random((5, 40, 50), dtype=np.float32), "float stack"),
    (RNG.integers(0, 255, (5, 40, 50), dtype=np.int32), "stack of int32"),
])
def test_bad_input_names_the_problem(data, problem):
    with pytest.raises((ValueError, TypeError), match=problem):
        focus_layers(data)


@pytest.mark.parametrize("folder", [11, 14])
def test_best_plane_is_the_plane_the_sample_was_made_sharpest_at(folder):
    stack = sample_stack(folder)[0][0]
    (plane, meta, kind), = focus_layers(stack, method="tenengrad", outputs=("best plane",))
    best = sharpest_planes()[folder]
    assert (kind, meta["name"], meta["metadata"]["plane"]) == ("image", "best plane", best)
    np.testing.assert_array_equal(plane, stack[best - 1])


@pytest.mark.parametrize("method, window, scale", [
    (1, None, None),
    ("tenengrad", 5, (2.5, 0.4, 0.5)),
])
def test_layers_are_the_module_maps(method, window, scale):
    stack = sample_stack(13)[0][0]
    layers = focus_layers(stack, method, window, ("depth map", "confidence", "all-in-focus"),
                          scale)
    maps = bestfocus.focus_map(stack, method, window=window)
    expected_depth = maps.depth if scale is None else (maps.depth - 1) * np.float32(scale[0])
    unit = "planes" if scale is None else "µm"
    (depth, depth_meta, _), (confidence, _, _), (image, image_meta, _) = layers
    assert depth.dtype == np.float32 and depth_meta["name"] == f"depth map ({unit})"
    np.testing.assert_array_equal(depth, expected_depth)
    assert depth_meta["contrast_limits"] == (expected_depth.min(), expected_depth.max())
    np.testing.assert_array_equal(confidence, maps.confidence)
    np.testing.assert_array_equal(image, bestfocus.all_in_focus(stack, method, window=window))
    assert image_meta.get("scale") == (None if scale is None else scale[1:])

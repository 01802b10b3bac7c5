"""The widget in a viewer; the plugin's tests need napari, a Qt binding and a display with OpenGL
(scripts/test-python.sh napari: xvfb-run with Mesa's software rendering)."""

import napari
import numpy as np
import pytest

from bestfocus.napari import OUTPUTS
from bestfocus.napari._sample import sample_stack, sharpest_planes
from bestfocus.napari._widget import FocusWidget


@pytest.fixture
def viewer(qtbot):
    viewer = napari.Viewer(show=False)
    yield viewer
    viewer.close()


def run_widget(qtbot, viewer, layer, outputs):
    widget = FocusWidget(viewer)
    viewer.window.add_dock_widget(widget)
    widget.reset_choices()
    widget.stack.value = layer
    for output, box in widget.outputs.items():
        box.value = output in outputs
    worker = widget.run()
    if worker is not None:
        with qtbot.waitSignal(worker.finished, timeout=60000):
            pass
    return widget


def test_widget_adds_the_layers_and_draws_the_curve(qtbot, viewer):
    data, meta, _ = sample_stack(11)[0]
    layer = viewer.add_image(data, **meta)
    widget = run_widget(qtbot, viewer, layer, OUTPUTS)
    names = [layer.name for layer in viewer.layers]
    assert names == ["sample stack 011"] + [f"sample stack 011 {name}" for name in
                                            ("best plane", "depth map (planes)", "confidence",
                                             "all-in-focus")]
    best = sharpest_planes()[11]
    np.testing.assert_array_equal(viewer.layers[1].data, layer.data[best - 1])
    assert widget.plot.planes == 20


@pytest.mark.parametrize("data, rgb, problem", [
    (np.zeros((4, 30, 40), dtype=np.float32), False, "float stack"),
    (np.zeros((30, 40, 3), dtype=np.uint8), True, "RGB layer"),
])
def test_widget_notifies_a_bad_layer_and_adds_nothing(qtbot, viewer, monkeypatch, data, rgb,
                                                      problem):
    shown = []
    monkeypatch.setattr("bestfocus.napari._widget.show_error", shown.append)
    layer = viewer.add_image(data, rgb=rgb, name="bad")
    widget = run_widget(qtbot, viewer, layer, ("best plane",))
    assert widget.worker is None and len(viewer.layers) == 1
    assert len(shown) == 1 and problem in shown[0] and "'bad'" in shown[0]


def test_cancelled_work_adds_nothing(qtbot, viewer):
    data, meta, _ = sample_stack(12)[0]
    layer = viewer.add_image(data, **meta)
    widget = FocusWidget(viewer)
    widget.reset_choices()
    widget.stack.value = layer
    worker = widget.run()
    with qtbot.waitSignal(worker.finished, timeout=60000):
        widget.cancel()
    assert len(viewer.layers) == 1 and widget.run_button.enabled


def test_the_samples_open_from_the_menu(viewer):
    for folder in sharpest_planes():
        viewer.open_sample("bestfocus", f"stack_{folder:03d}")
    assert [(layer.name, layer.data.shape) for layer in viewer.layers] == \
        [(f"sample stack {folder:03d}", (20, 240, 320)) for folder in (11, 12, 13, 14, 15)]

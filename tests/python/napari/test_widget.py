import numpy as np
import pytest

import napari
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
    widget = run_widget(qtbot, viewer, layer, ("best plane",))
    names = [layer.name for layer in viewer.layers]
    assert names == ["sample stack 011", "sample stack 011 best plane"]
    best = sharpest_planes()[11]
    np.testing.assert_array_equal(viewer.layers[1].data, layer.data[best - 1])
    assert widget.plot.planes == 20

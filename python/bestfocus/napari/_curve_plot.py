"""The focus curves drawn in the widget: the whole image's and the one around the point under
the cursor, each divided by its largest score so that both share one axis. vispy draws them;
napari already brings it and its Qt canvas."""

from __future__ import annotations

from typing import Optional

import numpy as np
from vispy import scene

WHOLE_COLOUR = "#00c8ff"
POINT_COLOUR = "#ffa000"


class CurvePlot:
    """A small plot of score / largest score against plane number; ``native`` is its Qt
    widget."""

    def __init__(self):
        self.canvas = scene.SceneCanvas(keys=None, size=(320, 200), bgcolor="#262930")
        grid = self.canvas.central_widget.add_grid(margin=6)
        self.view = grid.add_view(row=0, col=1, camera="panzoom")
        self.view.camera.interactive = False
        y_axis = scene.AxisWidget(orientation="left", axis_label="score / best",
                                  axis_font_size=7, axis_label_margin=30, tick_label_margin=5)
        y_axis.width_max = 60
        x_axis = scene.AxisWidget(orientation="bottom", axis_label="plane", axis_font_size=7,
                                  axis_label_margin=28, tick_label_margin=12)
        x_axis.height_max = 44
        grid.add_widget(y_axis, row=0, col=0)
        grid.add_widget(x_axis, row=1, col=1)
        y_axis.link_view(self.view)
        x_axis.link_view(self.view)
        self.whole = scene.Line(parent=self.view.scene, color=WHOLE_COLOUR, width=2)
        self.point = scene.Line(parent=self.view.scene, color=POINT_COLOUR, width=1)
        self.best = scene.Markers(parent=self.view.scene)
        self.planes = 0

    @property
    def native(self):
        return self.canvas.native

    def show_whole(self, scores: np.ndarray, best: int) -> None:
        """The whole image's curve, its pick marked; clears the point's curve."""
        curve = _relative(scores)
        self.planes = len(curve)
        self.whole.set_data(_points(curve))
        self.best.set_data(np.array([[best, curve[best - 1]]], dtype=np.float32),
                           face_color=WHOLE_COLOUR, edge_color="white", size=8)
        self.point.visible = False
        self.view.camera.set_range(x=(1, max(self.planes, 2)), y=(0, 1.05), margin=0.02)

    def show_point(self, scores: Optional[np.ndarray]) -> None:
        """The curve around the cursor, or none."""
        shown = scores is not None and len(scores) == self.planes
        if shown:
            self.point.set_data(_points(_relative(scores)))
        self.point.visible = shown

    def close(self) -> None:
        self.canvas.close()


def _relative(scores) -> np.ndarray:
    curve = np.asarray(scores, dtype=np.float64)
    top = curve.max() if curve.size else 0.0
    return curve / top if top > 0 else np.zeros_like(curve)


def _points(curve: np.ndarray) -> np.ndarray:
    planes = np.arange(1, len(curve) + 1, dtype=np.float32)
    return np.column_stack([planes, curve.astype(np.float32)])

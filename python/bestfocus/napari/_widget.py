"""The dock widget: a stack layer, a method, a window and the layers to make; the work runs in
napari's thread worker (progress, cancel) and the layers are added together when it is done,
so a failure or a cancel adds nothing. The whole image's focus curve and the curve around the
point under the cursor are drawn in the widget."""

from __future__ import annotations

from typing import Optional

import napari.viewer
from magicgui.widgets import CheckBox, ComboBox, Container, Label, ProgressBar, PushButton, \
    SpinBox
from napari.layers import Image
from napari.qt.threading import create_worker
from napari.utils.notifications import show_error, show_info
from qtpy.QtWidgets import QLabel

import bestfocus

from ._curve_plot import POINT_COLOUR, WHOLE_COLOUR, CurvePlot
from ._layers import OUTPUTS, checked_scale, checked_stack, focus_steps

POINT_HALF_SIDE = 16  # the point's curve scores a 33 x 33 square around the cursor
_DEFAULT_OUTPUTS = ("best plane", "depth map", "all-in-focus")


class Problem:
    """What stopped the work, said to the user as a notification."""

    def __init__(self, message: str):
        self.message = message


class FocusWidget(Container):
    """bestfocus's dock widget; ``viewer`` is given by napari."""

    def __init__(self, viewer: napari.viewer.Viewer):
        super().__init__(labels=True)
        self.viewer = viewer
        self.stack = ComboBox(label="stack", choices=self._image_layers, nullable=True)
        self.method = ComboBox(label="method",
                               choices=[(title, code) for code, _, title in bestfocus.measures()],
                               value=1)
        self.window = SpinBox(label="window", value=9, min=1, max=255, step=2,
                              tooltip="the side of the square around each pixel that the "
                                      "maps measure, in pixels (odd)")
        self.outputs = {output: CheckBox(text=output, value=output in _DEFAULT_OUTPUTS)
                        for output in OUTPUTS}
        self.run_button = PushButton(text="Run")
        self.cancel_button = PushButton(text="Cancel", enabled=False)
        self.progress = ProgressBar(label="progress", value=0, max=1, visible=False)
        self.status = Label(label="focus")
        self.extend([self.stack, self.method, self.window, *self.outputs.values(),
                     self.run_button, self.cancel_button, self.progress, self.status])
        self.plot = CurvePlot()
        self.native.layout().addWidget(self.plot.native)
        self.native.layout().addWidget(QLabel(
            f'<span style="color:{WHOLE_COLOUR}">whole image</span>, '
            f'<span style="color:{POINT_COLOUR}">around the cursor</span>'))
        self.run_button.changed.connect(self.run)
        self.cancel_button.changed.connect(self.cancel)
        self.viewer.cursor.events.position.connect(self._show_point)
        self.worker = None
        self._curve_of = None  # (stack, method code, its layer) the curves were drawn for
        self._last_point = None

    def _image_layers(self, _widget=None) -> list:
        return [layer for layer in self.viewer.layers if isinstance(layer, Image)]

    def chosen_outputs(self) -> tuple:
        return tuple(output for output, box in self.outputs.items() if box.value)

    def run(self) -> Optional[object]:
        """Starts the work on the chosen layer; a problem with the input is a notification and
        starts nothing. Returns the worker."""
        layer = self.stack.value
        if layer is None:
            show_error("bestfocus: choose a stack layer first")
            return None
        try:
            if layer.rgb:
                raise ValueError(f"an RGB layer: bestfocus measures gray levels; convert "
                                 f"{layer.name!r} to gray or split its channels first")
            stack = checked_stack(layer.data)
            outputs = self.chosen_outputs()
            if not outputs:
                raise ValueError("no output chosen: tick at least one of " + ", ".join(OUTPUTS))
            scale = known_scale(layer)
            checked_scale(scale)
        except (TypeError, ValueError) as problem:
            show_error(f"bestfocus cannot use {layer.name!r}: {problem}")
            return None
        window = self.window.value
        code = self.method.value
        self.progress.max = 1 + len(outputs)
        self.progress.value = 0
        self.progress.visible = True
        self.run_button.enabled = False
        self.cancel_button.enabled = True
        self.status.value = "measuring..."
        made = []
        self.worker = create_worker(_steps, stack, code, window, outputs, scale,
                                    _progress={"total": 1 + len(outputs), "desc": "bestfocus"})
        self.worker.yielded.connect(lambda step: self._take(step, layer, stack, code, made))
        self.worker.returned.connect(lambda _: self._add(layer, made))
        self.worker.aborted.connect(lambda: show_info("bestfocus: cancelled, nothing added"))
        self.worker.finished.connect(self._idle)
        self.worker.start()
        return self.worker

    def cancel(self) -> None:
        if self.worker is not None:
            self.worker.quit()

    def _take(self, step, layer, stack, code, made: list) -> None:
        if isinstance(step, Problem):
            made.clear()
            made.append(step)
            return
        self.progress.value = step.done
        if step.curve is not None:
            self._curve_of = (stack, code, layer)
            self._last_point = None
            self.plot.show_whole(step.curve.scores, step.curve.best)
            self.status.value = (f"best plane {step.curve.best} "
                                 f"({step.curve.fractional_best:.2f})"
                                 + (f", {' '.join(step.curve.flags)}" if step.curve.flags else ""))
        if step.layer is not None:
            made.append(step.layer)

    def _add(self, layer, made: list) -> None:
        if made and isinstance(made[0], Problem):
            show_error(f"bestfocus cannot use {layer.name!r}: {made[0].message}")
            return
        for data, meta, kind in made:
            meta = dict(meta, name=f"{layer.name} {meta['name']}")
            meta.setdefault("translate", tuple(layer.translate)[1:])
            if "scale" not in meta:
                meta["scale"] = tuple(layer.scale)[1:]
            self.viewer.add_layer(_layer_from(data, meta, kind))

    def _idle(self) -> None:
        self.run_button.enabled = True
        self.cancel_button.enabled = False
        self.progress.visible = False
        self.worker = None

    def _show_point(self, _event=None) -> None:
        """The focus curve of the square around the cursor: a few thousand pixels a plane,
        measured on the GUI thread as the cursor moves."""
        if self._curve_of is None:
            return
        stack, code, layer = self._curve_of
        _, y, x = (int(round(value)) for value in
                   layer.world_to_data(self.viewer.cursor.position)[-3:])
        if (x, y) == self._last_point:
            return
        self._last_point = (x, y)
        rows, columns = stack.shape[1:]
        if not (0 <= x < columns and 0 <= y < rows):
            self.plot.show_point(None)
            return
        left, top = max(0, x - POINT_HALF_SIDE), max(0, y - POINT_HALF_SIDE)
        width = min(columns, x + POINT_HALF_SIDE + 1) - left
        height = min(rows, y + POINT_HALF_SIDE + 1) - top
        try:
            scores = bestfocus.scores(stack, code, roi=(left, top, width, height), threads=1)[0]
        except ValueError:  # a square the method cannot score (at a corner of a small image)
            scores = None
        self.plot.show_point(scores)


def _steps(stack, code, window, outputs, scale):
    """focus_steps, with a problem of the input passed on as a Problem to notify, not raised
    (napari would show it with its traceback)."""
    try:
        yield from focus_steps(stack, code, window, outputs, scale)
    except (TypeError, ValueError, RuntimeError) as problem:
        yield Problem(str(problem))


def known_scale(layer) -> Optional[tuple]:
    """The layer's (Z step, pixel height, pixel width) in µm when its units say them, else
    None."""
    units = getattr(layer, "units", None)
    if units is None or len(units) < 3 or any(str(unit) == "pixel" for unit in units[-3:]):
        return None
    return tuple(float((value * unit).to("micrometer").magnitude)
                 for value, unit in zip(tuple(layer.scale)[-3:], units[-3:]))


def _layer_from(data, meta, kind):
    from napari.layers import Layer

    return Layer.create(data, meta, kind)

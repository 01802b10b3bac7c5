"""Draws docs/napari.png: napari with a focus stack opened by bestfocus's reader (a folder) or
sample stack 011, the widget run on it and its layers side by side. Run with the plugin
installed, under a display; docs/napari.png shows the curved focal surface of
make_focal_surface_stacks (folder 002 of 320 x 240, 20 images):

    build/tools/make_focal_surface_stacks /tmp/surfaces/ 320 240 2 20
    xvfb-run -a -s "-screen 0 1400x900x24" build/python-venv-napari/bin/python \
        tools/napari_screenshot.py docs/napari.png /tmp/surfaces/002
"""

import sys

import napari
from qtpy.QtWidgets import QApplication

OUTPUTS = ("best plane", "depth map", "confidence", "all-in-focus")


def main(out_path: str, stack_folder=None) -> None:
    viewer = napari.Viewer(show=True)
    viewer.window._qt_window.resize(1400, 860)
    if stack_folder is None:
        viewer.open_sample("bestfocus", "stack_011")
    else:
        viewer.open(stack_folder, plugin="bestfocus")
    _, widget = viewer.window.add_plugin_dock_widget("bestfocus", "Focus of a stack")
    widget.reset_choices()
    widget.stack.value = viewer.layers[0]
    widget.method.value = 3
    for output, box in widget.outputs.items():
        box.value = output in OUTPUTS
    worker = widget.run()
    while worker.is_running or widget.worker is not None:
        QApplication.processEvents()
    stack = viewer.layers[0]
    stack.visible = False
    viewer.grid.enabled = True
    viewer.grid.shape = (2, 2)
    viewer.reset_view()
    viewer.cursor.position = (0, 60, 60)  # a point for the widget's second curve
    for _ in range(20):
        QApplication.processEvents()
    viewer.screenshot(out_path, canvas_only=False)
    viewer.close()


if __name__ == "__main__":
    main(*sys.argv[1:3])

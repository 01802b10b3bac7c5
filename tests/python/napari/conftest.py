"""The napari plugin's tests: they need napari and a Qt binding (scripts/test-python.sh napari
installs them) and a display with OpenGL (xvfb-run with Mesa's software rendering)."""

import pytest

import napari


@pytest.fixture
def viewer(qtbot):
    viewer = napari.Viewer(show=False)
    yield viewer
    viewer.close()

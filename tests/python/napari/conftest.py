"""The napari plugin's tests: they need napari and a Qt binding (scripts/test-python.sh napari
installs them) and a display with OpenGL (xvfb-run with Mesa's software rendering)."""

import pytest

pytest.importorskip("napari")

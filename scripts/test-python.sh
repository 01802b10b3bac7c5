#!/usr/bin/env bash
# Installs the Python module with `pip install .` into a virtual environment of its own and runs
# its tests against the CPU build in build/ (test.sh builds it first). By default the environment
# is build/python-venv over Debian's python3 and its numpy 1.24, pytest and OpenCV; with the
# argument "numpy2" it is build/python-venv-numpy2 with numpy 2 and pytest from PyPI. Both get
# tifffile from PyPI. With "napari" it is build/python-venv-napari with the napari plugin's
# packages from PyPI (`pip install .[napari]`: napari, PyQt6), and only the plugin's tests run,
# under a virtual X server with Mesa's software OpenGL (napari's canvas needs OpenGL). Nothing is
# installed into the system's Python.
set -euo pipefail
cd "$(dirname "$0")/.."

debian_python=/usr/bin/python3  # the interpreter Debian's python3-* packages are built for
if [ "${1:-}" = napari ]; then
    venv=build/python-venv-napari
    [ -x "$venv/bin/python" ] || "$debian_python" -m venv "$venv"
    "$venv/bin/python" -m pip install --quiet ".[napari]" pytest pytest-qt
    "$venv/bin/python" -c 'import napari; print("napari plugin tests with napari", napari.__version__)'
    BESTFOCUS_BUILD="$PWD/build" xvfb-run --auto-servernum --server-args="-screen 0 1280x1024x24" \
        "$venv/bin/python" -m pytest -q -p no:cacheprovider tests/python/napari_plugin
    exit
fi
if [ "${1:-}" = numpy2 ]; then
    venv=build/python-venv-numpy2
    [ -x "$venv/bin/python" ] || "$debian_python" -m venv "$venv"
    "$venv/bin/python" -m pip install --quiet "numpy>=2" pytest
else
    venv=build/python-venv
    [ -x "$venv/bin/python" ] || "$debian_python" -m venv --system-site-packages "$venv"
fi
# tifffile writes the microscope files (OME-TIFF, ImageJ hyperstacks) the tests read: an
# independent writer of them.
"$venv/bin/python" -m pip install --quiet tifffile
"$venv/bin/python" -m pip install --quiet .
"$venv/bin/python" -c 'import numpy; print("bestfocus module tests with numpy", numpy.__version__)'
BESTFOCUS_BUILD="$PWD/build" "$venv/bin/python" -m pytest -q -p no:cacheprovider tests/python

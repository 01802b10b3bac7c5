#!/usr/bin/env bash
# Installs the Debian packages the tool needs to build and run, only those that are missing and
# without the packages Debian merely recommends beside them. With --tests first, also what the
# tests need (GoogleTest, Google Benchmark, shellcheck, the Python module's build and tests);
# further arguments are more packages to install (a benchmark's or a check's own).
#
#   bash scripts/install-deps.sh                     # the tool
#   bash scripts/install-deps.sh --tests [package...]
set -euo pipefail

packages=(cmake g++ make libopencv-core-dev libopencv-imgproc-dev libopencv-imgcodecs-dev
          libtiff-dev libpng-dev libboost-context-dev libpugixml-dev
          # bestfocus_merge checks the slices' maps by their SHA-256.
          libssl-dev)
if [ "${1:-}" = --tests ]; then
    shift
    packages+=(libgtest-dev libbenchmark-dev shellcheck git
               # The Python module (pip install . in a virtual environment) and its tests, which
               # read the executable's depth maps (32-bit float TIFF) with OpenCV
               python3-venv python3-dev python3-numpy python3-pytest python3-opencv
               # The napari plugin's tests: a virtual X server with Mesa's software OpenGL, and
               # the libraries PyQt6's Qt and its xcb platform plugin load
               xvfb xauth libgl1-mesa-dri libgl1 libegl1 libfontconfig1 libfreetype6 libdbus-1-3
               libglib2.0-0 libzstd1 libx11-6 libx11-xcb1 libxkbcommon0 libxkbcommon-x11-0 libxcb1
               libxcb-cursor0 libxcb-glx0 libxcb-icccm4 libxcb-image0 libxcb-keysyms1 libxcb-randr0
               libxcb-render0 libxcb-render-util0 libxcb-shape0 libxcb-shm0 libxcb-sync1
               libxcb-util1 libxcb-xfixes0 libxcb-xkb1)
fi
packages+=("$@")
missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
        missing+=("$package")
done
if ((${#missing[@]})); then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends \
        "${missing[@]}"
fi

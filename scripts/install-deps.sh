#!/usr/bin/env bash
# Installs the Debian packages the build needs, and any further ones named as arguments, only
# those that are missing.
set -euo pipefail

packages=(cmake g++ make libopencv-core-dev libopencv-imgproc-dev libopencv-imgcodecs-dev
          libtiff-dev libboost-context-dev libgtest-dev libbenchmark-dev shellcheck
          # The Python module (pip install . in a virtual environment) and its tests and benchmark
          python3-venv python3-dev python3-numpy python3-pytest python3-opencv "$@")
missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
        missing+=("$package")
done
if ((${#missing[@]})); then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
fi

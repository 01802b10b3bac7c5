#!/usr/bin/env bash
# Installs the Debian packages the build needs, and any further ones named as arguments, only
# those that are missing.
set -euo pipefail

packages=(cmake g++ make libopencv-core-dev libopencv-imgproc-dev libopencv-imgcodecs-dev
          libtiff-dev libboost-context-dev libgtest-dev libbenchmark-dev shellcheck "$@")
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

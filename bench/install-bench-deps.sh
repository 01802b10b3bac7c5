#!/usr/bin/env bash
# Installs the Debian packages the benchmark scripts need beyond the build's own (see
# scripts/install-deps.sh), only those that are missing: Python's OpenCV for the reference script,
# GNU time for the peak resident memory and gdb to count the fibers made.
set -euo pipefail

packages=(python3 python3-opencv time gdb)
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

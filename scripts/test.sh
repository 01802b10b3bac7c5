#!/usr/bin/env bash
# Builds the CPU build (Release, with assertions on) and runs every test, then installs the Python
# module into its own virtual environment and runs its tests, then the napari plugin's in another
# (test-python.sh).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh --tests
bash scripts/configure-build.sh
cmake --build build -j "$(nproc)"
ctest --test-dir build --output-on-failure -j "$(nproc)"
bash scripts/test-python.sh
bash scripts/test-python.sh napari

#!/usr/bin/env bash
# The Python module's benchmark (python_module_bench.py): installs the module into the test
# environment build/python-venv (Debian's numpy and OpenCV, as test-python.sh makes it) and runs
# it beside the engine's own call.
#
#   bash bench/python_module.sh [build dir, default build/] [rounds, default 5]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
rounds=${2:-5}

cmake --build "$build" -j "$(nproc)" --target engine_call_timing
venv=build/python-venv
[ -x "$venv/bin/python" ] || /usr/bin/python3 -m venv --system-site-packages "$venv"
"$venv/bin/python" -m pip install --quiet .
"$venv/bin/python" bench/python_module_bench.py "$build/bench/engine_call_timing" "$rounds"

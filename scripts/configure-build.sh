#!/usr/bin/env bash
# Configures the CPU build in build/: Release at -O2 (assertions stay on). run-sample.sh and
# test.sh both use it, so running one after the other never builds anything twice.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2"

#!/usr/bin/env bash
# Configures the CPU build in build/: Release at -O2 (assertions stay on). With "tool" the tests and
# benchmarks are left out, so that their packages are not needed; with "all" (the default) they
# are in. run-sample.sh and test.sh both use it with the same flags otherwise, so running one after
# the other never builds anything twice.
set -euo pipefail
cd "$(dirname "$0")/.."

case "${1:-all}" in
    tool) checks=OFF ;;
    all) checks=ON ;;
    *) echo "usage: $0 [tool|all]" >&2; exit 2 ;;
esac
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2" \
    -DBESTFOCUS_BUILD_TESTS="$checks" -DBESTFOCUS_BUILD_BENCH="$checks"

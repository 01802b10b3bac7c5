#!/usr/bin/env bash
# Builds everything and runs bestfocus with its default arguments on the bundled sample stacks,
# then shows the report it wrote (in build/, the working directory of the run).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
cmake --build build -j "$(nproc)"
cd build
./bestfocus
echo
echo "== BestFocus_AutofocusStacks_Folder_11_to_11_method_1.txt =="
cat BestFocus_AutofocusStacks_Folder_11_to_11_method_1.txt
echo

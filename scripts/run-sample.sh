#!/usr/bin/env bash
# Builds bestfocus and the bundled sample stacks (nothing else) and runs it with its default
# arguments, then shows the report it wrote (in build/, the working directory of the run).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
bash scripts/configure-build.sh
cmake --build build -j "$(nproc)" --target bestfocus
cd build
./bestfocus
echo
echo "== BestFocus_AutofocusStacks_Folder_11_to_11_method_1.txt =="
cat BestFocus_AutofocusStacks_Folder_11_to_11_method_1.txt
echo

#!/usr/bin/env bash
# Builds bestfocus and the bundled sample stacks (nothing else) and runs it with its default
# arguments, then shows the report it wrote (in build/, the working directory of the run) and says
# whether the pick is the one the sample stack was made with. Fails when it is not.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
bash scripts/configure-build.sh tool
cmake --build build -j "$(nproc)" --target bestfocus
cd build
./bestfocus
echo
report=BestFocus_AutofocusStacks_Folder_11_to_11_method_1.txt
echo "== $report =="
cat "$report"
echo
# The generator writes "<folder> <sharpest image>" for every sample stack.
expected=$(awk '$1 == 11 { print $2 }' sample_stacks/expected.txt)
picked=$(head -n 1 "$report")
if [[ -z "$expected" || "$picked" != "$expected" ]]; then
    echo "Ran bestfocus with its default arguments (Vollath F4 on sample stack 011, images 1 to" \
        "20): it picked image ${picked:-none}, but the stack was made sharpest at image" \
        "${expected:-unknown}." >&2
    exit 1
fi
echo "Ran bestfocus with its default arguments (Vollath F4 on sample stack 011, images 1 to 20):" \
    "it picked image $picked, the image the stack was made sharpest at, as it should."

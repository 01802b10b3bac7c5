#!/usr/bin/env bash
# How well the depth map and the all-in-focus image find a known focal surface. On stacks that
# make_focal_surface_stacks generates (a tilted plane and a curved surface, 20 images of
# 1024 x 1024, blank patches, sensor noise), every method in turn writes its depth maps and
# all-in-focus images with each tile grid given; score_focus_maps.py compares them with the truth: the depth
# map's RMS error over textured pixels, the all-in-focus image's PSNR against the true sharp
# scene, and the PSNR of the single image the report picks, which one focus cannot bring close.
#
#   bash bench/focus_map_accuracy.sh [build dir, default build/] [tile grids, default 8x8 16x16]
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$repo/build}" && pwd)
shift $(($# > 0))
grids=("$@")
((${#grids[@]})) || grids=(8x8 16x16)
work=$build/bench_focus_maps
stacks=$work/surfaces1024/
images=20
python=/usr/bin/python3 # Debian's, which python3-opencv serves

# shellcheck source=method_codes.sh
. "$repo/bench/method_codes.sh"

if [ ! -f "${stacks}truth/002_z.tif" ]; then
    echo "Generating 2 folders x $images images of 1024 x 1024 in $stacks" >&2
    "$build/tools/make_focal_surface_stacks" "$stacks" 1024 1024 2 "$images"
fi

for tiles in "${grids[@]}"; do
    rows=$work/accuracy_rows_$tiles.md
    : >"$rows"
    for method in $(method_codes "$build/bestfocus"); do
        run=$work/accuracy/tiles$tiles/method$method
        rm -rf "$run"
        mkdir -p "$run"
        (cd "$run" && "$build/bestfocus" --quiet --tiles="$tiles" --depth-map=depth \
            --all-in-focus=focused "$method" "$stacks" 1 2 "$images" >/dev/null)
        "$python" "$repo/bench/score_focus_maps.py" "$stacks" "$run/depth" "$run/focused" \
            "$run/BestFocus_AutofocusStacks_Folder_1_to_2_method_$method.txt" "$method" >>"$rows"
    done
    [ -s "$rows" ] || { echo "focus_map_accuracy: $build/bestfocus offers no method" >&2; exit 1; }

    echo "## Depth maps and all-in-focus images on a known focal surface, --tiles=$tiles"
    echo
    echo "| method | folder | depth RMS error (images, textured pixels) | all-in-focus PSNR dB |" \
        "picked image | its PSNR dB |"
    echo "|---|---|---|---|---|---|"
    cat "$rows"
    echo
    echo "| target, --tiles=$tiles | worst figure | limit | status |"
    echo "|---|---|---|---|"
    awk -F' *[|] *' '
        {rms = $4 + 0; focused = $5 + 0; single = $7 + 0
         if (NR == 1 || rms > worst_rms) worst_rms = rms
         if (NR == 1 || focused < worst_focused) worst_focused = focused
         if (NR == 1 || single > best_single) best_single = single}
        function row(name, figure, bound, limit, met) {
            printf "| %s | %s | %s %s | %s |\n", name, figure, bound, limit, met ? "met" : "NOT met"
        }
        END {row("depth RMS error, images", worst_rms, "at most", 0.5, worst_rms <= 0.5)
             row("all-in-focus PSNR, dB", worst_focused, "at least", 30, worst_focused >= 30)
             row("picked image PSNR, dB", best_single, "below", 30, best_single < 30)}' "$rows"
    echo
done

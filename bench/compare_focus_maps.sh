#!/usr/bin/env bash
# What tiles, the depth map and the all-in-focus image cost, side by side in one run: method 4 on
# a generated tree of 4 folders x 20 images of 2048 x 2048 (make_focal_surface_stacks) without
# tiles, with --tiles=8x8, with --depth-map as well (which part of the maps' cost is the depth
# map's) and with --depth-map --all-in-focus as well; each timed as
# a whole process (wall clock, and the processor seconds it used) with its peak resident memory
# from GNU time. The runs of one
# repetition take turns in an order that rotates from one repetition to the next, so a load that
# comes and goes on the machine falls on all of them alike; medians are reported.
#
#   bash bench/compare_focus_maps.sh [build dir, default build/] [repetitions, default 5]
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$repo/build}" && pwd)
repetitions=${2:-5}
work=$build/bench_focus_maps
tree=$work/surfaces2048/
folders=4
images=20
side=2048
outer_team=8 # stacks at once: the tool's default team

# shellcheck source=timed_run.sh
. "$repo/bench/timed_run.sh"
# shellcheck source=median.sh
. "$repo/bench/median.sh"

if [ ! -f "${tree}truth/00${folders}_z.tif" ]; then
    echo "Generating $folders folders x $images images of $side x $side in $tree" >&2
    "$build/tools/make_focal_surface_stacks" "$tree" "$side" "$side" "$folders" "$images"
fi

runs=(untiled tiles depth maps)
declare -A commands=(
    [untiled]=""
    [tiles]="--tiles=8x8"
    [depth]="--tiles=8x8 --depth-map=depth"
    [maps]="--tiles=8x8 --depth-map=depth --all-in-focus=focused")
declare -A labels=(
    [untiled]="method 4, no tiles"
    [tiles]="--tiles=8x8"
    [depth]="--tiles=8x8 --depth-map"
    [maps]="--tiles=8x8 --depth-map --all-in-focus")

results=$work/speed.results
: >"$results"
for ((repetition = 0; repetition < repetitions; ++repetition)); do
    for ((turn = 0; turn < ${#runs[@]}; ++turn)); do
        run=${runs[(turn + repetition) % ${#runs[@]}]}
        # shellcheck disable=SC2086  # the options are separate words
        timing=$(timed_run "$work/speed/$run" "$build/bestfocus" --quiet ${commands[$run]} \
            4 "$tree" 1 "$folders" "$images")
        # And the processor seconds, user and system: on a shared machine less noisy than the wall.
        cpu=$(awk -F': ' '/User time|System time/ {sum += $2} END {print sum}' \
            "$work/speed/$run/time.txt")
        echo "$run $timing $cpu" >>"$results"
    done
    echo "  repetition $((repetition + 1)) of $repetitions done" >&2
done

seconds() { awk -v r="$1" '$1 == r {print $2}' "$results" | median; }
cpu_seconds() { awk -v r="$1" '$1 == r {print $NF}' "$results" | median; }
peak_mib() { awk -v r="$1" '$1 == r && $3 > peak {peak = $3} END {print peak / 1024}' "$results"; }

untiled_seconds=$(seconds untiled)
stacks_in_flight=$((outer_team < folders ? outer_team : folders))
# 3 images per stack in flight, 8-bit: one byte a pixel.
budget=$(awk -v peak="$(peak_mib untiled)" -v n=$((3 * stacks_in_flight)) -v px=$((side * side)) \
    'BEGIN {printf "%.0f", peak + n * px / 2^20}')

echo "## Tiles, depth maps and all-in-focus images: $folders folders x $images images of" \
    "$side x $side, method 4, $(nproc) cores, medians of $repetitions," \
    "load average $(cut -d' ' -f1-3 /proc/loadavg) at the end"
echo
echo "| run | wall s | / no tiles | CPU s (user + system) | / no tiles | peak RSS MiB |"
echo "|---|---|---|---|---|---|"
for run in "${runs[@]}"; do
    awk -v label="${labels[$run]}" -v s="$(seconds "$run")" -v base="$untiled_seconds" \
        -v cpu="$(cpu_seconds "$run")" -v cpu_base="$(cpu_seconds untiled)" \
        -v peak="$(peak_mib "$run")" \
        'BEGIN {printf "| %s | %.3f | %.2f | %.2f | %.2f | %.0f |\n", label, s, s / base, cpu,
                cpu / cpu_base, peak}'
done
echo
echo "| target | figure | limit | status |"
echo "|---|---|---|---|"
target_row() {
    awk -v name="$1" -v figure="$2" -v limit="$3" \
        'BEGIN {printf "| %s | %s | at most %s | %s |\n", name, figure, limit,
                figure <= limit ? "met" : "NOT met"}'
}
ratio() { awk -v a="$(seconds "$1")" -v b="$untiled_seconds" 'BEGIN {printf "%.2f", a / b}'; }
target_row "--tiles=8x8 / no tiles, wall" "$(ratio tiles)" 1.3
target_row "with the depth map and all-in-focus / no tiles, wall" "$(ratio maps)" 2.5
target_row "peak RSS MiB with all of them (no tiles + 3 images per stack in flight)" \
    "$(awk -v p="$(peak_mib maps)" 'BEGIN {printf "%.0f", p}')" "$budget"

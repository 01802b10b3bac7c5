#!/usr/bin/env bash
# The cost of the maps, side by side in one run, on 4 stacks x 20 images of 2048 x 2048
# (focal_surface_stacks.py, the synthetic texture): for each tool run given (a bestfocus
# executable and its options, one argument) with method 4, a plain run of the 4 stacks, the same
# with --depth-map and --all-in-focus and the run's options, and that on one stack; the textbook
# method and enfuse on one stack. Wall time and peak resident memory of the whole process (GNU
# time); the runs of a repetition take turns in an order that rotates from one repetition to the
# next; medians. compare_focus_map_peers.sh calls it last.
#
#   bash bench/focus_map_peer_speed.sh <tree/> <repetitions> "<bestfocus> [options]"...
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
tree=$1
repetitions=$2
shift 2
python=$repo/build/python-venv-bench/bin/python
folders=4
images=20

# shellcheck source=timed_run.sh
. "$repo/bench/timed_run.sh"
# shellcheck source=median.sh
. "$repo/bench/median.sh"

if [ ! -f "${tree}stacks.tsv" ]; then
    echo "Generating $folders stacks x $images images of 2048 x 2048 in $tree" >&2
    "$python" "$repo/bench/focal_surface_stacks.py" "$tree" 2048 "$images" synthetic \
        plane,paraboloid,egg-crate,step
fi

declare -A commands labels
names=(textbook enfuse)
commands[textbook]="$python $repo/bench/textbook_focus_maps.py $tree $images . 001"
labels[textbook]="textbook method, 1 stack"
commands[enfuse]="enfuse --exposure-weight=0 --saturation-weight=0 --contrast-weight=1"
commands[enfuse]+=" --hard-mask -o 001_focused.tif $(printf "${tree}001/%02d.bmp " $(seq "$images"))"
labels[enfuse]="enfuse, 1 stack"
index=0
for run in "$@"; do
    index=$((index + 1))
    read -ra words <<<"$run"
    maps="${words[*]:1} --depth-map=. --all-in-focus=."
    commands[plain$index]="${words[0]} --quiet 4 $tree 1 $folders $images"
    commands[maps$index]="${words[0]} --quiet $maps 4 $tree 1 $folders $images"
    commands[one$index]="${words[0]} --quiet $maps 4 $tree 1 1 $images"
    labels[plain$index]="#$index plain, $folders stacks"
    labels[maps$index]="#$index with the maps, $folders stacks"
    labels[one$index]="#$index with the maps, 1 stack"
    names+=("plain$index" "maps$index" "one$index")
done

work=$(dirname "$tree")/speed_runs
results=$work/results
mkdir -p "$work"
: >"$results"
for ((repetition = 0; repetition < repetitions; ++repetition)); do
    for ((turn = 0; turn < ${#names[@]}; ++turn)); do
        name=${names[(turn + repetition) % ${#names[@]}]}
        rm -rf "${work:?}/$name"
        # shellcheck disable=SC2086  # the command's words
        timing=$(timed_run "$work/$name" ${commands[$name]} 2>/dev/null)
        echo "$name $timing" >>"$results"
    done
    echo "  timing: repetition $((repetition + 1)) of $repetitions done" >&2
done

seconds() { awk -v r="$1" '$1 == r {print $2}' "$results" | median; }
peak_mib() { awk -v r="$1" '$1 == r && $3 > peak {peak = $3} END {print peak / 1024}' "$results"; }

echo "### Cost: 2048 x 2048, 20 images a stack, method 4, $(nproc) cores, medians of" \
    "$repetitions, load average $(cut -d' ' -f1-3 /proc/loadavg) at the end"
echo
echo "| run | wall s | peak RSS MiB | maps / plain | enfuse / this |"
echo "|---|---|---|---|---|"
enfuse_seconds=$(seconds enfuse)
for name in "${names[@]}"; do
    plain="–"
    against="–"
    case $name in
    maps*) plain=$(awk -v a="$(seconds "$name")" -v b="$(seconds "plain${name#maps}")" \
        'BEGIN {printf "%.2f", a / b}') ;;
    one* | textbook) against=$(awk -v a="$enfuse_seconds" -v b="$(seconds "$name")" \
        'BEGIN {printf "%.1f", a / b}') ;;
    esac
    awk -v label="${labels[$name]}" -v s="$(seconds "$name")" -v peak="$(peak_mib "$name")" \
        -v plain="$plain" -v against="$against" \
        'BEGIN {printf "| %s | %.2f | %.0f | %s | %s |\n", label, s, peak, plain, against}'
done
echo

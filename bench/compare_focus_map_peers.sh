#!/usr/bin/env bash
# bestfocus's depth maps and all-in-focus images side by side with the peers a lab would use
# otherwise, in one run: the textbook per-pixel method (textbook_focus_maps.py) and enfuse's focus
# stacking (contrast weight only, hard mask). Each tool run given is one bestfocus executable and
# its options (one argument, split on spaces), run with methods 4 and 10 and --depth-map and
# --all-in-focus:
#
#   bash bench/compare_focus_map_peers.sh ["<bestfocus> [options]"]...
#   bash bench/compare_focus_map_peers.sh "build/bestfocus --tiles=16x16" "build/bestfocus --tiles=8x8"
#
# Stacks of a known focal surface (focal_surface_stacks.py: five surfaces on a synthetic texture
# and on a real tissue image, 20 images of 1024 x 1024) are scored against their truth; the real
# data sets, which have none, by the sharpness of the all-in-focus image against the picked one
# (score_focus_peers.py). Then the cost on 4 stacks x 20 images of 2048 x 2048: wall time and peak
# memory of a plain run, of the run with the maps, and of the peers on one stack, medians.
# Markdown tables on standard output, progress on standard error; the work, kept between runs
# (stacks are generated once), under build/bench_focus_peers/.
#
# Environment: METHODS (default "4 10"), REPETITIONS of the timing (default 3), SPEED=0 skips the
# timing, PEERS=keep reuses the peers' scores and timings of the last run (while tuning),
# FOCUS_PEERS_WORK another work folder.
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
work=${FOCUS_PEERS_WORK:-$repo/build/bench_focus_peers}
read -ra methods <<<"${METHODS:-4 10}"
repetitions=${REPETITIONS:-3}
runs=("$@")
((${#runs[@]})) || runs=("$repo/build/bestfocus")
datasets=/work/shared/datasets
venv=$repo/build/python-venv-bench
known=$work/known1024/
speed_tree=$work/speed2048/
images=20

# shellcheck source=median.sh
. "$repo/bench/median.sh"

for run in "${runs[@]}"; do
    read -ra words <<<"$run"
    [ -x "${words[0]}" ] || { echo "compare_focus_map_peers: ${words[0]} is no executable" >&2; exit 2; }
done
if ! command -v enfuse >/dev/null; then
    echo "enfuse, a peer of this benchmark only, is missing: installing the Debian package" >&2
    bash "$repo/scripts/install-deps.sh" enfuse
fi
if [ ! -x "$venv/bin/python" ]; then
    echo "Making $venv (Debian's OpenCV, scikit-image from PyPI for SSIM)" >&2
    /usr/bin/python3 -m venv --system-site-packages "$venv"
    # Debian's OpenCV module is built for numpy 1: keep scikit-image from pulling numpy 2.
    "$venv/bin/python" -m pip install --quiet "numpy<2" scikit-image
fi
python=$venv/bin/python
mkdir -p "$work"

# The truth: five surfaces on a synthetic texture and on the labelled best image of a tissue stack.
if [ ! -f "${known}stacks.tsv" ]; then
    echo "Generating 10 stacks x $images images of 1024 x 1024 in $known" >&2
    "$python" "$repo/bench/focal_surface_stacks.py" "$known" 1024 "$images" \
        "synthetic,$datasets/urjc_adipose5x/001/11.bmp"
fi
mapfile -t known_folders < <(cut -f1 "${known}stacks.tsv")
real_bases=("$datasets/urjc_adipose5x/" "$datasets/lightsheet/")

picks=$work/picks.tsv
if [ ! -s "$picks" ]; then
    echo "Picking each stack's sharpest image" >&2
    {
        "$python" "$repo/bench/score_focus_peers.py" picks "$known" "$images" "${known_folders[@]}"
        for base in "${real_bases[@]}"; do
            "$python" "$repo/bench/score_focus_peers.py" picks "$base" 0 001 002
        done
    } >"$picks.part"
    mv "$picks.part" "$picks"
fi

# The peers' scores and timings apart from the tool runs', so that PEERS=keep can reuse them.
peers_known=$work/peers_known.tsv
peers_real=$work/peers_real.tsv
peers_timings=$work/peers_timings.tsv
runs_known=$work/runs_known.tsv
runs_real=$work/runs_real.tsv
runs_timings=$work/runs_timings.tsv
keep_peers=0
[ "${PEERS:-}" != keep ] || [ ! -s "$peers_real" ] || keep_peers=1
for file in "$runs_known" "$runs_real" "$runs_timings"; do : >"$file"; done
((keep_peers)) || for file in "$peers_known" "$peers_real" "$peers_timings"; do : >"$file"; done

# timed <label> <kind> <stacks> <run folder> <command...>: runs the command in the run folder and
# adds its wall seconds and peak resident KiB to the timings file of the moment.
timed() {
    local label=$1 kind=$2 stacks=$3 dir=$4
    shift 4
    mkdir -p "$dir"
    if ! (cd "$dir" && /usr/bin/time -f "%e %M" -o time.txt "$@" >output.txt 2>errors.txt); then
        echo "compare_focus_map_peers: failed, see $dir/errors.txt: $*" >&2
        return 1
    fi
    printf '%s\t%s\t%s\t%s\n' "$label" "$kind" "$stacks" "$(tr ' ' '\t' <"$dir/time.txt")" \
        >>"$timings"
}

# enfuse_stacks <label> <kind> <run folder> <base/> <folder>...: one enfuse process a stack.
enfuse_stacks() {
    local label=$1 kind=$2 dir=$3 base=$4 folder
    shift 4
    for folder in "$@"; do
        timed "$label" "$kind" 1 "$dir" enfuse --exposure-weight=0 --saturation-weight=0 \
            --contrast-weight=1 --hard-mask -o "${folder}_focused.tif" "$base$folder"/[0-9][0-9].bmp
    done
}

timings=$peers_timings
if ((keep_peers)); then
    echo "Keeping the peers' last scores and timings" >&2
else
    echo "Peers: the textbook method and enfuse" >&2
    out=$work/known/textbook
    timed textbook known "${#known_folders[@]}" "$out" \
        "$python" "$repo/bench/textbook_focus_maps.py" "$known" "$images" . "${known_folders[@]}"
    "$python" "$repo/bench/score_focus_peers.py" known "$known" "$picks" textbook "$out" "$out" \
        >>"$peers_known"
    out=$work/known/enfuse
    enfuse_stacks enfuse known "$out" "$known" "${known_folders[@]}"
    "$python" "$repo/bench/score_focus_peers.py" known "$known" "$picks" enfuse - "$out" \
        >>"$peers_known"
    for base in "${real_bases[@]}"; do
        name=$(basename "$base")
        out=$work/real/$name/textbook
        timed textbook real 2 "$out" \
            "$python" "$repo/bench/textbook_focus_maps.py" "$base" 0 . 001 002
        "$python" "$repo/bench/score_focus_peers.py" real "$base" "$picks" textbook "$out" \
            001 002 >>"$peers_real"
        out=$work/real/$name/enfuse
        enfuse_stacks enfuse real "$out" "$base" 001 002
        "$python" "$repo/bench/score_focus_peers.py" real "$base" "$picks" enfuse "$out" \
            001 002 >>"$peers_real"
    done
fi

timings=$runs_timings
legend=()
echo "Tool runs: stacks of known focal surface" >&2
for index in "${!runs[@]}"; do
    read -ra words <<<"${runs[index]}"
    legend+=("| #$((index + 1)) | \`${runs[index]}\` |")
    for method in "${methods[@]}"; do
        label="#$((index + 1)) m$method"
        out=$work/known/run$((index + 1))_method$method
        rm -rf "$out"
        timed "$label" known "${#known_folders[@]}" "$out" "${words[0]}" --quiet \
            "${words[@]:1}" --depth-map=. --all-in-focus=. "$method" "$known" 1 \
            "${#known_folders[@]}" "$images"
        "$python" "$repo/bench/score_focus_peers.py" known "$known" "$picks" "$label" "$out" \
            "$out" >>"$runs_known"
    done
done

echo "Tool runs: real stacks" >&2
for base in "${real_bases[@]}"; do
    name=$(basename "$base")
    for index in "${!runs[@]}"; do
        read -ra words <<<"${runs[index]}"
        for method in "${methods[@]}"; do
            label="#$((index + 1)) m$method"
            out=$work/real/$name/run$((index + 1))_method$method
            rm -rf "$out"
            timed "$label" real 2 "$out" "${words[0]}" --quiet "${words[@]:1}" \
                --depth-map=. --all-in-focus=. "$method" "$base" 1 2 0
            "$python" "$repo/bench/score_focus_peers.py" real "$base" "$picks" "$label" "$out" \
                001 002 >>"$runs_real"
        done
    done
done

echo "## Tool runs"
echo
echo "| run | command (with --depth-map and --all-in-focus, methods ${methods[*]}) |"
echo "|---|---|"
printf '%s\n' "${legend[@]}"
echo
cat "$peers_known" "$runs_known" >"$work/known_scores.tsv"
cat "$peers_real" "$runs_real" >"$work/real_scores.tsv"
cat "$peers_timings" "$runs_timings" >"$work/timings.tsv"
"$python" "$repo/bench/focus_peer_tables.py" "$work/known_scores.tsv" "$work/real_scores.tsv" \
    "$work/timings.tsv"

[ "${SPEED:-1}" != 0 ] || exit 0
bash "$repo/bench/focus_map_peer_speed.sh" "$speed_tree" "$repetitions" "${runs[@]}"

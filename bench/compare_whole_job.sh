#!/usr/bin/env bash
# The whole job, bestfocus against a Python script with OpenCV that does the same job
# (best_focus_reference.py), on a generated tree of 4 folders x 20 images of 2048 x 2048 and on
# the two real urjc_adipose5x stacks (17 images each). Every run is timed as a whole process
# (wall clock, start-up included) with its peak resident memory from GNU time, beside the seconds
# its own timer reports (from the first image read to the last pick).
#
# Two rounds per tree. First the Python script, bestfocus method 4 with its default teams and
# with each candidate team sizes; the fastest candidate (by median) is the best settings. Then
# the Python script again and every other method with the best settings. Within a round the runs of
# one repetition take turns in an order that rotates from one repetition to the next, so a load
# that comes and goes on the machine falls on all of them alike; medians are reported.
#
#   bash bench/compare_whole_job.sh [build dir, default build/] [repetitions, default 5]
#
# BESTFOCUS_TEAMS="outer inner reduction" is the only candidate instead of the list below.
# BESTFOCUS_DATASETS is the folder holding urjc_adipose5x/ (default ../shared/datasets).
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$repo/build}" && pwd)
repetitions=${2:-5}
datasets=${BESTFOCUS_DATASETS:-$repo/../shared/datasets}
python=/usr/bin/python3  # Debian's, which python3-opencv serves
work=$build/bench_whole_job
tool=$build/bestfocus
reference=$repo/bench/best_focus_reference.py

# Team sizes: outer (stacks at once), inner (images of a stack at once), reduction (threads
# adding one measure's partial sums).
candidate_teams=("1 1 1" "1 2 1" "2 1 1" "2 2 1" "2 1 2" "4 1 1")
[ -z "${BESTFOCUS_TEAMS:-}" ] || candidate_teams=("$BESTFOCUS_TEAMS")
default_teams="8 2 10"  # as the tool's usage text gives them

declare -A commands  # run name -> command line, for the tree being compared

# Runs a command in its own working directory (where the report lands) under GNU time; prints
# "<wall seconds> <peak resident KiB> <seconds of its own timer>". Both programs print their own
# timer's seconds on their last line.
timed_run() {
    local run_dir=$1
    shift
    mkdir -p "$run_dir"
    local start end peak_kib
    start=$(date +%s.%N)
    (cd "$run_dir" && /usr/bin/time -v -o time.txt "$@" >output.txt)
    end=$(date +%s.%N)
    peak_kib=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$run_dir/time.txt")
    echo "$(awk -v from="$start" -v to="$end" 'BEGIN {printf "%.3f", to - from}') $peak_kib" \
        "$(tail -n 1 "$run_dir/output.txt")"
}

median() {
    sort -g | awk '{v[NR] = $1}
                   END {print (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2)}'
}

# The median of one column (2: seconds, 4: own timer) over a run's lines of a results file.
run_median() { awk -v r="$2" -v c="$3" '$1 == r {print $c}' "$1" | median; }

# The stack picks of a report: its lines before the blank line that precedes the time.
picks() { sed '/^$/,$d' "$1"; }

# The bestfocus command line: tool_command <method> <teams, "" for the defaults> <tree...>
tool_command() {
    local method=$1 teams=$2
    shift 2
    # shellcheck disable=SC2086  # the team sizes are three separate arguments
    echo "$tool" "$method" "$@" $teams
}

method4_run() { echo "method4_teams_${1// /_}"; }

# The methods besides 4, the Laplacian that the Python script computes too.
# shellcheck source=method_codes.sh
. "$repo/bench/method_codes.sh"
other_methods() { method_codes "$tool" | grep -vx 4; }

# Every run of every repetition, one "<run> <seconds> <peak KiB> <own seconds>" line each:
# time_runs <tree name> <run>...
time_runs() {
    local tree_name=$1
    shift
    local runs=("$@")
    for ((repetition = 0; repetition < repetitions; ++repetition)); do
        for ((turn = 0; turn < ${#runs[@]}; ++turn)); do
            local run=${runs[(turn + repetition) % ${#runs[@]}]}
            # shellcheck disable=SC2086  # the command is split into its arguments
            echo "$run $(timed_run "$work/$tree_name/$run" ${commands[$run]})"
        done
        echo "  $tree_name: repetition $((repetition + 1)) of $repetitions done" >&2
    done
}

# The candidate team sizes with the smallest median time: fastest_teams <results file>
fastest_teams() {
    local best="" best_seconds=""
    for teams in "${candidate_teams[@]}"; do
        local seconds
        seconds=$(run_median "$1" "$(method4_run "$teams")" 2)
        if [ -z "$best" ] || awk -v a="$seconds" -v b="$best_seconds" 'BEGIN {exit !(a < b)}'; then
            best=$teams
            best_seconds=$seconds
        fi
    done
    echo "$best"
}

# The memory budget in MiB: 12 bytes per pixel for every measure call in flight, plus 64 MiB.
# memory_budget <teams> <folders> <images> <pixels per image>
memory_budget() {
    local outer inner
    read -r outer inner _ <<<"$1"
    local calls=$(((outer < $2 ? outer : $2) * (inner < $3 ? inner : $3)))
    awk -v calls="$calls" -v pixels="$4" 'BEGIN {printf "%.0f", calls * 12 * pixels / 2^20 + 64}'
}

# summary_row <results file> <run> <label> <teams> <memory budget>
summary_row() {
    local seconds python_seconds own python_own peak_mib
    seconds=$(run_median "$1" "$2" 2)
    python_seconds=$(run_median "$1" python 2)
    own=$(run_median "$1" "$2" 4)
    python_own=$(run_median "$1" python 4)
    peak_mib=$(awk -v r="$2" '$1 == r && $3 > peak {peak = $3} END {print peak / 1024}' "$1")
    awk -v label="$3" -v teams="$4" -v s="$seconds" -v python="$python_seconds" -v own="$own" \
        -v python_own="$python_own" -v peak="$peak_mib" -v budget="$5" \
        'BEGIN {printf "| %s | %s | %.2f | %.2f | %.2f | %.2f | %.0f | %s |\n",
                label, teams, s, python / s, own, python_own / own, peak, budget}'
}

# compare <tree name> <pixels per image> <base> <first> <last> <images>
compare() {
    local tree_name=$1 pixels=$2
    shift 2
    local folders=$(($3 - $2 + 1)) images=$4
    commands=([python]="$python $reference $*" [method4_default]=$(tool_command 4 "" "$@"))
    local first_round=(python method4_default)
    for teams in "${candidate_teams[@]}"; do
        commands[$(method4_run "$teams")]=$(tool_command 4 "$teams" "$@")
        first_round+=("$(method4_run "$teams")")
    done
    local results=$work/$tree_name.results
    time_runs "$tree_name" "${first_round[@]}" >"$results"
    local best_teams
    best_teams=$(fastest_teams "$results")
    local second_round=(python)
    for method in $(other_methods); do
        commands[method${method}_best]=$(tool_command "$method" "$best_teams" "$@")
        second_round+=("method${method}_best")
    done
    time_runs "$tree_name" "${second_round[@]}" >>"$results"

    local report_name="BestFocus_AutofocusStacks_Folder_$2_to_$3_method_4.txt"
    if ! diff <(picks "$work/$tree_name/python/$report_name") \
        <(picks "$work/$tree_name/$(method4_run "$best_teams")/$report_name") >/dev/null; then
        echo "WARNING: on $tree_name the tool and the Python script pick different images" >&2
    fi

    local default_budget best_budget
    default_budget=$(memory_budget "$default_teams" "$folders" "$images" "$pixels")
    best_budget=$(memory_budget "$best_teams" "$folders" "$images" "$pixels")
    echo
    echo "### $tree_name: $folders folders x $images images of $pixels pixels," \
        "medians of $repetitions (Python: of $((2 * repetitions)))"
    echo
    echo -n "Method 4, median seconds of the team sizes tried:"
    for teams in "${candidate_teams[@]}"; do
        echo -n " $teams: $(run_median "$results" "$(method4_run "$teams")" 2) s;"
    done
    echo
    echo
    echo "| run | teams (outer inner reduction) | seconds | Python / run | own timer s |" \
        "Python / run, own timers | peak RSS MiB | RSS budget MiB |"
    echo "|---|---|---|---|---|---|---|---|"
    summary_row "$results" python "Python + cv2 (Laplacian)" "-" "-"
    summary_row "$results" method4_default "bestfocus method 4, default teams" \
        "$default_teams" "$default_budget"
    summary_row "$results" "$(method4_run "$best_teams")" "bestfocus method 4, best teams" \
        "$best_teams" "$best_budget"
    for method in $(other_methods); do
        summary_row "$results" "method${method}_best" "bestfocus method $method, best teams" \
            "$best_teams" "$best_budget"
    done
}

mkdir -p "$work"
if [ ! -f "$work/tree2048/expected.txt" ]; then
    echo "Generating 4 folders x 20 images of 2048 x 2048 in $work/tree2048/" >&2
    "$build/tools/make_sample_stacks" "$work/tree2048/" 2048 2048 4 20
fi
echo "## Whole job on $(nproc) cores ($(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs))"
compare generated_2048 $((2048 * 2048)) "$work/tree2048/" 1 4 20
compare urjc_adipose5x $((1388 * 1040)) "$datasets/urjc_adipose5x/" 1 2 17

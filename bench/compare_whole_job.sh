#!/usr/bin/env bash
# The whole job, side by side: a program that only decodes the images (decode_only, the floor, on
# 2 threads), the same files only read with pread into a kept buffer on the same threads
# (read_only, the raw-read floor; it loads no OpenCV), bestfocus on each engine with its default
# teams and with candidate team sizes, every method in one pass (all) against each method alone,
# and a Python script with OpenCV that does the same job as method 4 (best_focus_reference.py). On
# a generated tree of 4 folders x 20 images of 2048 x 2048 and on the two real urjc_adipose5x
# stacks (17 images each), and the same 2048 x 2048 pixels as uncompressed TIFF, 8- and 16-bit,
# beside the BMP tree. Every run is timed as a whole process (wall clock, start-up included)
# with its peak resident memory from GNU time, beside the seconds its own timer reports (from the
# first image read to the last pick).
#
# Two rounds per tree. First the Python script, the floor and method 4 on each engine with the
# default teams and with each candidate; each engine's fastest teams (by median) are its best
# teams, and every comparison with the Python script and the floor is made within this round.
# Then, on each engine (the CPU engine with the default teams and with its best, the kernels with
# their best), all methods in one run and each method alone. Within a round the runs of one
# repetition take turns in an order that rotates from one repetition to the next, so a load that
# comes and goes on the machine falls on all of them alike; medians are reported.
#
# The formats' round: method 4 on the CPU engine with the default teams on the BMP tree and on its
# twins as one uncompressed TIFF per image (make_layout_twins, 8-bit with --8-bit and 16-bit,
# rewritten with tiffcp -c none), each beside the raw-read floor of its own files, taking turns. A
# TIFF tree should cost about what the BMP tree of the same pixels does and little more than
# reading its bytes; the scores of all three must be the same.
#
#   bash bench/compare_whole_job.sh [build dir, default build/] [repetitions, default 5]
#
# BESTFOCUS_TEAMS="outer inner reduction" is the only candidate instead of the list below.
# BESTFOCUS_FORMATS_ONLY=1 runs the formats' round alone.
# BESTFOCUS_DATASETS is the folder holding urjc_adipose5x/ (default ../shared/datasets beside
# the checkout, or ../../shared/datasets).
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$repo/build}" && pwd)
repetitions=${2:-5}
# The shared folder sits beside the main checkout, two levels up from a worktree under wt/.
datasets=${BESTFOCUS_DATASETS:-$repo/../shared/datasets}
[ -d "$datasets" ] || [ -n "${BESTFOCUS_DATASETS:-}" ] || datasets=$repo/../../shared/datasets
formats_only=${BESTFOCUS_FORMATS_ONLY:-}
if [ -z "$formats_only" ] && [ ! -d "$datasets/urjc_adipose5x" ]; then
    echo "no urjc_adipose5x/ in $datasets: set BESTFOCUS_DATASETS" >&2
    exit 1
fi
python=/usr/bin/python3  # Debian's, which python3-opencv serves
work=$build/bench_whole_job
tool=$build/bestfocus
reference=$repo/bench/best_focus_reference.py
floor_threads=2

# Team sizes: outer (stacks at once), inner (images of a stack at once), reduction (threads
# adding one measure's partial sums; the CPU engine uses them only when one image is the job).
default_teams="8 2 10"  # as the tool's usage text gives them
candidate_teams=("$default_teams" "1 1 1" "2 1 1" "2 1 2" "1 2 1" "4 1 1")
[ -z "${BESTFOCUS_TEAMS:-}" ] || candidate_teams=("$default_teams" "$BESTFOCUS_TEAMS")
engines=(cpu cuda)

declare -A commands  # run name -> command line, for the tree being compared

# shellcheck source=timed_run.sh
. "$repo/bench/timed_run.sh"
# shellcheck source=median.sh
. "$repo/bench/median.sh"

# The median of one column (2: seconds, 4: own timer) over a run's lines of a results file.
run_median() { awk -v r="$2" -v c="$3" '$1 == r {print $c}' "$1" | median; }

# The largest peak resident memory of a run, MiB.
run_peak_mib() { awk -v r="$2" '$1 == r && $3 > peak {peak = $3} END {print peak / 1024}' "$1"; }

# The stack picks of a report: its lines before the blank line that precedes the time.
picks() { sed '/^$/,$d' "$1"; }

# Run names, one set per round: tool_run <round> <engine> <method or "all"> <teams>
tool_run() { echo "round$1_$2_method$3_teams_${4// /_}"; }

# The bestfocus command line: tool_command <engine> <method> <teams> <tree...>
tool_command() {
    local engine=$1 method=$2 teams=$3
    shift 3
    # shellcheck disable=SC2086  # the team sizes are three separate arguments
    echo "$tool" --quiet --engine="$engine" "$method" "$@" $teams
}

# shellcheck source=method_codes.sh
. "$repo/bench/method_codes.sh"

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

# The candidate teams with the smallest median time of method 4: fastest_teams <results> <engine>
fastest_teams() {
    local best="" best_seconds=""
    for teams in "${candidate_teams[@]}"; do
        local seconds
        seconds=$(run_median "$1" "$(tool_run 1 "$2" 4 "$teams")" 2)
        if [ -z "$best" ] || awk -v a="$seconds" -v b="$best_seconds" 'BEGIN {exit !(a < b)}'; then
            best=$teams
            best_seconds=$seconds
        fi
    done
    echo "$best"
}

# Images decoded at once: outer x inner, each capped by the folders and images there are.
# images_in_flight <teams> <folders> <images>
images_in_flight() {
    local outer inner
    read -r outer inner _ <<<"$1"
    echo $(((outer < $2 ? outer : $2) * (inner < $3 ? inner : $3)))
}

# The memory budget in MiB: 2 bytes per pixel of every image in flight, plus 64 MiB.
# memory_budget <teams> <folders> <images> <pixels per image>
memory_budget() {
    awk -v n="$(images_in_flight "$1" "$2" "$3")" -v pixels="$4" \
        'BEGIN {printf "%.0f", n * 2 * pixels / 2^20 + 64}'
}

# summary_row <results file> <run> <label> <teams> <memory budget or ->
summary_row() {
    local seconds python_seconds floor_seconds own peak_mib
    seconds=$(run_median "$1" "$2" 2)
    python_seconds=$(run_median "$1" python 2)
    floor_seconds=$(run_median "$1" floor 2)
    own=$(run_median "$1" "$2" 4)
    peak_mib=$(run_peak_mib "$1" "$2")
    awk -v label="$3" -v teams="$4" -v s="$seconds" -v python="$python_seconds" \
        -v floor="$floor_seconds" -v own="$own" -v peak="$peak_mib" -v budget="$5" \
        'BEGIN {printf "| %s | %s | %.3f | %.2f | %.2f | %.3f | %.0f | %s |\n",
                label, teams, s, python / s, s / floor, own, peak, budget}'
}

# The report of a method in a run's folder of the tree being compared: report <run> <method>
report() {
    local name="BestFocus_AutofocusStacks_Folder_${tree[1]}_to_${tree[2]}_method_$2.txt"
    echo "$work/$tree_name/$1/$name"
}

# Checks that two reports of one tree pick the same images: same_picks <tree> <label> <a> <b>
same_picks() {
    if ! diff <(picks "$3") <(picks "$4") >/dev/null; then
        echo "WARNING: on $1 $2 pick different images" >&2
    fi
}

# target_row <name> <figure> <limit> <comparison: le or ge>
target_row() {
    awk -v name="$1" -v figure="$2" -v limit="$3" -v how="$4" \
        'BEGIN {met = how == "le" ? figure <= limit : figure >= limit
                bound = how == "le" ? "at most" : "at least"
                status = met ? "met" : "NOT met"
                printf "| %s | %s | %s %s | %s |\n", name, figure, bound, limit, status}'
}

# compare <tree name> <pixels per image> <limit of run / decode-only floor> <base> <first> <last>
#         <images>
compare() {
    local tree_name=$1 pixels=$2 floor_limit=$3
    shift 3
    local tree=("$@")
    local folders=$(($3 - $2 + 1)) images=$4
    local methods
    methods=$(method_codes "$tool")
    # Also decoding on as many threads as the default teams decode on: on a shared machine more
    # threads take a larger share of the cores, which is worth telling apart from the teams' cost.
    local default_decoders
    default_decoders=$(images_in_flight "$default_teams" "$folders" "$images")
    commands=([python]="$python $reference ${tree[*]}"
        [floor]="$build/bench/decode_only ${tree[*]} $floor_threads"
        [raw]="$build/bench/read_only ${tree[*]} $floor_threads"
        [decode_wide]="$build/bench/decode_only ${tree[*]} $default_decoders")
    local first_round=(python floor raw decode_wide)
    for engine in "${engines[@]}"; do
        for teams in "${candidate_teams[@]}"; do
            local run
            run=$(tool_run 1 "$engine" 4 "$teams")
            commands[$run]=$(tool_command "$engine" 4 "$teams" "${tree[@]}")
            first_round+=("$run")
        done
    done
    local results=$work/$tree_name.results
    time_runs "$tree_name" "${first_round[@]}" >"$results"

    declare -A best_teams
    for engine in "${engines[@]}"; do
        best_teams[$engine]=$(fastest_teams "$results" "$engine")
    done
    # The engine and teams of each all-methods comparison.
    local passes=("cpu:$default_teams")
    [ "${best_teams[cpu]}" = "$default_teams" ] || passes+=("cpu:${best_teams[cpu]}")
    passes+=("cuda:${best_teams[cuda]}")
    local second_round=()
    for setting in "${passes[@]}"; do
        local engine=${setting%%:*} teams=${setting#*:}
        for method in all $methods; do
            local run
            run=$(tool_run 2 "$engine" "$method" "$teams")
            commands[$run]=$(tool_command "$engine" "$method" "$teams" "${tree[@]}")
            second_round+=("$run")
        done
    done
    time_runs "$tree_name" "${second_round[@]}" >>"$results"

    same_picks "$tree_name" "the CPU engine and the Python script" \
        "$(report python 4)" \
        "$(report "$(tool_run 1 cpu 4 "$default_teams")" 4)"
    for setting in "${passes[@]}"; do
        local engine=${setting%%:*} teams=${setting#*:}
        for method in $methods; do
            local alone
            alone=$(report "$(tool_run 2 "$engine" "$method" "$teams")" "$method")
            same_picks "$tree_name" "engine $engine method $method alone and in all" "$alone" \
                "$(report "$(tool_run 2 "$engine" all "$teams")" "$method")"
            same_picks "$tree_name" "the two engines on method $method" "$alone" \
                "$(report "$(tool_run 2 cpu "$method" "$default_teams")" "$method")"
        done
    done

    echo
    echo "### $tree_name: $folders folders x $images images of $pixels pixels," \
        "medians of $repetitions," \
        "load average $(cut -d' ' -f1-3 /proc/loadavg) at the end"
    echo
    echo "Method 4, median wall seconds of the team sizes tried:"
    echo
    echo "| teams |$(printf ' --engine=%s |' "${engines[@]}")"
    echo "|---|$(printf -- '---|%.0s' "${engines[@]}")"
    for teams in "${candidate_teams[@]}"; do
        echo -n "| $teams |"
        for engine in "${engines[@]}"; do
            echo -n " $(run_median "$results" "$(tool_run 1 "$engine" 4 "$teams")" 2) |"
        done
        echo
    done
    echo
    echo "| run | teams (outer inner reduction) | wall s | Python / run | run / floor |" \
        "own timer s | peak RSS MiB | RSS budget MiB |"
    echo "|---|---|---|---|---|---|---|---|"
    summary_row "$results" python "Python + cv2 (Laplacian)" "-" "-"
    summary_row "$results" floor "decode only, $floor_threads threads (the floor)" "-" "-"
    summary_row "$results" raw "pread only, $floor_threads threads (the raw-read floor)" "-" "-"
    summary_row "$results" decode_wide "decode only, $default_decoders threads" "-" "-"
    for engine in "${engines[@]}"; do
        local teams labels=("default teams" "best teams")
        local settings=("$default_teams" "${best_teams[$engine]}")
        if [ "${best_teams[$engine]}" = "$default_teams" ]; then
            labels=("default teams, the best")
            settings=("$default_teams")
        fi
        for i in "${!settings[@]}"; do
            teams=${settings[$i]}
            summary_row "$results" "$(tool_run 1 "$engine" 4 "$teams")" \
                "bestfocus --engine=$engine method 4, ${labels[$i]}" "$teams" \
                "$(memory_budget "$teams" "$folders" "$images" "$pixels")"
        done
    done
    echo
    echo "All methods in one run against each method alone (wall seconds):"
    echo
    echo -n "| engine | teams | all | sum of the four |"
    for method in $methods; do echo -n " method $method |"; done
    echo " all / sum | peak RSS MiB of all |"
    echo "|---|---|---|---|$(for _ in $methods; do echo -n '---|'; done)---|---|"
    for setting in "${passes[@]}"; do
        local engine=${setting%%:*} teams=${setting#*:}
        local all sum=0 cells=""
        all=$(run_median "$results" "$(tool_run 2 "$engine" all "$teams")" 2)
        for method in $methods; do
            local single
            single=$(run_median "$results" "$(tool_run 2 "$engine" "$method" "$teams")" 2)
            sum=$(awk -v a="$sum" -v b="$single" 'BEGIN {print a + b}')
            cells+=" $single |"
        done
        awk -v e="$engine" -v t="$teams" -v all="$all" -v sum="$sum" -v cells="$cells" \
            -v peak="$(run_peak_mib "$results" "$(tool_run 2 "$engine" all "$teams")")" \
            'BEGIN {printf "| %s | %s | %.3f | %.3f |%s %.2f | %.0f |\n",
                    e, t, all, sum, cells, all / sum, peak}'
    done

    local python_s floor_s raw_s default_s best_s default_peak all_peak default_budget
    python_s=$(run_median "$results" python 2)
    floor_s=$(run_median "$results" floor 2)
    raw_s=$(run_median "$results" raw 2)
    default_s=$(run_median "$results" "$(tool_run 1 cpu 4 "$default_teams")" 2)
    best_s=$(run_median "$results" "$(tool_run 1 cpu 4 "${best_teams[cpu]}")" 2)
    default_peak=$(run_peak_mib "$results" "$(tool_run 1 cpu 4 "$default_teams")")
    all_peak=$(run_peak_mib "$results" "$(tool_run 2 cpu all "$default_teams")")
    default_budget=$(memory_budget "$default_teams" "$folders" "$images" "$pixels")
    echo
    echo "Targets, CPU engine, method 4, default teams:"
    echo
    echo "| target | figure | limit | status |"
    echo "|---|---|---|---|"
    target_row "Python / bestfocus, wall" \
        "$(awk -v a="$python_s" -v b="$default_s" 'BEGIN {printf "%.2f", a / b}')" 5 ge
    target_row "bestfocus / decode-only floor, wall" \
        "$(awk -v a="$default_s" -v b="$floor_s" 'BEGIN {printf "%.2f", a / b}')" \
        "$floor_limit" le
    target_row "bestfocus / raw-read floor, wall" \
        "$(awk -v a="$default_s" -v b="$raw_s" 'BEGIN {printf "%.2f", a / b}')" 2 le
    target_row "peak RSS MiB" "$(awk -v p="$default_peak" 'BEGIN {printf "%.0f", p}')" \
        "$default_budget" le
    target_row "peak RSS MiB, all four methods" \
        "$(awk -v p="$all_peak" 'BEGIN {printf "%.0f", p}')" "$default_budget" le
    target_row "default teams / best teams (${best_teams[cpu]}), wall" \
        "$(awk -v a="$default_s" -v b="$best_s" 'BEGIN {printf "%.3f", a / b}')" 1.1 le
}

# The BMP tree as one uncompressed TIFF per image: tiff_twins <8 or 16> prints its base folder.
tiff_twins() {
    local out=$work/tiff_twins/$1 option=""
    [ "$1" = 8 ] && option=--8-bit
    if [ ! -f "$out/done" ]; then
        echo "Writing the $1-bit TIFF twins of the 2048 x 2048 tree in $out/" >&2
        rm -rf "$out"
        # shellcheck disable=SC2086  # no option is no argument
        "$build/tools/make_layout_twins" $option "$work/tree2048/" 1 4 20 "$out/lzw" >/dev/null
        (cd "$out/lzw/planes" && find . -name '*.tif') | while read -r file; do
            mkdir -p "$(dirname "$out/planes/$file")"
            tiffcp -c none "$out/lzw/planes/$file" "$out/planes/$file"
        done
        rm -rf "$out/lzw"
        touch "$out/done"
    fi
    echo "$out/planes/"
}

# The same pixels as BMP and as 8- and 16-bit TIFF, each beside the raw-read floor of its files.
compare_formats() {
    local tiff8 tiff16 tiff_names="--folder-names=pos_%02d --image-names=z%03d.tif"
    tiff8=$(tiff_twins 8)
    tiff16=$(tiff_twins 16)
    local bmp_run="--scores=scores.csv 4" tiff_run="--scores=scores.csv $tiff_names 4"
    commands=([bmp]="$(tool_command cpu "$bmp_run" "$default_teams" "$work/tree2048/" 1 4 20)"
        [tiff8]="$(tool_command cpu "$tiff_run" "$default_teams" "$tiff8" 1 4 20)"
        [tiff16]="$(tool_command cpu "$tiff_run" "$default_teams" "$tiff16" 1 4 20)"
        [raw_bmp]="$build/bench/read_only $work/tree2048/ 1 4 20 $floor_threads"
        [raw_tiff8]="$build/bench/read_only --planes $tiff8 1 4 20 $floor_threads"
        [raw_tiff16]="$build/bench/read_only --planes $tiff16 1 4 20 $floor_threads")
    local results=$work/formats.results
    time_runs formats bmp tiff8 tiff16 raw_bmp raw_tiff8 raw_tiff16 >"$results"
    for run in tiff8 tiff16; do
        if ! cmp -s "$work/formats/bmp/scores.csv" "$work/formats/$run/scores.csv"; then
            echo "WARNING: the $run tree does not give the BMP tree's scores" >&2
        fi
    done
    local s=()
    for run in bmp tiff8 tiff16 raw_bmp raw_tiff8 raw_tiff16; do
        s+=("$(run_median "$results" "$run" 2)")
    done
    echo
    echo "### The same 4 x 20 images of 2048 x 2048 as BMP and as uncompressed TIFF," \
        "method 4, CPU engine, default teams, medians of $repetitions," \
        "load average $(cut -d' ' -f1-3 /proc/loadavg) at the end"
    echo
    echo "| files | wall s | own timer s | raw-read floor s | / floor | / BMP |"
    echo "|---|---|---|---|---|---|"
    local labels=("BMP, 8-bit" "TIFF, 8-bit" "TIFF, 16-bit") runs=(bmp tiff8 tiff16)
    for i in 0 1 2; do
        awk -v label="${labels[$i]}" -v s="${s[$i]}" \
            -v own="$(run_median "$results" "${runs[$i]}" 4)" -v raw="${s[$((i + 3))]}" -v bmp="${s[0]}" \
            'BEGIN {printf "| %s | %.3f | %.3f | %.3f | %.2f | %.2f |\n",
                    label, s, own, raw, s / raw, s / bmp}'
    done
    echo
    echo "| target | figure | limit | status |"
    echo "|---|---|---|---|"
    for i in 1 2; do
        target_row "${labels[$i]} / BMP, wall" \
            "$(awk -v a="${s[$i]}" -v b="${s[0]}" 'BEGIN {printf "%.2f", a / b}')" 1.2 le
        target_row "${labels[$i]} / its raw-read floor, wall" \
            "$(awk -v a="${s[$i]}" -v b="${s[$((i + 3))]}" 'BEGIN {printf "%.2f", a / b}')" 1.3 le
    done
}

mkdir -p "$work"
if [ ! -f "$work/tree2048/expected.txt" ]; then
    echo "Generating 4 folders x 20 images of 2048 x 2048 in $work/tree2048/" >&2
    "$build/tools/make_sample_stacks" "$work/tree2048/" 2048 2048 4 20
fi
cpu_model=$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs)
echo "## Whole job on $(nproc) cores ($cpu_model)," \
    "load average $(cut -d' ' -f1-3 /proc/loadavg) at the start"
if [ -z "$formats_only" ]; then
    compare generated_2048 $((2048 * 2048)) 0.35 "$work/tree2048/" 1 4 20
    compare urjc_adipose5x $((1388 * 1040)) 0.5 "$(cd "$datasets" && pwd)/urjc_adipose5x/" 1 2 17
fi
compare_formats

# shellcheck shell=bash
# Sourced by the benchmark scripts. timed_run <run folder> <command...> runs a command in its own
# working directory (where the reports land) under GNU time and prints "<wall seconds> <peak
# resident KiB> <the last line of its output>": every program timed prints its own timer's seconds
# on its last line.
timed_run() {
    local run_dir=$1
    shift
    mkdir -p "$run_dir"
    local start end peak_kib
    start=$(date +%s.%N)
    if ! (cd "$run_dir" && /usr/bin/time -v -o time.txt "$@" >output.txt); then
        echo "WARNING: failed, its output is in $run_dir: $*" >&2
    fi
    end=$(date +%s.%N)
    peak_kib=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$run_dir/time.txt")
    echo "$(awk -v from="$start" -v to="$end" 'BEGIN {printf "%.3f", to - from}') $peak_kib" \
        "$(tail -n 1 "$run_dir/output.txt")"
}

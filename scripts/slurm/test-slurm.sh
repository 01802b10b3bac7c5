#!/usr/bin/env bash
# End-to-end test of the job array on a real Slurm: a one-node cluster on this machine (its own
# munged, slurmctld and slurmd, started here and stopped on exit), the array over a generated tree
# of 12 stacks in 4 tasks, then bestfocus_merge, whose outputs must equal a single run's. Then one
# slice is made to fail (an unreadable image): the merge must refuse; after the image is repaired,
# resubmitting redoes that slice only and the merge must match again.
#
#   scripts/slurm/test-slurm.sh [path of bestfocus]      (default: $BESTFOCUS, else build/bestfocus)
#
# bestfocus_merge and tools/make_sample_stacks are taken from the same build folder. Needs root
# (the daemons run as root, munged as the munge user). When the packages cannot be installed or
# the daemons do not come up, it prints one line and exits 0: this machine cannot run the test.
set -euo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)
bestfocus=$(realpath "${1:-${BESTFOCUS:-$repo/build/bestfocus}}")
build=$(dirname "$bestfocus")
merge="$build/bestfocus_merge"
make_stacks="$build/tools/make_sample_stacks"
array_script="$repo/scripts/slurm/bestfocus-array.sbatch"
for program in "$bestfocus" "$merge" "$make_stacks"; do
    [ -x "$program" ] || { echo "test-slurm: $program is missing; build first" >&2; exit 1; }
done

echo "== The Slurm job array on a one-node Slurm started here =="
# $1 the reason, short (CI's table shows it); $2, when given, the details (a log's last lines).
skip() {
    echo "test-slurm: SKIPPED, $1"
    [ -z "${2:-}" ] || echo "test-slurm: details: $2"
    exit 0
}
[ "$(id -u)" -eq 0 ] || skip "needs root to start the Slurm daemons"
bash "$repo/scripts/install-deps.sh" --tests slurmctld slurmd slurm-client munge >/dev/null 2>&1 ||
    skip "the Slurm and munge packages could not be installed"

work=$(mktemp -d /tmp/bestfocus-slurm.XXXXXX)
daemons=()
cleanup() {
    # Only the daemons started here, by their process ids.
    for pid in "${daemons[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    for pid in "${daemons[@]}"; do
        timeout 20 tail --pid="$pid" -f /dev/null 2>/dev/null || kill -9 "$pid" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP

# munged, as the munge user, with its own key, socket and files.
mkdir -p "$work/munge"
chown munge:munge "$work/munge"
chmod 0755 "$work/munge"  # munged wants its socket reachable by all
mungekey -c -k "$work/munge/munge.key" >/dev/null 2>&1 || skip "mungekey cannot create a key"
chown munge:munge "$work/munge/munge.key"
chmod a+x "$work"  # the munge user must reach its folder; mktemp made it root's only
setpriv --reuid=munge --regid=munge --init-groups \
    /usr/sbin/munged --foreground --key-file="$work/munge/munge.key" \
    --socket="$work/munge/munge.socket" --pid-file="$work/munge/munged.pid" \
    --seed-file="$work/munge/munged.seed" >"$work/munge/munged.log" 2>&1 &
daemons+=($!)

# A one-node cluster on localhost with this machine's 2 CPUs; ports away from the defaults.
host=$(hostname -s)
mkdir -p "$work/slurm/state" "$work/slurm/spool"
export SLURM_CONF="$work/slurm/slurm.conf"
cat >"$SLURM_CONF" <<EOF
ClusterName=bestfocus-test
SlurmctldHost=$host(127.0.0.1)
SlurmctldPort=16817
SlurmdPort=16818
SlurmUser=root
SlurmdUser=root
AuthType=auth/munge
CredType=cred/munge
AuthInfo=socket=$work/munge/munge.socket
StateSaveLocation=$work/slurm/state
SlurmdSpoolDir=$work/slurm/spool
SlurmctldPidFile=$work/slurm/slurmctld.pid
SlurmdPidFile=$work/slurm/slurmd.pid
SlurmctldLogFile=$work/slurm/slurmctld.log
SlurmdLogFile=$work/slurm/slurmd.log
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
JobAcctGatherType=jobacct_gather/none
SelectType=select/cons_tres
SelectTypeParameters=CR_CPU
MpiDefault=none
ReturnToService=2
NodeName=$host NodeAddr=127.0.0.1 CPUs=2 State=UNKNOWN
PartitionName=test Nodes=$host Default=YES MaxTime=INFINITE State=UP
EOF
for _ in $(seq 50); do
    [ -S "$work/munge/munge.socket" ] && break
    sleep 0.1
done
[ -S "$work/munge/munge.socket" ] || skip "munged did not start" "$(tail -n 1 "$work/munge/munged.log" 2>&1)"
/usr/sbin/slurmctld -D -f "$SLURM_CONF" >"$work/slurm/slurmctld.out" 2>&1 &
daemons+=($!)
/usr/sbin/slurmd -D -f "$SLURM_CONF" >"$work/slurm/slurmd.out" 2>&1 &
daemons+=($!)
# The node is idle once both daemons are up and talking: give them a minute.
node_idle() { [ "$(timeout 5 sinfo -h -o %t 2>/dev/null)" == idle ]; }
deadline=$((SECONDS + 60))
until node_idle || ((SECONDS > deadline)); do
    if ! kill -0 "${daemons[1]}" 2>/dev/null || ! kill -0 "${daemons[2]}" 2>/dev/null; then
        break  # a daemon gave up
    fi
    sleep 1
done
node_idle ||
    skip "the Slurm daemons did not come up" \
        "$(tail -n 1 "$work/slurm/slurmctld.log" "$work/slurm/slurmd.log" 2>&1 | tr '\n' ' ')"

# --- the test proper: failures from here on fail CI ---
failed() {
    echo "test-slurm: FAILED, $*" >&2
    for log in "$work"/logs/*.out "$work/slurm/slurmctld.log" "$work/slurm/slurmd.log"; do
        [ -f "$log" ] && { echo "== $log" >&2; tail -n 20 "$log" >&2; }
    done
    exit 1
}
stacks="$work/stacks/"
"$make_stacks" "$stacks" 96 64 12 8 >/dev/null
# Two methods in one pass: a report of each, and their scores and summary in the CSV files.
options=(--quiet --scores=scores.csv --summary=summary.csv)
arguments=("1,3" "$stacks" 1 12 8)

mkdir -p "$work/single" "$work/logs"
(cd "$work/single" && "$bestfocus" "${options[@]}" "${arguments[@]}" >/dev/null) ||
    failed "the single run"

# Submits the 4-task array into run folder $1, waiting for it; returns sbatch's status.
submit() {
    timeout 180 sbatch --wait --quiet --array=0-3 --cpus-per-task=1 --time=5 \
        --output="$work/logs/%x-%A_%a.out" --export=ALL,BESTFOCUS="$bestfocus" \
        "$array_script" "$1" "${options[@]}" "${arguments[@]}"
}
# Merges run folder $1 into folder $2 (made here); returns the merge's status.
merge_into() {
    mkdir -p "$2"
    (cd "$2" && "$merge" --scores=scores.csv --summary=summary.csv "$1" 1 12)
}
# The merged outputs in folder $1 must equal the single run's, but for the time line.
check_equal_to_single() {
    local report
    for method in 1 3; do
        report=BestFocus_AutofocusStacks_Folder_1_to_12_method_$method.txt
        diff <(sed '$d' "$work/single/$report") <(sed '$d' "$1/$report") >&2 ||
            failed "$1/$report differs from the single run's"
        grep -q '^Total time: [0-9.]* seconds\.\.\.$' "$1/$report" ||
            failed "$1/$report has no time line"
    done
    for file in scores.csv summary.csv; do
        cmp "$work/single/$file" "$1/$file" || failed "$1/$file differs from the single run's"
    done
}

submit "$work/run" || failed "the array did not succeed"
merge_into "$work/run" "$work/merged" || failed "the merge refused a complete run"
check_equal_to_single "$work/merged"

# Slice 1 (folders 4 to 6) cannot read one of its images.
broken="$stacks/005/03.bmp"
mv "$broken" "$work/saved.bmp"
echo "not an image" >"$broken"
if submit "$work/resumed"; then failed "the array succeeded with an unreadable image"; fi
[ ! -e "$work/resumed/folders_4_to_6/complete" ] || failed "the failed slice is marked complete"
if merge_into "$work/resumed" "$work/refused" 2>"$work/refusal.txt"; then
    failed "the merge accepted a run with a failed slice"
fi
grep -q folders_4_to_6 "$work/refusal.txt" || failed "the refusal does not name the failed slice: $(cat "$work/refusal.txt")"
[ -z "$(ls -A "$work/refused")" ] || failed "the refused merge wrote $(ls "$work/refused")"
echo "test-slurm: as it should, $(cat "$work/refusal.txt")"

mv "$work/saved.bmp" "$broken"
cp "$work/resumed/folders_1_to_3/complete" "$work/kept-complete"
submit "$work/resumed" || failed "the resumed array did not succeed"
cmp -s "$work/kept-complete" "$work/resumed/folders_1_to_3/complete" ||
    failed "the resumed array ran a slice that was already complete"
merge_into "$work/resumed" "$work/merged-after-resume" || failed "the merge refused the resumed run"
check_equal_to_single "$work/merged-after-resume"
echo "test-slurm: PASSED (12 stacks, methods 1 and 3, in 4 array tasks: reports, scores and summary merged equal to one run's; a failed slice refused, then resumed)"

#!/usr/bin/env bash
# Checks that every kernel of the CUDA build can launch with the block size we launch it with.
#
#   scripts/check-kernel-resources.sh [--block-threads=N] [--dynamic-shared-bytes=N] REPORT...
#
# Each REPORT is ptxas's resource report (nvcc -Xptxas=-v) for one compile, or a folder searched
# for *.ptxas files (what scripts/keep-ptxas-report.sh leaves beside each object). A kernel fails
# when a block of N threads (default 1024: every kernel of ours) needs more registers than a
# multiprocessor has (65536, allocated per warp in units of 256: at most 64 per thread for 1024
# threads), or when its static shared memory plus the dynamic shared memory of its launches
# (default 16384 bytes, the most any of ours asks) exceeds 48 KiB. On a GPU such a launch fails
# with "too many resources requested for launch"; nothing here can run one, so the build says it.
# Exit status 1 names every kernel that does not fit; 2 for bad arguments or no kernel found.
set -euo pipefail

block_threads=1024
dynamic_shared_bytes=16384
reports=()
for argument in "$@"; do
    case $argument in
        --block-threads=*) block_threads=${argument#*=} ;;
        --dynamic-shared-bytes=*) dynamic_shared_bytes=${argument#*=} ;;
        -*) echo "check-kernel-resources: unknown option $argument" >&2; exit 2 ;;
        *) if [ -d "$argument" ]; then
               while IFS= read -r -d '' file; do reports+=("$file"); done \
                   < <(find "$argument" -name '*.ptxas' -print0 | sort -z)
           else
               reports+=("$argument")
           fi ;;
    esac
done
for number in "$block_threads" "$dynamic_shared_bytes"; do
    [[ $number =~ ^[0-9]+$ ]] || { echo "check-kernel-resources: $number is not a count" >&2; exit 2; }
done
if ((${#reports[@]} == 0)); then
    echo "check-kernel-resources: no ptxas report given" >&2
    exit 2
fi

demangler=c++filt
command -v cu++filt >/dev/null 2>&1 && demangler=cu++filt

# One line per kernel and architecture: mangled name, architecture, registers, static shared bytes.
# Within one report, "Used ..." follows the "Compiling entry function" line of its kernel.
usage=$(awk '
    FNR == 1 { kernel = "" }
    /Compiling entry function/ {
        split($0, quoted, "\047"); kernel = quoted[2]; arch = quoted[4]; next
    }
    /ptxas info *: Used [0-9]+ registers/ && kernel != "" {
        registers = 0; shared = 0
        if (match($0, /Used [0-9]+ registers/)) registers = substr($0, RSTART + 5, RLENGTH - 15)
        if (match($0, /[0-9]+ bytes smem/)) shared = substr($0, RSTART, RLENGTH - 11)
        print kernel, arch, registers + 0, shared + 0
        kernel = ""
    }' "${reports[@]}" | sort -u)
if [ -z "$usage" ]; then
    echo "check-kernel-resources: no kernel in ${reports[*]}: was the CUDA build compiled with" \
         "-Xptxas=-v through scripts/keep-ptxas-report.sh?" >&2
    exit 2
fi

registers_per_sm=65536
shared_limit=$((48 << 10))
warps=$(((block_threads + 31) / 32))
max_registers=$((registers_per_sm / warps / 256 * 256 / 32))
failures=0
kernels=0
largest=0
largest_kernel=""
while read -r mangled arch registers shared; do
    kernels=$((kernels + 1))
    name=$($demangler "$mangled")
    # Registers are handed to each warp in units of 256.
    per_warp=$(((registers * 32 + 255) / 256 * 256))
    if ((warps * per_warp > registers_per_sm)); then
        echo "kernel $name ($arch) uses $registers registers per thread: a block of" \
             "$block_threads threads needs $((warps * per_warp)) of the $registers_per_sm" \
             "registers of a multiprocessor (at most $max_registers per thread)" >&2
        failures=$((failures + 1))
    fi
    if ((shared + dynamic_shared_bytes > shared_limit)); then
        echo "kernel $name ($arch) uses $shared bytes of static shared memory: with" \
             "$dynamic_shared_bytes dynamic bytes a block needs more than $shared_limit" >&2
        failures=$((failures + 1))
    fi
    if ((registers > largest)); then
        largest=$registers
        largest_kernel="$name ($arch)"
    fi
done <<<"$usage"

if ((failures > 0)); then
    echo "check-kernel-resources: $failures kernel resource limit(s) exceeded for" \
         "$block_threads-thread blocks" >&2
    exit 1
fi
echo "check-kernel-resources: $kernels kernels fit $block_threads-thread blocks (at most" \
     "$max_registers registers per thread); the largest uses $largest: $largest_kernel"

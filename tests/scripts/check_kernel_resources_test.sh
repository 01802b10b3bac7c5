#!/usr/bin/env bash
# The kernel resource check on fabricated ptxas reports, so that it is tested without nvcc: kernels
# within the limits of a 1024-thread block pass, and each kernel past one fails by its demangled
# name.
set -euo pipefail
check=$1
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT

# What nvcc -Xptxas=-v prints for one kernel: mangled name, registers, static shared bytes.
report() {
    printf "ptxas info    : 0 bytes gmem\n"
    printf "ptxas info    : Compiling entry function '%s' for 'sm_75'\n" "$1"
    printf "ptxas info    : Function properties for %s\n" "$1"
    printf "    0 bytes stack frame, 0 bytes spill stores, 0 bytes spill loads\n"
    printf "ptxas info    : Used %s registers, used 1 barriers, %s bytes smem, 380 bytes cmem[0]\n" \
        "$2" "$3"
}

fail() {
    echo "FAILED: $*" >&2
    exit 1
}

# Exactly 64 registers and 32 KiB of static shared memory still fit beside 16 KiB of dynamic.
mkdir "$folder/fits"
report _Z20Calcular_MDCT_KernelPdS_iii 46 0 >"$folder/fits/mdct.cu.o.ptxas"
report _Z11at_the_edgePd 64 32768 >"$folder/fits/edge.cu.o.ptxas"
output=$(bash "$check" "$folder/fits") || fail "kernels within the limits were refused: $output"
[[ $output == *"2 kernels fit"*"largest uses 64: at_the_edge(double*)"* ]] ||
    fail "unexpected summary: $output"

# One register too many, and one byte of shared memory too many, in one build.
report _Z20Calcular_MDCT_KernelPdS_iii 46 0 >"$folder/too_much.ptxas"
report _Z5heavyPKdPd 65 0 >>"$folder/too_much.ptxas"
report _Z11wide_sharedv 32 32769 >>"$folder/too_much.ptxas"
status=0
output=$(bash "$check" "$folder/too_much.ptxas" 2>&1) || status=$?
((status == 1)) || fail "status $status for kernels past the limits"
[[ $output == *"kernel heavy(double const*, double*) (sm_75) uses 65 registers"* ]] ||
    fail "the heavy kernel is not named: $output"
[[ $output == *"kernel wide_shared() (sm_75) uses 32769 bytes of static shared memory"* ]] ||
    fail "the shared-memory kernel is not named: $output"
[[ $output != *Calcular_MDCT_Kernel* ]] || fail "a kernel that fits was named: $output"

# A smaller block gives each thread more registers.
report _Z5heavyPKdPd 65 0 >"$folder/heavy.ptxas"
bash "$check" --block-threads=512 "$folder/heavy.ptxas" >/dev/null ||
    fail "65 registers were refused for 512-thread blocks"

# A report without kernels means the build did not produce one: an error, never a pass.
: >"$folder/empty.ptxas"
status=0
bash "$check" "$folder/empty.ptxas" 2>/dev/null || status=$?
((status == 2)) || fail "status $status for a report without kernels"
echo "kernel resource check: all cases passed"

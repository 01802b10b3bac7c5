#!/usr/bin/env bash
# Compiler launcher for the CUDA build (CMAKE_CUDA_COMPILER_LAUNCHER): runs the compile command it
# is given and keeps what the compiler printed on standard error, ptxas's resource report among
# it, beside the object as OBJECT.ptxas, then passes it on. The kernel resource check reads each
# file's report whole, however a parallel build interleaves the compilers' output.
set -uo pipefail

object=""
previous=""
for argument in "$@"; do
    [ "$previous" = "-o" ] && object=$argument
    previous=$argument
done
[ -n "$object" ] || exec "$@"

"$@" 2>"$object.ptxas"
status=$?
cat "$object.ptxas" >&2
exit "$status"

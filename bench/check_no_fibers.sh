#!/usr/bin/env bash
# Checks that bestfocus creates no fiber while it measures: runs every method it offers on each
# engine on the sample stacks under gdb, counting the calls of make_fcontext, where
# Boost.Context makes every fiber. Fails when any run makes one.
#
#   bash bench/check_no_fibers.sh [build dir, default build/]
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$repo/build}" && pwd)
# shellcheck source=method_codes.sh
. "$repo/bench/method_codes.sh"

fibers_made() {
    # A breakpoint that never stops but counts; gdb reports the count only when it is not 0.
    gdb -q -batch -ex 'set breakpoint pending on' -ex 'break make_fcontext' \
        -ex 'ignore 1 2000000000' -ex run -ex 'info breakpoints' --args "$@" 2>&1 |
        awk '/breakpoint already hit/ {hits = $4} END {print hits + 0}'
}

mkdir -p "$build/bench_no_fibers"
cd "$build/bench_no_fibers"  # where the reports land
status=0
for engine in cuda cpu; do
    for method in $(method_codes "$build/bestfocus"); do
        fibers=$(fibers_made "$build/bestfocus" --engine="$engine" "$method" \
            "$build/sample_stacks/" 11 15 20)
        echo "--engine=$engine method $method on the sample stacks: $fibers fibers made"
        [ "$fibers" -eq 0 ] || status=1
    done
done
exit "$status"

# shellcheck shell=bash
# Sourced by the benchmark scripts. method_codes <bestfocus> prints the method codes the tool
# offers, one a line: 1, 2, ... up to the first one it refuses. Each probe runs the method with the
# tool's default arguments (the bundled sample stack 011, built beside it) in a scratch folder that
# takes its report: a range that holds no folder is refused whatever the method.
method_codes() {
    local tool scratch method=1
    tool=$(realpath "$1")
    scratch=$(mktemp -d)
    # A tool that refused nothing would never stop: no tool has a thousand measures.
    while [ "$method" -lt 1000 ] &&
        (cd "$scratch" && "$tool" --quiet "$method" >/dev/null 2>&1); do
        echo "$method"
        method=$((method + 1))
    done
    rm -rf "$scratch"
}

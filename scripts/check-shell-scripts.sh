#!/usr/bin/env bash
# Runs shellcheck over every shell script of the repository (build folders aside): files named
# *.sh or *.sbatch, and any other whose first line is a sh or bash "#!" line or a shellcheck
# shell directive (.ci/run). Sourced files are followed from the folder of the script sourcing
# them. Fails when shellcheck reports anything.
#
#   bash scripts/check-shell-scripts.sh
set -euo pipefail
cd "$(dirname "$0")/.."

is_shell_script() {
    case "$1" in
        *.sh | *.sbatch) return 0 ;;
    esac
    local first_line=""
    IFS= read -r first_line <"$1" 2>/dev/null || true
    [[ "$first_line" =~ ^#!.*[/\ ](ba)?sh([[:space:]]|$) || "$first_line" =~ ^#\ shellcheck\ shell= ]]
}

scripts=()
while IFS= read -r -d '' file; do
    if is_shell_script "$file"; then scripts+=("$file"); fi
done < <(find . \( -path './build*' -o -name .git \) -prune -o -type f -print0 | sort -z)
((${#scripts[@]})) || { echo "check-shell-scripts: no shell script found" >&2; exit 1; }
echo "== shellcheck over ${#scripts[@]} shell scripts =="
shellcheck --external-sources --source-path=SCRIPTDIR "${scripts[@]}"

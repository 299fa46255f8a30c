#!/usr/bin/env bash
# Runs clang-tidy with .clang-tidy's checks over every source file of src/
# and tools/, using the compile commands of build/ (scripts/setup.sh makes
# them), and fails on any finding: scripts/tidy.sh [FOLDER]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
[ -f "$build/compile_commands.json" ] || { echo "No $build/compile_commands.json: run scripts/setup.sh" >&2; exit 1; }
tidy=$(command -v clang-tidy-14 || command -v clang-tidy)
find src tools -name '*.cpp' -print0 | sort -z |
  xargs -0 -P "$(nproc 2>/dev/null || echo 2)" -n 4 \
    "$tidy" -p "$build" --quiet --warnings-as-errors='*' 2> >(grep -v -E '^[0-9]+ warnings? (and [0-9]+ errors? )?generated\.$|^Suppressed [0-9]+ warnings|^Use -header-filter|^Error while processing' >&2)

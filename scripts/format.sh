#!/usr/bin/env bash
# Checks that every C++ source follows .clang-format; with --fix, formats
# them in place. The generated image data is left as its script writes it.
# Usage: scripts/format.sh [--fix]
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h' | grep -v '^src/core/page_image_data\.cpp$')
if [ "${1:-}" = "--fix" ]; then
  clang-format -i "${files[@]}"
else
  clang-format --dry-run -Werror "${files[@]}"
fi

#!/usr/bin/env bash
# Sets up, checks the sources' format and clang-tidy's findings, builds and runs every test; then builds the same tests with
# AddressSanitizer and UndefinedBehaviorSanitizer into build-sanitize and
# runs them once more there.
set -euo pipefail
cd "$(dirname "$0")"
jobs=$(nproc 2>/dev/null || echo 2)
export QT_QPA_PLATFORM=offscreen
scripts/setup.sh
scripts/format.sh || { echo "Sources differ from .clang-format: run scripts/format.sh --fix" >&2; exit 1; }
scripts/tidy.sh || { echo "clang-tidy found faults or misnamed identifiers (above): fix them, or see .clang-tidy" >&2; exit 1; }
ctest --test-dir build --output-on-failure -j"$jobs"

# -O1 keeps the instrumented build and run short; the benchmarks are left
# out, as nothing runs them there.
flags="-O1 -g -DNDEBUG"
scripts/setup.sh build-sanitize -DQUILLMERE_SANITIZE=ON -DQUILLMERE_BENCH=OFF \
  -DCMAKE_C_FLAGS_RELWITHDEBINFO="$flags" -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="$flags"
export ASAN_OPTIONS="detect_leaks=1:strict_init_order=1:detect_stack_use_after_return=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$PWD/tests/sanitize/leaks.supp:print_suppressions=0"
ctest --test-dir build-sanitize --output-on-failure -j"$jobs"

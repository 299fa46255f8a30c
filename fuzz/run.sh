#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into build-fuzz and runs each one
# after the other for a bounded time, then prints a summary per target.
#
#   fuzz/run.sh [SECONDS_PER_TARGET] [TARGET...]
#
# SECONDS_PER_TARGET defaults to 600; TARGET is any of text_operations,
# chm_unpacker, project_reading (default: all three). New inputs go to
# build-fuzz/corpus/<target>, crashes to build-fuzz/artifacts/<target>; the
# small seed corpus in fuzz/corpus is only read. Not part of the test run.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-600}
[ $# -gt 0 ] && shift
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(text_operations chm_unpacker project_reading)
build="$root/build-fuzz"

declare -A max_len=([text_operations]=256 [chm_unpacker]=32768 [project_reading]=4096)

flags="-fsanitize=address,fuzzer-no-link -fno-omit-frame-pointer -g"
mkdir -p "$build"
cmake -S "$root" -B "$build" -DQUILLMERE_FUZZ=ON \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" > "$build/configure.log" 2>&1 ||
  { cat "$build/configure.log"; exit 1; }
build_targets=()
for t in "${targets[@]}"; do build_targets+=(--target "fuzz_$t"); done
nice cmake --build "$build" -j2 "${build_targets[@]}"

# The unpacker and the compiler write real files; keep them in memory.
scratch_base=/tmp
[ -d /dev/shm ] && [ -w /dev/shm ] && scratch_base=/dev/shm
scratch=$(mktemp -d "$scratch_base/quillmere-fuzz-run-XXXXXX")
trap 'rm -rf "$scratch"' EXIT

summary=()
for t in "${targets[@]}"; do
  corpus="$build/corpus/$t"
  artifacts="$build/artifacts/$t"
  log="$build/$t.log"
  mkdir -p "$corpus" "$artifacts" "$root/fuzz/regressions/$t"
  echo "== $t: ${seconds}s, log in $log"
  stamp="$build/.started-$t"
  touch "$stamp"
  start=$(date +%s)
  status=0
  TMPDIR="$scratch" nice -n 10 "$build/bin/fuzz_$t" \
    -max_total_time="$seconds" -rss_limit_mb=512 -malloc_limit_mb=512 -timeout=20 \
    -max_len="${max_len[$t]}" -print_final_stats=1 -artifact_prefix="$artifacts/" \
    "$corpus" "$root/fuzz/corpus/$t" "$root/fuzz/regressions/$t" > "$log" 2>&1 || status=$?
  elapsed=$(( $(date +%s) - start ))
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  findings=$(find "$artifacts" -type f -newer "$stamp" 2>/dev/null | wc -l)
  [ "$status" -ne 0 ] && tail -40 "$log"
  summary+=("$(printf '%-16s %6ss %12s runs %6s corpus files %3s findings (exit %s)' "$t" "$elapsed" \
    "${runs:-?}" "$(find "$corpus" -type f | wc -l)" "$findings" "$status")")
done

echo
echo "target            time          executions       corpus      findings"
printf '%s\n' "${summary[@]}"

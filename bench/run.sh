#!/usr/bin/env bash
# Runs every benchmark (each makes its own data in a scratch folder) and
# prints one table: workload, our time, the baseline measured in the same
# run, the ratio and peak memory. Usage: bench/run.sh [benchmark ...]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
bin=build/bin
logs=build/bench-logs
mkdir -p "$logs"

all=(bench_convert bench_reencoding bench_page_simplifier bench_file_name_replacement
     bench_chm bench_compile bench_unpack)
if [ $# -gt 0 ]; then benches=("$@"); else benches=("${all[@]}"); fi

for b in "${benches[@]}"; do
  if [ ! -x "$bin/$b" ]; then
    echo "skipping $b: not built" >&2
    continue
  fi
  echo "== $b" >&2
  "$bin/$b" >"$logs/$b.log" 2>&1 || echo "   $b exited with an error; see $logs/$b.log" >&2
done

echo
echo "Machine: $(nproc) cores, $(free -g | awk '/Mem:/ {print $2}') GiB, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(date -u +%Y-%m-%d)"
echo
echo "| workload | ours s | baseline | baseline s | ratio | peak MB | target (ratio, memory) |"
echo "|---|---|---|---|---|---|---|"
for b in "${benches[@]}"; do
  [ -f "$logs/$b.log" ] || continue
  grep '^@row ' "$logs/$b.log" | sed 's/^@row /| /; s/$/ |/; s/|/ | /g; s/  */ /g' || true
done

#!/usr/bin/env bash
# Builds and runs every benchmark at three sizes (scale 1, 4 and 16, and one
# single text of 100 MB where the operation takes texts), then writes the
# table between the bench-table markers of README.md (bench/table.sh) and
# the cost-per-MB plot bench/cost-per-mb.svg (bench/plot.sh), both from the
# benchmarks' output. Usage: bench/run.sh [--big] [benchmark ...]; --big
# adds the compiler's large generated trees (50,000 pages, 500 MB; a few
# minutes more).
set -euo pipefail
big=0
if [ "${1:-}" = "--big" ]; then
  big=1
  shift
fi
cd "$(dirname "$0")/.."
scripts/setup.sh
if ! command -v gnuplot >/dev/null; then
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq gnuplot-nox >/dev/null
fi
bin=build/bin
logs=build/bench-logs
rm -rf "$logs"
mkdir -p "$logs"

all=(bench_convert bench_split bench_reencoding bench_page_simplifier bench_file_name_replacement
     bench_chm bench_compile bench_unpack)
with_single_text=" bench_convert bench_reencoding bench_page_simplifier "
if [ $# -gt 0 ]; then benches=("$@"); else benches=("${all[@]}"); fi

load_before=$(cut -d' ' -f1-3 /proc/loadavg)
started=$(date +%s)
for b in "${benches[@]}"; do
  if [ ! -x "$bin/$b" ]; then
    echo "skipping $b: not built" >&2
    continue
  fi
  runs=("--scale 1" "--scale 4" "--scale 16")
  [[ "$with_single_text" == *" $b "* ]] && runs+=("--single-mb 100")
  [ "$b" = bench_split ] && runs=("--single-mb 100")  # one novel, no scales
  for args in "${runs[@]}"; do
    echo "== $b $args" >&2
    # shellcheck disable=SC2086
    "$bin/$b" $args >>"$logs/$b.log" 2>&1 || echo "   $b $args exited with an error; see $logs/$b.log" >&2
  done
done
# The large trees go last: ext4 skips inodes freed in the last minutes when
# it makes new files, and the hundreds of thousands these free would slow
# every benchmark that creates files after them.
if [ "$big" = 1 ] && [[ " ${benches[*]} " == *" bench_compile "* ]] && [ -x "$bin/bench_compile" ]; then
  echo "== bench_compile --big" >&2
  "$bin/bench_compile" --big >>"$logs/bench_compile.log" 2>&1 ||
    echo "   bench_compile --big exited with an error; see $logs/bench_compile.log" >&2
fi
load_after=$(cut -d' ' -f1-3 /proc/loadavg)
# The scratch's file system, and whether it keeps a journal: ext4 without
# one passes over every inode freed in the last minutes when it makes a
# file, which moves the rows that make and delete many files.
scratch_dir="${TMPDIR:-/tmp}"
scratch_fs=$(df -T "$scratch_dir" | awk 'NR==2 {print $2}')
scratch_dev=$(basename "$(df --output=source "$scratch_dir" | tail -1)")
if [ "$scratch_fs" = ext4 ]; then
  if ls /proc/fs/jbd2/ 2>/dev/null | grep -q "^$scratch_dev-"; then scratch_fs="ext4 (journal)"
  else scratch_fs="ext4 (no journal)"; fi
fi

{
  echo "Machine: $(nproc) cores, $(free -g | awk '/Mem:/ {print $2}') GiB,"\
       "$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'),"\
       "$scratch_fs scratch; $(date -u '+%Y-%m-%d %H:%M UTC');"\
       "whole run $(( $(date +%s) - started )) s; load average $load_before before, $load_after after."
  echo
  cat "$logs"/*.log | bench/table.sh
} >"$logs/table.md"
cat "$logs"/*.log | bench/plot.sh bench/cost-per-mb.svg
awk -v table="$logs/table.md" '
  /<!-- bench-table:end -->/ { skipping = 0 }
  !skipping { print }
  /<!-- bench-table:begin -->/ { while ((getline line < table) > 0) print line; skipping = 1 }
' README.md >"$logs/README.md"
cp "$logs/README.md" README.md
cat "$logs/table.md"

#!/usr/bin/env bash
# Reads benchmark output on standard input and draws our cost per MB
# against the MB processed, one line per workload of ours measured in MB,
# into the SVG file named by the first argument (gnuplot). Floors are not
# ours and are left out, and so is a row with the same size and time as one
# drawn already (ours set against another baseline).
set -euo pipefail
out=$1
data=$(awk -F'|' '/^@row / && $4 == "MB" && $1 !~ /^@row floor/ { sub(/^@row /, ""); if (!seen[$1 SUBSEP $3]++ && !timed[$3 SUBSEP $5]++) print $1 "|" $3 "|" $5 * 1000 / $3 }')
{
  echo "set terminal svg size 720,520 font 'sans,11'"
  echo "set output '$out'"
  echo "set logscale x"
  echo "set xlabel 'MB processed'"
  echo "set ylabel 'ms per MB (median)'"
  echo "set yrange [0:*]"
  echo "set key below"
  echo "set grid"
  i=0
  plots=()
  while IFS= read -r workload; do
    echo "\$d$i << EOD"
    printf '%s\n' "$data" | awk -F'|' -v w="$workload" '$1 == w { print $2, $3 }' | sort -g
    echo "EOD"
    plots+=("\$d$i using 1:2 with linespoints title '${workload//\'/}'")
    i=$((i + 1))
  done < <(printf '%s\n' "$data" | cut -d'|' -f1 | awk '!seen[$0]++')
  (IFS=,; echo "plot ${plots[*]}")
} | gnuplot

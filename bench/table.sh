#!/usr/bin/env bash
# Reads benchmark output on standard input and prints the markdown tables:
# one line per "@row" (times: median of the timed runs, spread = slowest
# less fastest over the median; the ratio is ours / the baseline of the same
# rounds; cost per unit of work; whether the row meets its target) and one
# per "@size" (compiled sizes).
set -euo pipefail
awk -F'|' '
  function cost(seconds, amount, unit) {
    if (amount <= 0) return "-"
    return sprintf("%.1f ms/%s", seconds * 1000 / amount, unit)
  }
  # "yes", or "no" with what misses: the ratio ("<= R" in the target), the
  # peak memory ("< M MB") or the time ("< T ms").
  function met(target, seconds, ratio, peak,   missed, limit) {
    missed = ""
    if (match(target, /<= [0-9.]+/)) {
      limit = substr(target, RSTART + 3, RLENGTH - 3) + 0
      if (ratio == "-" || ratio + 0 > limit) missed = missed ", ratio"
    }
    if (match(target, /< [0-9.]+ MB/)) {
      limit = substr(target, RSTART + 2, RLENGTH - 5) + 0
      if (peak != "-" && peak + 0 >= limit) missed = missed ", memory"
    }
    if (match(target, /< [0-9.]+ ms/)) {
      limit = substr(target, RSTART + 2, RLENGTH - 5) + 0
      if (seconds * 1000 >= limit) missed = missed ", time"
    }
    if (target == "-") return "-"
    if ($13 != "ok") missed = missed ", the run failed"
    return missed == "" ? "yes" : "**no: " substr(missed, 3) "**"
  }
  function met_size(ratio, target) {
    if (!match(target, /<= [0-9.]+/)) return "-"
    return ratio + 0 <= substr(target, RSTART + 3, RLENGTH - 3) + 0 ? "yes" : "**no**"
  }
  /^@row / {
    sub(/^@row /, "")
    base = $8 == "-" ? "-" : sprintf("%s (±%s%%)", $8, $9)
    rows = rows sprintf("| %s | %s | %s (±%s%%) | %s | %s | %s | %s | %s | %s | %s | %s |\n",
                        $1, $2, $5, $6, $7, base, $10, cost($5, $3, $4), $11, $12, met($12, $5, $10, $11), $13)
  }
  /^@size / {
    sub(/^@size /, "")
    sizes = sizes sprintf("| %s | %s | %s | %s | %s | %s | %s |\n", $1, $2, $3, $4, $5, $6,
                          met_size($5, $6))
  }
  END {
    print "| workload | size | ours s (spread) | baseline | baseline s (spread) | ratio | ours per unit | peak MB | target | met | run |"
    print "|---|---|---|---|---|---|---|---|---|---|---|"
    printf "%s", rows
    if (sizes != "") {
      print ""
      print "| compiled book | size | ours bytes | chmcmd bytes | ratio | target | met |"
      print "|---|---|---|---|---|---|---|"
      printf "%s", sizes
    }
  }
'

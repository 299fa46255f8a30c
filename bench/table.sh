#!/usr/bin/env bash
# Reads benchmark output on standard input and prints the markdown tables:
# one line per "@row" (times: median of the timed runs, spread = slowest
# less fastest over the median; the ratio is ours / the baseline of the same
# rounds; cost per unit of work) and one per "@size" (compiled sizes).
set -euo pipefail
awk -F'|' '
  function cost(seconds, amount, unit) {
    if (amount <= 0) return "-"
    return sprintf("%.1f ms/%s", seconds * 1000 / amount, unit)
  }
  /^@row / {
    sub(/^@row /, "")
    base = $8 == "-" ? "-" : sprintf("%s (±%s%%)", $8, $9)
    rows = rows sprintf("| %s | %s | %s (±%s%%) | %s | %s | %s | %s | %s | %s | %s |\n",
                        $1, $2, $5, $6, $7, base, $10, cost($5, $3, $4), $11, $12, $13)
  }
  /^@size / {
    sub(/^@size /, "")
    sizes = sizes sprintf("| %s | %s | %s | %s | %s | %s |\n", $1, $2, $3, $4, $5, $6)
  }
  END {
    print "| workload | size | ours s (spread) | baseline | baseline s (spread) | ratio | ours per unit | peak MB | target | run |"
    print "|---|---|---|---|---|---|---|---|---|---|"
    printf "%s", rows
    if (sizes != "") {
      print ""
      print "| compiled book | size | ours bytes | chmcmd bytes | ratio | target |"
      print "|---|---|---|---|---|---|"
      printf "%s", sizes
    }
  }
'

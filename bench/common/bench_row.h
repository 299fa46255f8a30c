#pragma once
// One row of the benchmark summary table. Every benchmark prints its rows
// with PrintRow; bench/run.sh gathers the lines that start with "@row" from
// all of them into one table.

#include <sys/resource.h>

#include <cstdio>
#include <string>

namespace qm::bench {

/// Peak resident memory of this process so far, in MB.
inline double OwnPeakMegabytes() {
  struct rusage usage {};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss / 1024.0;
}

/// Prints "@row workload|ours s|baseline|baseline s|ratio|peak MB|target".
/// A baseline time <= 0 means the baseline could not be measured.
inline void PrintRow(const std::string& workload, double ours_seconds, const std::string& baseline,
                     double baseline_seconds, double peak_megabytes, const std::string& target) {
  if (baseline_seconds > 0)
    std::printf("@row %s|%.3f|%s|%.3f|%.2f|%.1f|%s\n", workload.c_str(), ours_seconds, baseline.c_str(),
                baseline_seconds, ours_seconds / baseline_seconds, peak_megabytes, target.c_str());
  else
    std::printf("@row %s|%.3f|%s (not measured)|-|-|%.1f|%s\n", workload.c_str(), ours_seconds,
                baseline.c_str(), peak_megabytes, target.c_str());
  std::fflush(stdout);
}

}  // namespace qm::bench

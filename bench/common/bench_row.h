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
/// A baseline time <= 0 means it was not measured (an empty baseline name:
/// the row has no baseline); a peak <= 0 means not measured.
inline void PrintRow(const std::string& workload, double ours_seconds, const std::string& baseline,
                     double baseline_seconds, double peak_megabytes, const std::string& target) {
  char ratio[32] = "-", base[32] = "-", peak[32] = "-";
  if (baseline_seconds > 0) {
    std::snprintf(base, sizeof base, "%.3f", baseline_seconds);
    std::snprintf(ratio, sizeof ratio, "%.2f", ours_seconds / baseline_seconds);
  }
  if (peak_megabytes > 0) std::snprintf(peak, sizeof peak, "%.1f", peak_megabytes);
  std::string name = baseline.empty() ? "-" : baseline;
  if (!baseline.empty() && baseline_seconds <= 0) name += " (not measured)";
  std::printf("@row %s|%.3f|%s|%s|%s|%s|%s\n", workload.c_str(), ours_seconds, name.c_str(), base, ratio, peak,
              target.c_str());
  std::fflush(stdout);
}

}  // namespace qm::bench

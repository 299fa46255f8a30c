#pragma once
// Honest timing for every benchmark: each contender (ours and its baselines)
// runs once untimed to warm the caches, then all of them run in turn, round
// after round, so that a change in the machine's load hits them alike. Each
// row gives the median and the spread of its runs, and a ratio only against
// a baseline timed in the same rounds on the same data. bench/run.sh
// gathers the lines that start with "@row" into the README table and the
// cost-per-MB plot.

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace qm::bench {

/// Peak resident memory of this process so far, in MB.
inline double OwnPeakMegabytes() {
  struct rusage usage {};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss / 1024.0;
}

/// One contender of a benchmark: `prepare` puts the inputs back and clears
/// the outputs of an earlier run (not timed); `run` is the timed work and
/// gives false when it failed. `warm_up` false skips its untimed first run
/// (for a slow baseline whose data the others' warm-up already read).
struct Contender {
  std::string name;
  std::function<bool()> run;
  std::function<void()> prepare = [] {};
  bool warm_up = true;
  std::vector<double> seconds{};
  bool ok = true;

  double Median() const {
    if (seconds.empty()) return 0;
    std::vector<double> s = seconds;
    std::sort(s.begin(), s.end());
    std::size_t n = s.size();
    return n % 2 ? s[n / 2] : (s[n / 2 - 1] + s[n / 2]) / 2;
  }
  /// (slowest - fastest) / median, in percent.
  double SpreadPercent() const {
    if (seconds.empty() || Median() <= 0) return 0;
    auto [lo, hi] = std::minmax_element(seconds.begin(), seconds.end());
    return (*hi - *lo) / Median() * 100;
  }
};

/// Warms up every contender once, then runs `rounds` rounds in which each
/// contender runs once, in the order given, recording its wall-clock time.
/// Before each timed run the written data of the runs before it is flushed
/// to disk (untimed), so that no contender pays for another's writing.
inline void RunInterleaved(std::vector<Contender>& contenders, int rounds = 3) {
  for (Contender& c : contenders) {
    if (!c.warm_up) continue;
    c.prepare();
    c.ok = c.run() && c.ok;
  }
  for (int r = 0; r < rounds; ++r) {
    for (Contender& c : contenders) {
      c.prepare();
      ::sync();
      auto start = std::chrono::steady_clock::now();
      bool ok = c.run();
      c.seconds.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
      c.ok = ok && c.ok;
    }
  }
}

/// The size of one benchmark run: `amount` units of work (MB of input, or
/// thousands of items where bytes do not matter) and a label for people.
struct Size {
  std::string label;
  double amount = 0;
  std::string unit = "MB";
};

/// Prints one row:
/// "@row workload|size|amount|unit|ours median s|ours spread %|baseline|
///  baseline median s|baseline spread %|ratio|peak MB|target|ok".
/// `baseline` null: the row has no baseline. A peak <= 0: not measured.
inline void PrintRow(const std::string& workload, const Size& size, const Contender& ours, const Contender* baseline,
                     double peak_megabytes, const std::string& target) {
  char base[32] = "-", base_spread[32] = "-", ratio[32] = "-", peak[32] = "-";
  std::string name = "-";
  if (baseline) {
    name = baseline->name;
    if (baseline->ok && baseline->Median() > 0) {
      std::snprintf(base, sizeof base, "%.4f", baseline->Median());
      std::snprintf(base_spread, sizeof base_spread, "%.0f", baseline->SpreadPercent());
      std::snprintf(ratio, sizeof ratio, "%.2f", ours.Median() / baseline->Median());
    } else {
      name += " (failed)";
    }
  }
  if (peak_megabytes > 0) std::snprintf(peak, sizeof peak, "%.1f", peak_megabytes);
  std::printf("@row %s|%s|%.3f|%s|%.4f|%.0f|%s|%s|%s|%s|%s|%s|%s\n", workload.c_str(), size.label.c_str(), size.amount,
              size.unit.c_str(), ours.Median(), ours.SpreadPercent(), name.c_str(), base, base_spread, ratio, peak,
              target.c_str(), ours.ok ? "ok" : "FAILED");
  std::fflush(stdout);
}

/// The value of "--NAME VALUE" among the arguments, or `fallback`.
inline double Argument(int argc, char** argv, const std::string& name, double fallback) {
  for (int i = 1; i + 1 < argc; ++i)
    if (argv[i] == "--" + name) return std::atof(argv[i + 1]);
  return fallback;
}

}  // namespace qm::bench

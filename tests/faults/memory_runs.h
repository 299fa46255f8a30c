#pragma once
// Runs a scenario on the in-memory disk with one fault armed, then checks
// where every file at risk ended up.

#include <functional>
#include <string>
#include <vector>

#include "faults/scenario.h"
#include "faults/tally.h"
#include "support/operation_fixture.h"

namespace qm::faults {

/// The folder under which scenarios are arranged in memory.
inline constexpr char kMemoryRoot[] = "/w";
/// Where a folder that vanishes from under a run is moved to.
inline constexpr char kGoneRoot[] = "/gone";

/// A folder taken away from under the run (moved, so its files still
/// exist and are looked for there).
struct Moved {
  Text from;
  Text to;
  bool happened = false;
};

/// Arms a fault on the freshly arranged disk, just before the run.
using Arm = std::function<void(MemoryFixture&, Moved&)>;

/// Arranges `scenario` on a fresh in-memory disk, arms the fault, runs the
/// operation and checks every file at risk. `check_messages` also asks that
/// a file left undone is reported to the user.
RunReport RunInMemory(Scenario& scenario, const Arm& arm, bool check_messages);

/// What a clean run does on the in-memory disk.
struct CleanRun {
  int calls = 0;              // file-system calls
  int mutating_calls = 0;     // writes, renames, replaces, deletes, folder creations
  long long start_bytes = 0;  // bytes of all files before the run
  long long peak_bytes = 0;   // the most bytes all files held during the run
  int reads = 0;              // file reads
  /// The calls (1-based) that name a file the run itself made (a temporary
  /// file, a page, an image): where such a file can vanish.
  std::vector<int> own_file_calls;
};
CleanRun MeasureCleanRun(Scenario& scenario);

/// True for the calls that change the disk.
bool IsMutatingCall(std::string_view call);

/// Runs the scenario once per armed fault, records each run in the suite's
/// tally under `fault` and fails the current test for every file lost (and
/// every file left undone without a message when `check_messages`).
class FaultSweep {
 public:
  FaultSweep(Scenario& scenario, std::string fault, bool check_messages)
      : scenario_(scenario), fault_(std::move(fault)), check_messages_(check_messages) {}
  /// One run; `detail` names the fault point in failure messages.
  void Run(const std::string& detail, const Arm& arm);
  int Runs() const { return runs_; }

 private:
  Scenario& scenario_;
  std::string fault_;
  bool check_messages_;
  int runs_ = 0;
};

}  // namespace qm::faults

#pragma once
// The suite's count of runs, files at risk and files lost, printed once at
// the end of the test program as one line.

#include <set>
#include <string>
#include <vector>

namespace qm::faults {

/// What one run left behind.
struct RunReport {
  int at_risk = 0;
  std::vector<std::string> lost;     // files at risk whose bytes are nowhere
  std::vector<std::string> silent;   // files left undone without a word to the user
  std::vector<std::string> outside;  // files written, changed or removed outside the folder
};

class Tally {
 public:
  /// Counts one run of `operation` under `fault`.
  void Add(const std::string& operation, const std::string& fault, const RunReport& report);
  long Runs() const { return runs_; }
  long Lost() const { return lost_; }
  long Outside() const { return outside_; }
  /// "fault suite: 7 operations x 5 faults = N runs, M files at risk, 0 files
  /// lost, 0 files written outside the folder".
  std::string Line() const;

 private:
  std::set<std::string> operations_;
  std::set<std::string> faults_;
  long runs_ = 0;
  long at_risk_ = 0;
  long lost_ = 0;
  long silent_ = 0;
  long outside_ = 0;
};

/// The tally of this test program.
Tally& SuiteTally();

/// Counts one run in the suite's tally and fails the current test for every
/// file lost or left undone silently; `detail` names the fault point.
void Record(const std::string& operation, const std::string& fault, const std::string& detail, const RunReport& report);

/// Names of the fault kinds, as the tally counts them.
inline constexpr char kUnreadable[] = "unreadable files";
inline constexpr char kReadOnly[] = "unwritable targets";
inline constexpr char kVanishing[] = "target vanishing midway";
inline constexpr char kFullDisk[] = "full disk";
inline constexpr char kFailingCall[] = "failing write/rename/delete";
inline constexpr char kPowerCut[] = "power cut at every change";
inline constexpr char kPlantedLinks[] = "links planted at every name written";
inline constexpr char kDanglingLinks[] = "dangling links at every name written";
inline constexpr char kLinkedFolders[] = "output folders linked outside";
inline constexpr char kFifos[] = "FIFOs at every name written and among the files";
inline constexpr char kReadOnlyDisk[] = "read-only files and folders on disk";

}  // namespace qm::faults

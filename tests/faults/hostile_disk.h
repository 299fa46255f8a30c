#pragma once
// A folder outside the one an operation is given, holding bait that planted
// links lead to, and the means to tell whether a run changed anything in it.

#include <map>
#include <string>
#include <vector>

namespace qm::faults {

class OutsideFolder {
 public:
  /// Creates `path` with the bait file and pages and texts that a walk
  /// following a link would take for its own.
  explicit OutsideFolder(std::string path);

  const std::string& Path() const { return path_; }
  /// The file that planted links point at.
  std::string Bait() const { return path_ + "/bait"; }

  /// Remembers everything below the folder as it is now.
  void TakeSnapshot();
  /// The entries written, changed or removed since the snapshot.
  std::vector<std::string> Changes() const;

 private:
  std::map<std::string, std::string> Scan() const;

  std::string path_;
  std::map<std::string, std::string> snapshot_;
};

}  // namespace qm::faults

#pragma once
// One operation that deletes, renames or overwrites the user's files, set up
// over a small folder tree, with the rules that say where each of the user's
// files may rightly be after a run and whether the run finished its job.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/context.h"
#include "faults/tally.h"
#include "support/memory_controls.h"
#include "support/recording_process_runner.h"

namespace qm::faults {

/// What a path holds after a run: the file's bytes, or nothing when no file
/// is there.
using Probe = std::function<std::optional<std::string>(const Text& path)>;

/// True when `path` holds exactly `bytes`.
bool Holds(const Probe& probe, const Text& path, std::string_view bytes);

/// A file of the user's that a run may move, rewrite or delete.
struct FileAtRisk {
  Text path;
  std::string bytes;
  /// True when the file's bytes are still somewhere they rightly may be: in
  /// place, moved, or turned into the operation's output exactly as the
  /// operation transforms them.
  std::function<bool(const Probe&)> kept;
  /// True when the run did this file's job completely.
  std::function<bool(const Probe&)> done;
};

/// What a scenario needs from the test fixture to set itself up.
struct Stage {
  FileSystem& fs;
  MemoryControls& ui;
  ProgramState& state;
  RecordingProcessRunner& processes;
};

class Scenario {
 public:
  virtual ~Scenario() = default;

  /// The operation's name, as the tally shows it.
  virtual std::string Name() const = 0;

  /// Creates the folders and files under `root` (an existing folder) through
  /// the stage's file system and fills the controls. Records every folder
  /// and every file at risk.
  void Arrange(const Stage& stage, const Text& root);

  /// Runs the operation once.
  virtual void Run(Context& ctx) = 0;

  /// True when the messages shown tell the user that something was left
  /// undone.
  virtual bool ToldTrouble(const std::vector<ShownMessage>& messages) const = 0;

  const std::vector<FileAtRisk>& AtRisk() const { return at_risk_; }
  const std::vector<Text>& Folders() const { return folders_; }

 protected:
  virtual void Build(const Stage& stage, const Text& root) = 0;

  /// Creates a folder (its parent must exist) and records it.
  void Folder(FileSystem& fs, const Text& path);
  /// Writes a file and records it as at risk with the given rules.
  void File(FileSystem& fs, const Text& path, std::string_view bytes,
            std::function<bool(const Probe&, const FileAtRisk&)> kept,
            std::function<bool(const Probe&, const FileAtRisk&)> done);
  /// Writes a file the operation must leave exactly as it is.
  void Untouched(FileSystem& fs, const Text& path, std::string_view bytes);

 private:
  std::vector<FileAtRisk> at_risk_;
  std::vector<Text> folders_;
};

/// Checks every file at risk of `scenario` after a run: a file whose bytes
/// are nowhere they rightly may be is lost; with `check_messages`, a file
/// whose job was not done while `messages` claim plain success (or no
/// message was shown) is left undone silently.
RunReport CheckFiles(const Scenario& scenario, const Probe& probe, const std::vector<ShownMessage>& messages,
                     bool check_messages);

/// Every operation of the suite, freshly made.
std::vector<std::unique_ptr<Scenario>> AllScenarios();

/// The names of every operation of the suite, as Name() gives them.
std::vector<std::string> ScenarioNames();

/// The test name of a test run for one operation: the operation's name.
inline std::string ScenarioTestName(const ::testing::TestParamInfo<std::string>& info) { return info.param; }

/// The scenario of the operation named `name` (as Name() gives it).
std::unique_ptr<Scenario> MakeScenario(const std::string& name);

}  // namespace qm::faults

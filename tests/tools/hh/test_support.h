// Helpers for the hh.exe tests: scratch folders, whole-file I/O and running
// the real program as a child process.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace hhtest {

/// A fresh folder under the system's temporary folder, removed at the end.
class ScratchDir {
 public:
  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  qm::TempDir dir_{"hh-test"};
  std::filesystem::path path_ = dir_.path();
};

void writeBytes(const std::filesystem::path& file, const std::string& bytes);
/// Whole content of a file; empty when it cannot be read.
std::string readBytes(const std::filesystem::path& file);
/// Relative paths of every regular file and link below `root`, sorted.
std::vector<std::string> listFiles(const std::filesystem::path& root);

struct RunResult {
  bool exited = false;  ///< ended normally (not killed by a signal)
  int exitCode = -1;
  std::string errors;  ///< everything written to stderr
};

/// True when Free Pascal's chmcmd is installed.
bool haveChmcmd();
/// Compiles the listed files of `folder` (relative names) into
/// `folder`/book.chm with chmcmd; false when that fails.
bool compileWithChmcmd(const std::filesystem::path& folder, const std::vector<std::string>& files);

/// Runs hh.exe with `args` and waits for it (killing it after 30 s).
RunResult runHh(const std::vector<std::string>& args);

}  // namespace hhtest

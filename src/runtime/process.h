#pragma once
// Starting child programs from a Windows-style command line, never through
// a shell.

#include <string>
#include <vector>

#include "runtime/text.h"

namespace qm {

struct RunResult {
  bool started = false;    // the program could be found and started
  bool finished = false;   // it ended while we waited
  int exit_status = -1;    // its exit status when it ended normally, else -1
};

class ProcessRunner {
 public:
  virtual ~ProcessRunner() = default;
  /// Starts the program named by the GBK `command_line` (split by the
  /// Windows rules) in the current directory. With `wait` the call returns
  /// when the child has ended; without it, when the child has ended or after
  /// 1000 ms. `show_mode` has no effect here.
  virtual RunResult Run(const Text& command_line, bool wait, int show_mode = 2) = 0;
};

/// Splits a command line by the rules of CommandLineToArgvW: white space
/// separates arguments outside quotes; 2n backslashes before a quote give n
/// backslashes and the quote toggles quoting; 2n+1 give n and a literal quote;
/// other backslashes are literal; "" inside quotes gives a literal quote and
/// ends the quoted part. The program name (first argument) takes no escapes:
/// after an opening quote it runs to the next quote, otherwise to the first
/// white space. Leading white space is skipped. The second byte of a GBK
/// two-byte character is never taken as a backslash.
std::vector<Text> SplitCommandLine(const Text& command_line);

/// Runs programs on this machine. A bare program name is looked up in
/// `search_folders` in order, then in PATH; never in the current directory.
class RealProcessRunner : public ProcessRunner {
 public:
  explicit RealProcessRunner(std::vector<std::string> search_folders)
      : search_folders_(std::move(search_folders)) {}
  RunResult Run(const Text& command_line, bool wait, int show_mode = 2) override;

  /// The UTF-8 path of the program that `name` (UTF-8) names, or empty.
  std::string Locate(const std::string& name) const;

 private:
  std::vector<std::string> search_folders_;
};

/// The folder of the running program (UTF-8), from /proc/self/exe.
std::string OwnFolder();

}  // namespace qm

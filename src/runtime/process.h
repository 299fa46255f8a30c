#pragma once
// Starting child programs from a Windows-style command line, never through
// a shell.

#include <string>
#include <vector>

#include "runtime/progress.h"
#include "runtime/text.h"

namespace qm {

struct RunResult {
  bool started = false;        // the program could be found and started
  bool finished = false;       // it ended while we waited
  int exit_status = -1;        // its exit status when it ended normally, else -1
  bool stopped = false;        // the user asked to stop it, and it was ended
  bool stalled = false;        // it made no progress for too long and was ended
  std::string log_path;        // where its output went, when it has a log
  std::vector<Text> left_out;  // files it reported left out ("LEFT NAME" lines)
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

/// `arg` in quotes as one argument of a command line that is split by the
/// Windows rules: a quote inside becomes backslash-quote, and the backslashes
/// right before a quote (or before the closing one) are doubled; the
/// second byte of a two-byte character is never taken for a backslash. A folder
/// name holding a quote then still reaches the program whole.
Text QuotedArgument(const Text& arg);

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
///
/// A child that is waited for writes its standard output and error into a
/// log file (never into ours) and its progress lines into a pipe; each line
/// goes to the progress, which is also asked every 100 ms while the child
/// runs, so the window stays painted. When the progress reports a stop, the
/// child gets SIGTERM (it ends between two files) and, if it has not ended
/// after a grace time, SIGKILL. A child that writes no progress line for
/// the stall time is ended the same way and the result says so.
class RealProcessRunner : public ProcessRunner {
 public:
  explicit RealProcessRunner(std::vector<std::string> search_folders) : search_folders_(std::move(search_folders)) {}
  RunResult Run(const Text& command_line, bool wait, int show_mode = 2) override;

  /// The UTF-8 path of the program that `name` (UTF-8) names, or empty.
  std::string Locate(const std::string& name) const;

  /// Where waited-for children report progress (not owned; null: nowhere).
  void SetProgress(Progress* progress) { progress_ = progress; }
  /// The folder (UTF-8) that takes the children's logs, PROGRAM.log each;
  /// empty: their output is dropped.
  void SetLogFolder(std::string folder) { log_folder_ = std::move(folder); }
  /// How long a child may go without a progress line, and how long it gets
  /// to end after SIGTERM.
  void SetTimeouts(int stall_ms, int grace_ms) {
    stall_ms_ = stall_ms;
    grace_ms_ = grace_ms;
  }

  static constexpr int kStallMs = 120000;
  static constexpr int kGraceMs = 5000;

 private:
  RunResult WaitWithProgress(int pid, int progress_fd, RunResult result);

  std::vector<std::string> search_folders_;
  Progress* progress_ = nullptr;
  std::string log_folder_;
  int stall_ms_ = kStallMs;
  int grace_ms_ = kGraceMs;
};

/// The folder of the running program (UTF-8), from /proc/self/exe.
std::string OwnFolder();

/// Where an installation keeps the helper programs hhc.exe, hha.dll and
/// hh.exe: PREFIX/libexec/quillmere for a program in PREFIX/bin (UTF-8).
std::string HelperFolder();

}  // namespace qm

#pragma once
// A process runner that records command lines instead of starting programs.

#include <functional>
#include <vector>

#include "runtime/process.h"

namespace qm {

struct RecordedRun {
  Text command_line;
  bool wait = false;
};

class RecordingProcessRunner : public ProcessRunner {
 public:
  RunResult Run(const Text& command_line, bool wait, int = 2) override {
    runs.push_back({command_line, wait});
    if (on_run) return on_run(command_line, wait);
    RunResult r;
    r.started = true;
    r.finished = wait;
    r.exit_status = 0;
    return r;
  }
  std::vector<RecordedRun> runs;
  /// When set, decides what each run does and returns.
  std::function<RunResult(const Text&, bool)> on_run;
};

}  // namespace qm

#pragma once
// The context a benchmark runs an operation in: the real disk, controls
// and dialogs in memory, and no child processes.

#include "core/context.h"
#include "runtime/real_file_system.h"
#include "support/memory_controls.h"

namespace qm::bench {

class NoProcesses : public ProcessRunner {
 public:
  RunResult Run(const Text&, bool, int) override { return {}; }
};

/// Everything an operation needs, on the real disk.
struct DiskContext {
  RealFileSystem disk;
  MemoryControls ui;
  NoProcesses processes;
  TreeModel tree;
  Random random;
  ProgramState state;
  Context ctx{disk, ui, ui, ui, processes, tree, random, state};
};

}  // namespace qm::bench

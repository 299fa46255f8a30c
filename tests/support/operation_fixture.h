#pragma once
// Everything an operation needs, in memory: a virtual file system (or the
// real one over a scratch folder), controls that remember what was written
// and shown, a recording process runner, a tree and fixed random numbers.

#include "core/context.h"
#include "runtime/real_file_system.h"
#include "support/memory_controls.h"
#include "support/recording_process_runner.h"
#include "support/temp_dir.h"
#include "support/virtual_file_system.h"

namespace qm {

template <typename Fs>
struct BasicOperationFixture {
  Fs fs;
  MemoryControls ui;
  RecordingProcessRunner processes;
  TreeModel tree;
  Random random;
  ProgramState state;
  Context ctx{fs, ui, ui, ui, processes, tree, random, state};
};

/// Operations over the in-memory file system.
using MemoryFixture = BasicOperationFixture<VirtualFileSystem>;

/// Operations over the real file system, with a scratch folder.
struct DiskFixture : BasicOperationFixture<RealFileSystem> {
  TempDir dir;
};

}  // namespace qm

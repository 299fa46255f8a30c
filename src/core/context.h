#pragma once
// Everything an operation works with: the window's controls, dialogs and
// cursor, the document tree, the file system, child processes, random
// numbers and the program-wide state. The window passes the real ones;
// tests pass in-memory ones.

#include "core/program_state.h"
#include "runtime/controls.h"
#include "runtime/file_system.h"
#include "runtime/process.h"
#include "runtime/progress.h"
#include "runtime/random.h"
#include "runtime/tree_model.h"

namespace qm {

struct Context {
  FileSystem& fs;
  Controls& controls;
  Dialogs& dialogs;
  Cursor& cursor;
  ProcessRunner& processes;
  TreeModel& tree;
  Random& random;
  ProgramState& state;
  /// Where long operations report how far they are; the window shows it.
  Progress& progress = NoProgress();
};

}  // namespace qm

#pragma once
// What to tell the user after running a helper program.

#include "runtime/file_system.h"
#include "runtime/process.h"
#include "runtime/text.h"

namespace qm {

/// The empty text when `run` started and ended with exit status 0; otherwise
/// a message (GBK) naming `program` and what went wrong (stopped by the
/// user, stalled, failed), with the path of the program's log when it has
/// one. `action` names the step in the message ("编译", "解包"). A program
/// that failed with an exit status has its reason, the last line of its log
/// naming it (read through `fs`), quoted in the message.
Text DescribeFailedRun(FileSystem& fs, const RunResult& run, const Text& program, const Text& action);

}  // namespace qm

#pragma once
// What to tell the user after running a helper program.

#include "runtime/process.h"
#include "runtime/text.h"

namespace qm {

/// The empty text when `run` started and ended with exit status 0; otherwise
/// a message (GBK) naming `program` and what went wrong (stopped by the
/// user, stalled, failed), with the path of the program's log when it has
/// one. `action` names the step in the message ("编译", "解包").
Text DescribeFailedRun(const RunResult& run, const Text& program, const Text& action);

}  // namespace qm

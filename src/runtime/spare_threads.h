// Threads kept waiting between jobs: an operation that runs folder by folder
// (an undo per folder, the deletions of each batch) would otherwise start
// and end its helper threads for every folder, which here costs more than
// a small folder's work gains from them.
#pragma once

#include <functional>

namespace qm {

/// Runs `work` on a thread other than the caller's: one left waiting by
/// earlier work where one is free, else a new one. After `work` returns,
/// the thread waits a few seconds for more, then ends. False, with `work`
/// not run, when no thread can be started. A forked child starts afresh:
/// the parent's waiting threads are not in it. The code `work` runs must
/// stay loaded while it may be waiting: no library that is unloaded (such
/// as hha.dll) may use this.
bool RunOnSpareThread(const std::function<void()>& work);

}  // namespace qm

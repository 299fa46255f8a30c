#pragma once
// The temporary files that results are written into before they take their
// final names: their names, their removal when the program is told to end
// (SIGTERM, SIGINT, SIGHUP) while one is open, and the removal of those
// that an earlier run left behind when it was killed.

#include <string>

#include "runtime/file_system.h"
#include "runtime/text.h"

namespace qm {

/// A fresh, unpredictable name for a temporary file beside `name`, holding
/// this process's id and the mark of the machine and process id space it
/// belongs to: ".~NAME.PID-RANDOM.@MARK.quillmere-tmp" (without NAME when
/// that would make it too long for a file name). Not `marked`: without the
/// mark, a name that no later run clears, for a file that must outlive a
/// run cut off while it has that name.
Text TemporaryName(const Text& name, bool marked = true);

/// ".@" and 8 hex digits that stand for this machine (its machine id and
/// host name) and process id space: the part of a temporary name just
/// before ".quillmere-tmp".
const std::string& TemporaryNameMark();

/// True when `name` has the form TemporaryName gives (the mark may be
/// missing, as in the names of earlier versions).
bool IsTemporaryName(const Text& name);

/// True when `name` has that form with the mark of this machine and
/// process id space, and its process id names no live process: the file
/// was left by a run that was killed. A name with another mark, or none, belongs to a
/// process this one cannot see (another machine sharing the folder, another
/// container) or to somebody else, and is never stale.
bool IsStaleTemporaryName(const Text& name);

/// True when `pid` names a live process (this one included).
bool LiveProcess(long pid);

/// This process's id.
long OwnProcessId();

/// Remembers `path` (as the file system names it) as a temporary file of
/// this process: a SIGTERM, SIGINT or SIGHUP that ends the program removes
/// it. The first call installs the handlers for signals left at their
/// default action.
void HoldTemporaryFile(FileSystem& fs, const Text& path);

/// Forgets `path`: it was put in place or removed.
void ReleaseTemporaryFile(const Text& path);

/// Removes from `folder` every temporary file that a run which is no longer
/// running left behind (its process id names no live process). Only plain
/// files and links are removed, never followed. Returns how many.
int RemoveStaleTemporaryFiles(FileSystem& fs, const Text& folder);

/// The same, with `listing` the folder's entries as just listed.
int RemoveStaleTemporaryFiles(FileSystem& fs, const Text& folder, const std::vector<DirectoryEntry>& listing);

}  // namespace qm

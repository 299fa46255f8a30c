#pragma once
// The file step of the batch conversion and its undo: a new file takes the
// contents of an original, which goes only once the new file is complete
// and on the disk, so that a failed or short write never costs the original.

#include <string_view>

#include "runtime/deletions_after_sync.h"
#include "runtime/file_system.h"
#include "runtime/text.h"

namespace qm {

/// Reads the original `source` into `data`, with the stamp its deletion
/// must still find in `stamp`. One the listing found to be a link
/// (`listed_as_link`) is read through and stamped as the link itself,
/// which is what is deleted; any other is read only while it is no link,
/// so that a link swapped in meanwhile leads nowhere. False, with the
/// file system's error, when it cannot be read.
bool ReadOriginal(FileSystem& fs, const Text& source, bool listed_as_link, std::string* data, FileStamp* stamp);

/// Creates `target` holding `contents` (CreateFileSafely: never partial
/// under its name) and then has `source` deleted by `deletions` if it is
/// still as `source_read` stamps it; true when
/// `target` holds `contents`. Nothing is replaced: when anything (a link
/// included) is at `target`, or the write fails, nothing is created there
/// and `source` is untouched; except that a file at `target` that already
/// holds exactly `contents` (left by a run cut off before it deleted
/// `source`) counts as the copy.
bool CreateThenDeleteLater(FileSystem& fs, const Text& target, std::string_view contents, const Text& source,
                           FileStamp source_read, DeletionsAfterSync& deletions);

}  // namespace qm

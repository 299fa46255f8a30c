#pragma once
#include <string_view>

#include "runtime/file_system.h"
#include "runtime/text.h"

namespace qm {

/// Writes a tool's result file. A file already at `path` is replaced only
/// by a completely written one (temporary file, then one atomic rename). A
/// new file is created exclusively in place, which saves the rename on big
/// folders; if that write fails, the partial file is deleted. A link at
/// `path` is refused, never followed. False when the result could not be
/// written.
bool WriteResultFile(FileSystem& fs, const Text& path, std::string_view data);

}  // namespace qm

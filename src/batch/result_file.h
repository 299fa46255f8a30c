#pragma once
#include <string_view>

#include "runtime/file_system.h"
#include "runtime/text.h"

namespace qm {

/// Writes a tool's result file through a temporary file that takes its
/// name in one atomic rename once complete: the name never holds a partial
/// result, and a file already there is replaced only by a complete one. A
/// link at `path` is refused, never followed. False when the result could
/// not be written.
bool WriteResultFile(FileSystem& fs, const Text& path, std::string_view data);

}  // namespace qm

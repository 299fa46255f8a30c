// Scratch folders on disk for the fuzz entries that unpack and compile
// books: one folder per process, and the means to list and clear it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "support/temp_dir.h"

namespace qm::fuzz {

/// This process's scratch folder, made under $TMPDIR (else /tmp) on first
/// use and removed with its contents when the process ends. Empty when it
/// cannot be made.
const std::string& ScratchRoot();

/// Removes `path` and everything below it. True when nothing is left.
using qm::RemoveTree;

/// Every entry below `root` as a relative "/"-separated path, sorted.
/// Symbolic links are listed, not followed. Folders end in "/".
std::vector<std::string> ListTree(const std::string& root);

/// Writes `bytes` to `path`, creating or truncating it. False on failure.
bool WriteWholeFile(const std::string& path, std::string_view bytes);

/// The whole file at `path`; false when it cannot be read.
bool ReadWholeFile(const std::string& path, std::string& out);

}  // namespace qm::fuzz

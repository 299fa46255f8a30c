// Names of files inside the book: project spellings (code page 936, "\" or
// "/") turned into stored UTF-8 names, and found on disk.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "runtime/compiler_contract.h"

namespace hha {

// The conversion is shared with the main program, which tells from it the
// files a book cannot store.
using qm::BookPath;
using qm::ToBookPath;
using qm::ToBookPathUtf8;

/// Finds the regular file `name` (a BookPath name) below root: the exact
/// spelling first, then each part compared without regard to ASCII case,
/// as projects written on Windows expect. Returns the disk path or nullopt.
std::optional<std::string> FindInBook(const std::string& root, const std::string& name);

}  // namespace hha

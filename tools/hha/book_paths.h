// Names of files inside the book: project spellings (code page 936, "\" or
// "/") turned into stored UTF-8 names, and found on disk.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace hha {

struct BookPath {
  bool ok = false;
  std::string name;   // UTF-8, "/" separators, no leading "/": "ch1/page.htm"
  std::string error;  // why the path cannot name a file of the book
};

/// Converts a book-relative path from the project or contents file. "\" and
/// "/" both separate folders, "." parts go, ".." parts climb. Fails for
/// invalid code page 936 bytes, drive letters, URLs, a path that climbs out
/// of the book, or an empty name.
BookPath ToBookPath(std::string_view gbk_path);

/// The same for a path already in UTF-8.
BookPath ToBookPathUtf8(std::string_view utf8_path);

/// Finds the regular file `name` (a BookPath name) below root: the exact
/// spelling first, then each part compared without regard to ASCII case,
/// as projects written on Windows expect. Returns the disk path or nullopt.
std::optional<std::string> FindInBook(const std::string& root, const std::string& name);

}  // namespace hha

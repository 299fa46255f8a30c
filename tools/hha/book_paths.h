// Names of files inside the book: project spellings (code page 936, "\" or
// "/") turned into stored UTF-8 names, and found on disk.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace hha {

struct BookPath {
  bool ok = false;
  std::string name;  // UTF-8, "/" separators, no leading "/": "ch1/page.htm"
  // The same path as it is spelled on disk. It differs from `name` only for
  // names that are not UTF-8 on disk but valid code page 936 (archives made
  // on Windows unpack to such names): those are stored under their code
  // page 936 reading, so the book's readers can look them up.
  std::string disk_name;
  std::string error;  // why the path cannot name a file of the book
  // The path names a file of the book that cannot be stored under its own
  // name (it is not UTF-8), as opposed to a link that leads elsewhere.
  bool unstorable = false;
};

/// Converts a book-relative path from the project or contents file. Name
/// escapes are undone first, as the main program maps names, so "\" and
/// "/" split only whole characters; both separate folders, "." parts go,
/// ".." parts climb. Fails for drive letters, URLs, a path that climbs out
/// of the book, an empty name, and (unstorable) a name that is neither
/// UTF-8 nor valid code page 936: the book stores UTF-8 names only.
BookPath ToBookPath(std::string_view gbk_path);

/// The same for a path already in UTF-8 (or raw bytes from the disk).
BookPath ToBookPathUtf8(std::string_view utf8_path);

/// Finds the regular file `name` (a BookPath name) below root: the exact
/// spelling first, then each part compared without regard to ASCII case,
/// as projects written on Windows expect. Returns the disk path or nullopt.
std::optional<std::string> FindInBook(const std::string& root, const std::string& name);

}  // namespace hha

#pragma once
// What the window and its compiler agree on about a project: where the book
// goes, which named files a book can store, and how names from the project
// are shown in messages. The compiler works by these rules; the window
// checks its work by the same ones.

#include <string>
#include <string_view>

#include "runtime/hhp_project.h"

namespace qm {

/// Bytes for a message (a disk path, a converted name): every byte that is
/// not part of valid UTF-8 written as "\xNN", so the message stays text.
std::string Printable(std::string_view bytes);

/// A name or text from the project (code page 936 with name escapes) for a
/// message: escapes undone, then Printable.
std::string Shown(std::string_view gbk);

/// True when `gbk` holds a stray-byte escape for an ASCII byte. The main
/// program never writes one (ASCII is always UTF-8), and undoing it would
/// turn bytes inside an escape into a "\" or "/" that splits the name.
bool HasForgedEscape(std::string_view gbk);

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

/// The [FILES] entries of `project` that no book can store (ToBookPath
/// says unstorable), each Shown: the names the compiler reports left out
/// for that reason.
std::vector<std::string> UnstorableFiles(const HhpProject& project);

/// Where the compiler writes the book of `project`, whose file is
/// `project_stem` + ".hhp" in `root` (UTF-8 paths), or why it writes none.
struct CompiledFile {
  std::string path;   // empty when there is no book
  std::string error;  // why not, for the compiler's message
  /// The folder that must lie inside `root` once links are followed; empty
  /// when the book is the project's own name beside it.
  std::string folder;
};

/// The book named by "Compiled file=" (escapes undone; "\" and "/"
/// separate folders, "." parts go) below `root`; but a name that is the
/// project's own (`project_stem`, which may hold "\" on Linux) with another
/// extension is that one file beside the project. No "Compiled file=":
/// root/project_stem.chm. No book for a malformed escape, a drive path, an
/// absolute name, a name climbing out with "..", or no name at all.
CompiledFile CompiledFileOf(const HhpProject& project, const std::string& root, const std::string& project_stem);

}  // namespace qm

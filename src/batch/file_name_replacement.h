#pragma once
#include <utility>
#include <vector>

#include "core/context.h"
#include "runtime/file_system.h"
#include "runtime/text.h"

namespace qm {

/// "量 改": replaces a text in the names of a folder's files. Reads the
/// folder from 编辑框路径改字符, the old text from 编辑框原字符 and the new
/// text from 编辑框新字符, renames, shows "批量更名 ok!" (caption "提示"),
/// disables 按钮量改字符 and empties the folder box. Renames that failed are
/// counted in a second message. An empty folder box, or one naming no
/// folder, is refused with a message before anything is touched; the boxes
/// and the button are then left as they are.
void FileNameCharReplacement(Context& ctx);

/// What one run of ReplaceInFileNames did.
struct NameReplacementSummary {
  int renamed = 0;        // files that got their new name
  int failed = 0;         // files that kept their name although it should change
  FileError why;          // the reason the first failed rename gave, or the listing
  bool unlisted = false;  // the folder could not be read: nothing renamed
  /// Each reason renames failed for, with how many, in the order first met.
  std::vector<std::pair<FileError, int>> reasons;

  /// Counts one file that kept its name for `error`.
  void Failed(FileError error);
};

/// The name `name` gets: every occurrence of `old_text` replaced by
/// `new_text` as typed, ASCII letters matched without regard to case, and
/// matches tried only at the starts of GBK characters. The escapes that
/// stand for characters without a GBK form (encoding.h) are never matched
/// into, so such names stay intact around the replaced parts.
Text ReplacedFileName(const Text& name, const Text& old_text, const Text& new_text);

/// Renames every file lying directly in `folder` (no sub-folders, no folder
/// names) to its ReplacedFileName. All names are collected before the first
/// rename, so each file is looked at once. A name that does not change is
/// left alone. A rename fails, leaving the file as it was, when the new name
/// already exists (the first file to claim a name gets it), is empty, or
/// contains the path separator (which would move the file elsewhere).
/// Each name is reported to `progress` first; a stop leaves later names as
/// they are.
NameReplacementSummary ReplaceInFileNames(FileSystem& fs, const Text& folder, const Text& old_text,
                                          const Text& new_text, Progress& progress = NoProgress());

}  // namespace qm

#pragma once
// What a path names, read through the file system in one look: the one
// place where operations turn attribute bits into "a file", "a folder" or
// "nothing there".

#include <utility>

#include "runtime/file_system.h"
#include "runtime/text.h"

namespace qm {

/// What `path` names, links followed.
enum class PathKind {
  kNothing,  ///< no entry, or one whose attributes cannot be read
  kFile,     ///< an entry that is no folder
  kFolder,
};

/// Looks at `path` once (FileSystem::Attributes).
PathKind KindOfPath(FileSystem& fs, const Text& path);

/// True when `path` names a file or a folder.
inline bool PathExists(FileSystem& fs, const Text& path) { return KindOfPath(fs, path) != PathKind::kNothing; }

/// True when `path` exists and is a folder.
inline bool IsExistingFolder(FileSystem& fs, const Text& path) { return KindOfPath(fs, path) == PathKind::kFolder; }

/// True when `path` is a folder or names nothing that can be read: where a
/// path must be a file to be taken as one, a missing path is no file.
inline bool IsFolderOrNothing(FileSystem& fs, const Text& path) { return KindOfPath(fs, path) != PathKind::kFile; }

/// True when anything holds the name `path`: a file, a folder, or a link
/// (one leading nowhere included, which KindOfPath does not see).
inline bool NameTaken(FileSystem& fs, const Text& path) { return PathExists(fs, path) || fs.IsLink(path); }

/// True when `path` (links followed) names the folder whose identity is
/// `id`; false once it was swapped for another (a link leading elsewhere,
/// say) or is gone. An empty path is the current folder.
bool IsFolderWithId(FileSystem& fs, const Text& path, const FileId& id);

/// A folder an operation works in, as it was when the operation began:
/// Unchanged() is false once its path names another folder or none. A
/// folder that could not be identified at the start counts as unchanged.
class WatchedFolder {
 public:
  WatchedFolder(FileSystem& fs, Text path) : fs_(fs), path_(std::move(path)), known_(fs_.Identify(path_, &id_)) {}
  bool Unchanged() const { return !known_ || IsFolderWithId(fs_, path_, id_); }

 private:
  FileSystem& fs_;
  Text path_;
  FileId id_;
  bool known_;
};

}  // namespace qm

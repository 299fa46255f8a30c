#pragma once
// What a path names, read through the file system in one look: the one
// place where operations turn attribute bits into "a file", "a folder" or
// "nothing there".

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

}  // namespace qm

#include "runtime/path_kind.h"

namespace qm {

PathKind KindOfPath(FileSystem& fs, const Text& path) {
  const int attributes = fs.Attributes(path);
  if (attributes < 0) return PathKind::kNothing;
  return (attributes & kDirectory) != 0 ? PathKind::kFolder : PathKind::kFile;
}

bool IsFolderWithId(FileSystem& fs, const Text& path, const FileId& id) {
  FileId now;
  return fs.Identify(path.empty() ? Text(".") : path, &now) && now == id;
}

}  // namespace qm

#include "batch/result_file.h"

#include "runtime/file_ops.h"

namespace qm {

bool WriteResultFile(FileSystem& fs, const Text& path, std::string_view data) {
  if (fs.Attributes(path) != -1 || fs.IsLink(path)) return WriteFileSafely(fs, path, data);
  return fs.CreateNew(path, data);
}

}  // namespace qm

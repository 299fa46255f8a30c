#include "batch/result_file.h"

#include "runtime/file_ops.h"

namespace qm {

bool WriteResultFile(FileSystem& fs, const Text& path, std::string_view data) {
  // Most results are new files: trying that first spares looking first.
  if (fs.CreateNew(path, data)) return true;
  return (fs.Attributes(path) != -1 || fs.IsLink(path)) && WriteFileSafely(fs, path, data);
}

}  // namespace qm

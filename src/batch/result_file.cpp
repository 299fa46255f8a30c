#include "batch/result_file.h"

#include "runtime/file_ops.h"

namespace qm {

bool WriteResultFile(FileSystem& fs, const Text& path, std::string_view data) {
  if (fs.Attributes(path) != -1) return WriteFileSafely(fs, path, data);
  if (WriteToFile(fs, path, data)) return true;
  fs.Delete(path);
  return false;
}

}  // namespace qm

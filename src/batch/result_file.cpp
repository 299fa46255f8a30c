#include "batch/result_file.h"

#include "runtime/file_ops.h"

namespace qm {

bool WriteResultFile(FileSystem& fs, const Text& path, std::string_view data) {
  return WriteFileSafely(fs, path, data);
}

}  // namespace qm

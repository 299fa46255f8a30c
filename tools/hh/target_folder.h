// The folder a book is unpacked into, and the only way files get written
// there: every write goes to a temporary name in the final folder and is
// renamed into place only when complete.
#pragma once

#include <sys/stat.h>

#include <memory>
#include <string>
#include <vector>

#include "runtime/unique_fd.h"

namespace hh {

/// Result of one step: ok, or refused for safety, or failed; with a message.
struct WriteStatus {
  bool ok = true;
  bool refused = false;  ///< the name was refused for safety (not an I/O failure)
  std::string message;
};

/// A file being written under a temporary name.
struct PendingFile {
  qm::UniqueFd dir;       ///< folder that will hold the file
  qm::UniqueFd file;      ///< the file being written, open for writing
  std::string temp_name;  ///< the name it is written under (removed if abandoned)
  std::string final_name;
  bool direct = false;  ///< written under its final name: no file had that name
};

class TargetFolder {
 public:
  /// Creates `path` and its missing parents and opens it. Returns null and
  /// sets `error` when the path cannot be created or is not a folder.
  static std::unique_ptr<TargetFolder> Open(const std::string& path, std::string& error);

  /// Another writer on the same folder, for a second thread: temporary
  /// names carry `tag` so writers never collide. Null when out of descriptors.
  std::unique_ptr<TargetFolder> Sibling(unsigned tag) const;

  /// Prepares to write the file at `components` (relative, already
  /// sanitized, at least one). Creates missing folders on the way, never
  /// following a symbolic link unless it leads to a folder inside this
  /// target folder; a link that leads outside refuses the entry. When
  /// nothing has the final name yet the file is created under it (never
  /// replacing anything); otherwise a temporary file is created beside it.
  /// On failure nothing is left behind except folders already created.
  WriteStatus Begin(const std::vector<std::string>& components, PendingFile& out);

  /// Finishes a file written under its final name, or renames a fully
  /// written temporary file to its final name, replacing the file (or
  /// symbolic link, which is not followed) of that name. An existing file
  /// is replaced only after the new content is flushed to disk. On failure
  /// the file written is removed and any old file stays.
  WriteStatus Commit(PendingFile& file);

  /// Removes the file of an unfinished write (the temporary one, or the new
  /// file under the final name).
  void Abandon(PendingFile& file);

  /// Bytes still free for this process on the folder's file system; the
  /// largest value when that cannot be asked.
  unsigned long long FreeBytes() const;

 private:
  TargetFolder(qm::UniqueFd root, dev_t root_dev, ino_t root_ino, unsigned tag);
  WriteStatus OpenFolder(const std::vector<std::string>& components, qm::UniqueFd& out);
  bool IsInside(int folder_fd) const;

  qm::UniqueFd root_;
  dev_t root_dev_;
  ino_t root_ino_;
  // The folder of the last file: books store files folder by folder.
  std::string cached_path_;
  qm::UniqueFd cached_fd_;
  unsigned tag_;
  unsigned long temp_counter_ = 0;
};

}  // namespace hh

// The folder a book is unpacked into, and the only way files get written
// there: every write goes to a temporary name in the final folder and is
// renamed into place only when complete, so that no name ever holds a
// partial file, even when the unpacker is killed. Nothing already under the
// name is ever replaced: a file of the same bytes is left as it is; beside
// anything else (other bytes, a link, a FIFO) the book's file goes under a
// name that tells which book it came from.
#pragma once

#include <sys/stat.h>

#include <memory>
#include <string>
#include <vector>

#include "runtime/file_writer.h"
#include "runtime/unique_fd.h"

namespace hh {

/// Result of one step: ok, or refused for safety, or failed; with a message.
struct WriteStatus {
  bool ok = true;
  bool refused = false;  ///< the name was refused for safety (not an I/O failure)
  std::string message;
  std::string beside;  ///< set when the file went beside one of other bytes: the name it got
};

/// A file being written under a temporary name.
struct PendingFile {
  int dir = -1;           ///< folder that will hold the file (the TargetFolder's, until its next Begin)
  qm::PendingWrite file;  ///< the file being written, unnamed or under a temporary name (removed if abandoned)
  std::string final_name;
};

class TargetFolder {
 public:
  /// Creates `path` and its missing parents and opens it. Returns null and
  /// sets `error` when the path cannot be created, is not a folder or is a
  /// symbolic link (its parents may be links).
  static std::unique_ptr<TargetFolder> Open(const std::string& path, std::string& error);

  /// The book's file name, which names the files written beside files of
  /// other bytes ("page (book.chm).htm").
  void SetBookName(std::string name) { book_name_ = std::move(name); }

  /// Removes, below the folder, the temporary files that earlier runs which
  /// are no longer running left behind when they were killed.
  void RemoveStaleTemporaryFiles() const;

  /// Another writer on the same folder, for a second thread: temporary
  /// names carry `tag` so writers never collide. Null when out of descriptors.
  std::unique_ptr<TargetFolder> Sibling(unsigned tag) const;

  /// Prepares to write the file at `components` (relative, already
  /// sanitized, at least one). Creates missing folders on the way, never
  /// following a symbolic link unless it leads to a folder inside this
  /// target folder; a link that leads outside refuses the entry. The file
  /// is created under a temporary name beside its final one. On failure
  /// nothing is left behind except folders already created.
  WriteStatus Begin(const std::vector<std::string>& components, PendingFile& out);

  /// Puts the fully written temporary file under its final name when that
  /// is free. A file of the same bytes there is left as it is (the
  /// temporary one goes); anything else there (a file of other bytes, a
  /// symbolic link, never followed, a FIFO, a device) is kept, and the new
  /// file is put beside it as "STEM (BOOK).EXT" (or "STEM (BOOK N).EXT"),
  /// named in `beside` of the result. A folder in the way is a failure. On
  /// failure the file written is removed.
  WriteStatus Commit(PendingFile& file);

  /// Removes the file of an unfinished write (the temporary one, or the new
  /// file under the final name).
  void Abandon(PendingFile& file);

  /// Bytes still free for this process on the folder's file system; the
  /// largest value when that cannot be asked.
  unsigned long long FreeBytes() const;

 private:
  TargetFolder(qm::UniqueFd root, dev_t root_dev, ino_t root_ino, unsigned tag);
  WriteStatus OpenFolder(const std::vector<std::string>& components, int& out);
  bool IsInside(int folder_fd) const;

  qm::UniqueFd root_;
  dev_t root_dev_;
  ino_t root_ino_;
  // The folder of the last file: books store files folder by folder.
  std::string cached_path_;
  qm::UniqueFd cached_fd_;
  std::string book_name_ = "book";
  unsigned tag_;
  unsigned long temp_counter_ = 0;
};

}  // namespace hh

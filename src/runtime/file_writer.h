#pragma once
// The one writer of files that take their names only when complete, on
// descriptors, for the file system of the program and for the compiler and
// the unpacker: a temporary file beside the target, created exclusively
// (never through a link), written, put on the disk where the caller needs
// it, renamed into place (never replacing, or replacing a file, as the
// caller asks) and removed when it does not get there.

#include <fcntl.h>

#include <functional>
#include <string>
#include <string_view>

#include "runtime/unique_fd.h"

namespace qm {

/// Writes every byte of `data` to `fd`, going on after interruptions. False,
/// with errno saying why, when a write fails.
bool WriteAll(int fd, std::string_view data);

/// Renames `from` to `to`, both taken from the folder `dir` (a folder
/// descriptor, or AT_FDCWD), only when nothing is at `to`. Where the file
/// system cannot rename without replacing, RenameByLink does it. False,
/// with errno saying why (EEXIST when `to` is taken) and nothing changed,
/// on failure.
bool RenameNoReplace(int dir, const char* from, const char* to);

/// RenameNoReplace for a file system whose rename always replaces: `to` is
/// linked to the file, which never replaces, then the old name is removed
/// only while it still names the file at `to`. A file saved onto the old
/// name meanwhile keeps it; a file whose new name another file took
/// meanwhile keeps its old name (false, EEXIST). `meanwhile`, when given,
/// is called between the steps (0, 1, 2), where another program may act.
bool RenameByLink(int dir, const char* from, const char* to, const std::function<void(int step)>& meanwhile = {});

/// A file being written beside the name it is to take.
class PendingWrite {
 public:
  /// What PlaceAs may do to a file under the final name.
  enum class Replace { kNever, kFile };

  PendingWrite() = default;
  ~PendingWrite() { Remove(); }
  PendingWrite(PendingWrite&& other) noexcept;
  PendingWrite& operator=(PendingWrite&& other) noexcept;
  PendingWrite(const PendingWrite&) = delete;
  PendingWrite& operator=(const PendingWrite&) = delete;

  /// Creates the file in the folder `dir` (a descriptor, or AT_FDCWD) under
  /// the first free name that `next_name` gives, trying at most `attempts`
  /// names; `mode` is reduced by the process's umask. False, with errno
  /// saying why, when no file could be made.
  bool Create(int dir, const std::function<std::string()>& next_name, int attempts, unsigned mode);

  /// Creates the file in `folder` without any name (O_TMPFILE), so that a
  /// kill leaves nothing behind. False, with errno saying why, where the
  /// file system cannot.
  bool CreateUnnamed(const std::string& folder, unsigned mode);
  /// The same in the folder `dir` (a descriptor, or AT_FDCWD), in which
  /// PlaceAs then names it.
  bool CreateUnnamed(int dir, unsigned mode);

  /// The descriptor of the file, open for writing; -1 when there is none.
  int fd() const { return fd_.get(); }
  /// The temporary name (empty for an unnamed file, and once placed or
  /// removed).
  const std::string& temp_name() const { return temp_; }

  /// Adds `data` at the end of what was written.
  bool Write(std::string_view data) { return WriteAll(fd_.get(), data); }
  /// Puts the data written so far on the disk.
  bool Sync();
  /// Closes the file (a named one only); false, with errno saying why,
  /// when the close reports a failed write.
  bool Close();

  /// Gives the complete file the name `name` in its folder, never replacing
  /// anything (EEXIST when taken) or, with Replace::kFile, replacing what is
  /// there (an unnamed file can only take a free name). True when done: the
  /// writer then holds nothing. On failure, errno says why and the file
  /// stays for another name or Remove.
  bool PlaceAs(const std::string& name, Replace replace);

  /// Removes the file, unless it was placed, and closes it.
  void Remove();

 private:
  int dir_ = AT_FDCWD;
  UniqueFd fd_;
  std::string temp_;
};

}  // namespace qm

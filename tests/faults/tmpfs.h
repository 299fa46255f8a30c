#pragma once
// A small tmpfs mounted over a scratch folder, to fill a real disk. Needs
// root (or the right to mount); Mounted() says whether it worked.

#include <string>

#include "support/temp_dir.h"

namespace qm::faults {

class Tmpfs {
 public:
  /// Mounts a tmpfs of `bytes` (a multiple of the page size) over a fresh
  /// scratch folder.
  explicit Tmpfs(long long bytes);
  ~Tmpfs();
  Tmpfs(const Tmpfs&) = delete;
  Tmpfs& operator=(const Tmpfs&) = delete;

  bool Mounted() const { return mounted_; }
  /// Why mounting failed.
  const std::string& Error() const { return error_; }
  const std::string& Path() const { return dir_.path(); }
  /// Bytes still free for files.
  long long Free() const;
  /// Fills the disk with a filler file until only `room` bytes stay free
  /// (rounded down to whole pages).
  bool LeaveRoom(long long room);
  /// Removes the filler file.
  void Unfill();

 private:
  TempDir dir_;
  bool mounted_ = false;
  std::string error_;
};

}  // namespace qm::faults

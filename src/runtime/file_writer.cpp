#include "runtime/file_writer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <utility>

#include "runtime/temporary_files.h"

#ifndef RENAME_NOREPLACE
#define RENAME_NOREPLACE (1 << 0)
#endif

namespace qm {

bool WriteAll(int fd, std::string_view data) {
  const char* p = data.data();
  std::size_t left = data.size();
  while (left > 0) {
    ssize_t n = ::write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += n;
    left -= static_cast<std::size_t>(n);
  }
  return true;
}

bool RenameNoReplace(int dir, const char* from, const char* to) {
  if (::syscall(SYS_renameat2, dir, from, dir, to, RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
  return RenameByLink(dir, from, to);
}

bool RenameByLink(int dir, const char* from, const char* to, const std::function<void(int step)>& meanwhile) {
  struct stat renamed;
  if (::fstatat(dir, from, &renamed, AT_SYMLINK_NOFOLLOW) != 0) return false;
  if (::linkat(dir, from, dir, to, 0) != 0) return false;
  if (meanwhile) meanwhile(0);
  // The file now has both names. The old one goes by way of a hidden name
  // of its own, so that what is removed is only a second name of the file
  // at the new name: one saved onto either name meanwhile (an editor
  // writing a copy and renaming it over) is found by its inode and kept.
  const std::string_view path(from);
  const std::size_t slash = path.rfind('/');
  const std::string aside =
      std::string(path.substr(0, slash == std::string_view::npos ? 0 : slash + 1)) + TemporaryName("", false);
  if (::renameat(dir, from, dir, aside.c_str()) != 0) {
    if (errno == ENOENT) return true;  // the old name is gone already: the file keeps the new one
    const int code = errno;
    ::unlinkat(dir, to, 0);
    errno = code;
    return false;
  }
  if (meanwhile) meanwhile(1);
  auto same = [](const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; };
  struct stat moved, named;
  const bool moved_known = ::fstatat(dir, aside.c_str(), &moved, AT_SYMLINK_NOFOLLOW) == 0;
  const bool named_known = ::fstatat(dir, to, &named, AT_SYMLINK_NOFOLLOW) == 0;
  if (meanwhile) meanwhile(2);
  if (moved_known && named_known && same(moved, named)) {
    ::unlinkat(dir, aside.c_str(), 0);
    return true;
  }
  // Another file than the one at the new name: saved onto the old name
  // after the link (the file renamed is at the new name), or the file
  // renamed itself, whose new name another file took meanwhile. Either
  // way it goes back to the old name: a folder by rename, which never
  // replaces a file or a folder holding anything, a file by link, which
  // never replaces at all. When the old name is taken again by then, it
  // keeps the hidden name, which no run clears.
  if (moved_known && S_ISDIR(moved.st_mode)) ::renameat(dir, aside.c_str(), dir, from);
  else if (::linkat(dir, aside.c_str(), dir, from, 0) == 0) ::unlinkat(dir, aside.c_str(), 0);
  if (named_known && same(named, renamed)) return true;
  errno = EEXIST;  // the new name holds another file: this one kept its old name
  return false;
}

PendingWrite::PendingWrite(PendingWrite&& other) noexcept
    : dir_(other.dir_), fd_(std::move(other.fd_)), temp_(std::exchange(other.temp_, {})) {}

PendingWrite& PendingWrite::operator=(PendingWrite&& other) noexcept {
  if (this != &other) {
    Remove();
    dir_ = other.dir_;
    fd_ = std::move(other.fd_);
    temp_ = std::exchange(other.temp_, {});
  }
  return *this;
}

bool PendingWrite::Create(int dir, const std::function<std::string()>& next_name, int attempts, unsigned mode) {
  Remove();
  dir_ = dir;
  for (int attempt = 0; attempt < attempts; ++attempt) {
    std::string name = next_name();
    fd_.reset(::openat(dir, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode));
    if (fd_.valid()) {
      temp_ = std::move(name);
      return true;
    }
    if (errno != EEXIST) return false;
  }
  return false;  // errno: EEXIST
}

namespace {

// An unnamed file gets its name through /proc/self/fd, which a chroot or a
// container may lack: then files are written under temporary names.
bool CanNameUnnamedFiles() {
  static const bool kCan = ::access("/proc/self/fd", F_OK) == 0;
  return kCan;
}

}  // namespace

bool PendingWrite::CreateUnnamed(const std::string& folder, unsigned mode) {
  Remove();
  if (!CanNameUnnamedFiles()) {
    errno = EOPNOTSUPP;
    return false;
  }
  dir_ = AT_FDCWD;
  fd_.reset(::open(folder.c_str(), O_WRONLY | O_TMPFILE | O_CLOEXEC, mode));
  return fd_.valid();
}

bool PendingWrite::CreateUnnamed(int dir, unsigned mode) {
  Remove();
  if (!CanNameUnnamedFiles()) {
    errno = EOPNOTSUPP;
    return false;
  }
  dir_ = dir;
  fd_.reset(::openat(dir, ".", O_WRONLY | O_TMPFILE | O_CLOEXEC, mode));
  return fd_.valid();
}

bool PendingWrite::Sync() { return ::fdatasync(fd_.get()) == 0; }

bool PendingWrite::Close() {
  if (temp_.empty()) return true;  // an unnamed file stays open until it has a name
  return ::close(fd_.release()) == 0;
}

namespace {

// Whether linkat takes a descriptor itself (AT_EMPTY_PATH): kernels since
// 6.10 allow it to the process that opened the file, older ones only to one that may
// search every folder. Until it is refused, it saves resolving
// /proc/self/fd/N for every file; once refused, that path is taken.
std::atomic<bool> link_by_descriptor{true};

// Links the unnamed file open as `fd` as `name` in `dir`; never replaces.
bool LinkUnnamed(int fd, int dir, const char* name) {
  if (link_by_descriptor.load(std::memory_order_relaxed)) {
    if (::linkat(fd, "", dir, name, AT_EMPTY_PATH) == 0) return true;
    if (errno != ENOENT && errno != EPERM) return false;  // a taken name, a full disk: the answer stands
  }
  char own[40];
  std::snprintf(own, sizeof own, "/proc/self/fd/%d", fd);
  if (::linkat(AT_FDCWD, own, dir, name, AT_SYMLINK_FOLLOW) != 0) return false;
  link_by_descriptor.store(false, std::memory_order_relaxed);
  return true;
}

}  // namespace

bool PendingWrite::PlaceAs(const std::string& name, Replace replace) {
  if (temp_.empty()) {
    // An unnamed file is linked from its descriptor, which never replaces.
    if (!LinkUnnamed(fd_.get(), dir_, name.c_str())) return false;
    fd_.reset();
    return true;
  }
  const bool placed = replace == Replace::kFile ? ::renameat(dir_, temp_.c_str(), dir_, name.c_str()) == 0
                                                : RenameNoReplace(dir_, temp_.c_str(), name.c_str());
  if (!placed) return false;
  temp_.clear();
  fd_.reset();
  return true;
}

void PendingWrite::Remove() {
  fd_.reset();
  if (!temp_.empty()) ::unlinkat(dir_, temp_.c_str(), 0);
  temp_.clear();
}

}  // namespace qm

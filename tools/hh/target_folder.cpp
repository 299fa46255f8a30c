#include "target_folder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace hh {
namespace {

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;

std::string systemError(const std::string& what) { return what + ": " + std::strerror(errno); }

WriteStatus failure(std::string message) { return {false, false, std::move(message)}; }
WriteStatus refusal(std::string message) { return {false, true, std::move(message)}; }

// mkdir -p: creates every missing folder of `path`.
bool makeFolderChain(const std::string& path) {
  for (std::size_t pos = 1; pos <= path.size(); ++pos) {
    if (pos != path.size() && path[pos] != '/') continue;
    std::string prefix = path.substr(0, pos);
    if (::mkdir(prefix.c_str(), 0777) != 0 && errno != EEXIST) return false;
  }
  return true;
}

}  // namespace

TargetFolder::TargetFolder(qm::UniqueFd root, dev_t rootDev, ino_t rootIno, unsigned tag)
    : root_(std::move(root)), rootDev_(rootDev), rootIno_(rootIno), tag_(tag) {}

std::unique_ptr<TargetFolder> TargetFolder::open(const std::string& path, std::string& error) {
  if (path.empty()) {
    error = "empty folder name";
    return nullptr;
  }
  if (!makeFolderChain(path)) {
    error = systemError("cannot create folder " + path);
    return nullptr;
  }
  qm::UniqueFd fd(::open(path.c_str(), kFolderFlags));
  struct stat st{};
  if (!fd.valid() || ::fstat(fd.get(), &st) != 0) {
    error = systemError("cannot open folder " + path);
    return nullptr;
  }
  return std::unique_ptr<TargetFolder>(new TargetFolder(std::move(fd), st.st_dev, st.st_ino, 0));
}

std::unique_ptr<TargetFolder> TargetFolder::sibling(unsigned tag) const {
  qm::UniqueFd fd(::dup(root_.get()));
  if (!fd.valid()) return nullptr;
  return std::unique_ptr<TargetFolder>(new TargetFolder(std::move(fd), rootDev_, rootIno_, tag));
}

// Walks up from a folder through ".." until it meets the root of this target
// (inside) or the file system's root (outside).
bool TargetFolder::isInside(int folderFd) const {
  qm::UniqueFd current(::dup(folderFd));
  for (int depth = 0; current.valid() && depth < 4096; ++depth) {
    struct stat st{};
    if (::fstat(current.get(), &st) != 0) return false;
    if (st.st_dev == rootDev_ && st.st_ino == rootIno_) return true;
    qm::UniqueFd parent(::openat(current.get(), "..", kFolderFlags));
    struct stat up{};
    if (!parent.valid() || ::fstat(parent.get(), &up) != 0) return false;
    if (up.st_dev == st.st_dev && up.st_ino == st.st_ino) return false;
    current = std::move(parent);
  }
  return false;
}

WriteStatus TargetFolder::openFolder(const std::vector<std::string>& components, qm::UniqueFd& out) {
  std::string relative;
  for (std::size_t i = 0; i + 1 < components.size(); ++i) relative += components[i] + '/';
  if (cachedFd_.valid() && relative == cachedPath_) {
    out.reset(::dup(cachedFd_.get()));
    if (!out.valid()) return failure(systemError("cannot open folder " + relative));
    return {};
  }

  qm::UniqueFd current(::dup(root_.get()));
  std::string walked;
  for (std::size_t i = 0; i + 1 < components.size(); ++i) {
    const char* name = components[i].c_str();
    walked += components[i] + '/';
    qm::UniqueFd next(::openat(current.get(), name, kFolderFlags | O_NOFOLLOW));
    if (!next.valid() && errno == ENOENT) {
      if (::mkdirat(current.get(), name, 0777) != 0 && errno != EEXIST)
        return failure(systemError("cannot create folder " + walked));
      next.reset(::openat(current.get(), name, kFolderFlags | O_NOFOLLOW));
    }
    if (!next.valid()) {
      const int openErrno = errno;
      struct stat st{};
      if (::fstatat(current.get(), name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode)) {
        next.reset(::openat(current.get(), name, kFolderFlags));
        if (!next.valid() || !isInside(next.get()))
          return refusal("folder " + walked + " is a symbolic link that leads outside the target folder");
      } else {
        errno = openErrno;
        return failure(systemError("cannot open folder " + walked));
      }
    }
    current = std::move(next);
  }
  cachedPath_ = relative;
  cachedFd_.reset(::dup(current.get()));
  out = std::move(current);
  return {};
}

WriteStatus TargetFolder::begin(const std::vector<std::string>& components, PendingFile& out) {
  if (components.empty()) return refusal("no file name");
  WriteStatus status = openFolder(components, out.dir);
  if (!status.ok) return status;
  out.finalName = components.back();
  // A new name is written in place: nothing can be lost, so no temporary
  // file and no rename. A name that is taken (a file, a link, anything)
  // gets the temporary file that replaces it in one step at the end.
  out.file.reset(::openat(out.dir.get(), out.finalName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                          0666));
  if (out.file.valid()) {
    out.tempName = out.finalName;
    out.direct = true;
    return {};
  }
  if (errno != EEXIST) return failure(systemError("cannot create " + out.finalName));
  for (int attempt = 0; attempt < 100; ++attempt) {
    out.tempName = ".hh-" + std::to_string(::getpid()) + "-" + std::to_string(tag_) + "-" +
                   std::to_string(++tempCounter_) + ".tmp";
    out.file.reset(::openat(out.dir.get(), out.tempName.c_str(),
                            O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
    if (out.file.valid()) return {};
    if (errno != EEXIST) break;
  }
  return failure(systemError("cannot create a temporary file for " + out.finalName));
}

WriteStatus TargetFolder::commit(PendingFile& file) {
  if (file.direct) {
    if (::close(file.file.release()) != 0) {
      const std::string message = systemError("cannot write " + file.finalName);
      abandon(file);
      return failure(message);
    }
    file.tempName.clear();
    return {};
  }
  struct stat existing{};
  const bool replacing =
      ::fstatat(file.dir.get(), file.finalName.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0;
  if (replacing && S_ISDIR(existing.st_mode)) {
    abandon(file);
    return failure("a folder named " + file.finalName + " is in the way");
  }
  // A read-only page stays as it is, as on Windows, where it cannot be replaced.
  if (replacing && S_ISREG(existing.st_mode) && (existing.st_mode & S_IWUSR) == 0) {
    abandon(file);
    return failure(file.finalName + " is read-only and was not replaced");
  }
  // Someone's file is about to be replaced: its successor must be on disk first.
  if (replacing && S_ISREG(existing.st_mode) && ::fsync(file.file.get()) != 0) {
    const std::string message = systemError("cannot flush " + file.finalName);
    abandon(file);
    return failure(message);
  }
  if (::close(file.file.release()) != 0) {
    const std::string message = systemError("cannot write " + file.finalName);
    abandon(file);
    return failure(message);
  }
  if (::renameat(file.dir.get(), file.tempName.c_str(), file.dir.get(), file.finalName.c_str()) != 0) {
    const std::string message = systemError("cannot rename into " + file.finalName);
    abandon(file);
    return failure(message);
  }
  file.tempName.clear();
  return {};
}

unsigned long long TargetFolder::freeBytes() const {
  struct statvfs st{};
  if (::fstatvfs(root_.get(), &st) != 0) return ~0ull;
  return static_cast<unsigned long long>(st.f_bavail) * st.f_frsize;
}

void TargetFolder::abandon(PendingFile& file) {
  file.file.reset();
  if (file.dir.valid() && !file.tempName.empty()) ::unlinkat(file.dir.get(), file.tempName.c_str(), 0);
  file.tempName.clear();
}

}  // namespace hh

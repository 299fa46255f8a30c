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

std::string SystemError(const std::string& what) { return what + ": " + std::strerror(errno); }

WriteStatus Failure(std::string message) { return {false, false, std::move(message)}; }
WriteStatus Refusal(std::string message) { return {false, true, std::move(message)}; }

// mkdir -p: creates every missing folder of `path`.
bool MakeFolderChain(const std::string& path) {
  for (std::size_t pos = 1; pos <= path.size(); ++pos) {
    if (pos != path.size() && path[pos] != '/') continue;
    std::string prefix = path.substr(0, pos);
    if (::mkdir(prefix.c_str(), 0777) != 0 && errno != EEXIST) return false;
  }
  return true;
}

}  // namespace

TargetFolder::TargetFolder(qm::UniqueFd root, dev_t root_dev, ino_t root_ino, unsigned tag)
    : root_(std::move(root)), root_dev_(root_dev), root_ino_(root_ino), tag_(tag) {}

std::unique_ptr<TargetFolder> TargetFolder::Open(const std::string& path, std::string& error) {
  if (path.empty()) {
    error = "empty folder name";
    return nullptr;
  }
  if (!MakeFolderChain(path)) {
    error = SystemError("cannot create folder " + path);
    return nullptr;
  }
  qm::UniqueFd fd(::open(path.c_str(), kFolderFlags));
  struct stat st {};
  if (!fd.valid() || ::fstat(fd.get(), &st) != 0) {
    error = SystemError("cannot open folder " + path);
    return nullptr;
  }
  return std::unique_ptr<TargetFolder>(new TargetFolder(std::move(fd), st.st_dev, st.st_ino, 0));
}

std::unique_ptr<TargetFolder> TargetFolder::Sibling(unsigned tag) const {
  qm::UniqueFd fd(::dup(root_.get()));
  if (!fd.valid()) return nullptr;
  return std::unique_ptr<TargetFolder>(new TargetFolder(std::move(fd), root_dev_, root_ino_, tag));
}

// Walks up from a folder through ".." until it meets the root of this target
// (inside) or the file system's root (outside).
bool TargetFolder::IsInside(int folder_fd) const {
  qm::UniqueFd current(::dup(folder_fd));
  for (int depth = 0; current.valid() && depth < 4096; ++depth) {
    struct stat st {};
    if (::fstat(current.get(), &st) != 0) return false;
    if (st.st_dev == root_dev_ && st.st_ino == root_ino_) return true;
    qm::UniqueFd parent(::openat(current.get(), "..", kFolderFlags));
    struct stat up {};
    if (!parent.valid() || ::fstat(parent.get(), &up) != 0) return false;
    if (up.st_dev == st.st_dev && up.st_ino == st.st_ino) return false;
    current = std::move(parent);
  }
  return false;
}

WriteStatus TargetFolder::OpenFolder(const std::vector<std::string>& components, qm::UniqueFd& out) {
  std::string relative;
  for (std::size_t i = 0; i + 1 < components.size(); ++i) relative += components[i] + '/';
  if (cached_fd_.valid() && relative == cached_path_) {
    out.reset(::dup(cached_fd_.get()));
    if (!out.valid()) return Failure(SystemError("cannot open folder " + relative));
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
        return Failure(SystemError("cannot create folder " + walked));
      next.reset(::openat(current.get(), name, kFolderFlags | O_NOFOLLOW));
    }
    if (!next.valid()) {
      const int open_errno = errno;
      struct stat st {};
      if (::fstatat(current.get(), name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode)) {
        next.reset(::openat(current.get(), name, kFolderFlags));
        if (!next.valid() || !IsInside(next.get()))
          return Refusal("folder " + walked + " is a symbolic link that leads outside the target folder");
      } else {
        errno = open_errno;
        return Failure(SystemError("cannot open folder " + walked));
      }
    }
    current = std::move(next);
  }
  cached_path_ = relative;
  cached_fd_.reset(::dup(current.get()));
  out = std::move(current);
  return {};
}

WriteStatus TargetFolder::Begin(const std::vector<std::string>& components, PendingFile& out) {
  if (components.empty()) return Refusal("no file name");
  WriteStatus status = OpenFolder(components, out.dir);
  if (!status.ok) return status;
  out.final_name = components.back();
  // A new name is written in place: nothing can be lost, so no temporary
  // file and no rename. A name that is taken (a file, a link, anything)
  // gets the temporary file that replaces it in one step at the end.
  out.file.reset(
      ::openat(out.dir.get(), out.final_name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
  if (out.file.valid()) {
    out.temp_name = out.final_name;
    out.direct = true;
    return {};
  }
  if (errno != EEXIST) return Failure(SystemError("cannot create " + out.final_name));
  for (int attempt = 0; attempt < 100; ++attempt) {
    out.temp_name = ".hh-" + std::to_string(::getpid()) + "-" + std::to_string(tag_) + "-" +
                    std::to_string(++temp_counter_) + ".tmp";
    out.file.reset(
        ::openat(out.dir.get(), out.temp_name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
    if (out.file.valid()) return {};
    if (errno != EEXIST) break;
  }
  return Failure(SystemError("cannot create a temporary file for " + out.final_name));
}

WriteStatus TargetFolder::Commit(PendingFile& file) {
  if (file.direct) {
    if (::close(file.file.release()) != 0) {
      const std::string message = SystemError("cannot write " + file.final_name);
      Abandon(file);
      return Failure(message);
    }
    file.temp_name.clear();
    return {};
  }
  struct stat existing {};
  const bool replacing = ::fstatat(file.dir.get(), file.final_name.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0;
  if (replacing && S_ISDIR(existing.st_mode)) {
    Abandon(file);
    return Failure("a folder named " + file.final_name + " is in the way");
  }
  // A read-only page stays as it is, as on Windows, where it cannot be replaced.
  if (replacing && S_ISREG(existing.st_mode) && (existing.st_mode & S_IWUSR) == 0) {
    Abandon(file);
    return Failure(file.final_name + " is read-only and was not replaced");
  }
  // Someone's file is about to be replaced: its successor must be on disk first.
  if (replacing && S_ISREG(existing.st_mode) && ::fsync(file.file.get()) != 0) {
    const std::string message = SystemError("cannot flush " + file.final_name);
    Abandon(file);
    return Failure(message);
  }
  if (::close(file.file.release()) != 0) {
    const std::string message = SystemError("cannot write " + file.final_name);
    Abandon(file);
    return Failure(message);
  }
  if (::renameat(file.dir.get(), file.temp_name.c_str(), file.dir.get(), file.final_name.c_str()) != 0) {
    const std::string message = SystemError("cannot rename into " + file.final_name);
    Abandon(file);
    return Failure(message);
  }
  file.temp_name.clear();
  return {};
}

unsigned long long TargetFolder::FreeBytes() const {
  struct statvfs st {};
  if (::fstatvfs(root_.get(), &st) != 0) return ~0ull;
  return static_cast<unsigned long long>(st.f_bavail) * st.f_frsize;
}

void TargetFolder::Abandon(PendingFile& file) {
  file.file.reset();
  if (file.dir.valid() && !file.temp_name.empty()) ::unlinkat(file.dir.get(), file.temp_name.c_str(), 0);
  file.temp_name.clear();
}

}  // namespace hh

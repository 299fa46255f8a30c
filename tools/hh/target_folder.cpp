#include "target_folder.h"

#include "runtime/temporary_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <dirent.h>
#include <sys/syscall.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace hh {
namespace {

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;

std::string SystemError(const std::string& what) { return what + ": " + std::strerror(errno); }

WriteStatus Failure(std::string message) { return {false, false, std::move(message), {}}; }
WriteStatus Refusal(std::string message) { return {false, true, std::move(message), {}}; }

// "STEM (BOOK).EXT" for the first file put beside `name`, "STEM (BOOK N).EXT"
// for the next; a leading dot does not start an extension.
std::string BesideName(const std::string& name, const std::string& book, int n) {
  std::size_t dot = name.rfind('.');
  if (dot == 0 || dot == std::string::npos) dot = name.size();
  std::string tag = " (" + book + (n > 1 ? " " + std::to_string(n) : std::string()) + ")";
  return name.substr(0, dot) + tag + name.substr(dot);
}

// True when the file being written `a` and the regular file `b` of `dir`
// hold the same bytes.
bool SameBytes(int dir, const qm::PendingWrite& a, const std::string& b) {
  // An unnamed file is read again through its descriptor.
  const std::string own = "/proc/self/fd/" + std::to_string(a.fd());
  qm::UniqueFd fa(a.temp_name().empty() ? ::open(own.c_str(), O_RDONLY | O_CLOEXEC)
                                        : ::openat(dir, a.temp_name().c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
  qm::UniqueFd fb(::openat(dir, b.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK));
  struct stat sa {
  }, sb{};
  if (!fa.valid() || !fb.valid() || ::fstat(fa.get(), &sa) != 0 || ::fstat(fb.get(), &sb) != 0 ||
      !S_ISREG(sb.st_mode) || sa.st_size != sb.st_size)
    return false;
  std::vector<char> pa(1 << 16), pb(1 << 16);
  for (;;) {
    ssize_t na = ::read(fa.get(), pa.data(), pa.size());
    if (na < 0) return false;
    if (na == 0) return true;
    ssize_t got = 0;
    while (got < na) {
      ssize_t nb = ::read(fb.get(), pb.data() + got, static_cast<std::size_t>(na - got));
      if (nb <= 0) return false;
      got += nb;
    }
    if (std::memcmp(pa.data(), pb.data(), static_cast<std::size_t>(na)) != 0) return false;
  }
}

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
  // The folder itself is never followed as a link: one swapped in after
  // the caller looked would take every file elsewhere.
  std::string own = path;
  while (own.size() > 1 && own.back() == '/') own.pop_back();
  qm::UniqueFd fd(::open(own.c_str(), kFolderFlags | O_NOFOLLOW));
  struct stat st {};
  struct stat own_st {};
  if (!fd.valid() && (errno == ELOOP || errno == ENOTDIR) && ::lstat(own.c_str(), &own_st) == 0 &&
      S_ISLNK(own_st.st_mode)) {
    error = "the folder " + path + " is a symbolic link; nothing was unpacked";
    return nullptr;
  }
  if (!fd.valid() || ::fstat(fd.get(), &st) != 0) {
    error = SystemError("cannot open folder " + path);
    return nullptr;
  }
  return std::unique_ptr<TargetFolder>(new TargetFolder(std::move(fd), st.st_dev, st.st_ino, 0));
}

std::unique_ptr<TargetFolder> TargetFolder::Sibling(unsigned tag) const {
  qm::UniqueFd fd(::dup(root_.get()));
  if (!fd.valid()) return nullptr;
  std::unique_ptr<TargetFolder> sibling(new TargetFolder(std::move(fd), root_dev_, root_ino_, tag));
  sibling->book_name_ = book_name_;
  return sibling;
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

// The folder opened last stays open, so that the files of one folder
// cost no walk and no descriptor each.
WriteStatus TargetFolder::OpenFolder(const std::vector<std::string>& components, int& out) {
  std::string relative;
  for (std::size_t i = 0; i + 1 < components.size(); ++i) relative += components[i] + '/';
  if (cached_fd_.valid() && relative == cached_path_) {
    out = cached_fd_.get();
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
  cached_fd_ = std::move(current);
  out = cached_fd_.get();
  return {};
}

WriteStatus TargetFolder::Begin(const std::vector<std::string>& components, PendingFile& out) {
  if (components.empty()) return Refusal("no file name");
  WriteStatus status = OpenFolder(components, out.dir);
  if (!status.ok) return status;
  out.final_name = components.back();
  // The form the main program's temporary files have (with this process's
  // id), so that a later run knows one it left when killed.
  static const std::string kProcessId = std::to_string(::getpid());
  const auto next_name = [this] {
    return ".~hh." + kProcessId + "-" + std::to_string(tag_) + "-" + std::to_string(++temp_counter_) +
           qm::TemporaryNameMark() + ".quillmere-tmp";
  };
  // Unnamed until it is whole, where the file system allows; else under a
  // temporary name.
  if (out.file.CreateUnnamed(out.dir, 0666) || out.file.Create(out.dir, next_name, 100, 0666)) return {};
  return Failure(SystemError("cannot create a temporary file for " + out.final_name));
}

WriteStatus TargetFolder::Commit(PendingFile& file) {
  if (!file.file.Close()) {
    const std::string message = SystemError("cannot write " + file.final_name);
    Abandon(file);
    return Failure(message);
  }
  const int dir = file.dir;
  WriteStatus status;
  for (int n = 1; n < 1000; ++n) {
    const std::string name = n == 1 ? file.final_name : BesideName(file.final_name, book_name_, n - 1);
    // The name is usually free: the rename, which never replaces, is tried
    // first, and only a name in use is looked at.
    if (n == 1 && file.file.PlaceAs(name, qm::PendingWrite::Replace::kNever)) return status;
    if (n == 1 && errno != EEXIST) break;
    struct stat existing {};
    const bool taken = ::fstatat(dir, name.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0;
    if (n == 1 && taken && S_ISDIR(existing.st_mode)) {
      Abandon(file);
      return Failure("a folder named " + file.final_name + " is in the way");
    }
    // Whatever is there is the user's and stays: a file, a link (never
    // followed), a FIFO or a device. Only a file of the same bytes makes
    // the book's version needless; anything else sends it beside.
    if (!taken) {
      if (file.file.PlaceAs(name, qm::PendingWrite::Replace::kNever)) {
        if (n > 1) status.beside = name;
        return status;
      }
      if (errno != EEXIST) break;
      --n;  // taken meanwhile: look at it again
      continue;
    }
    if (S_ISREG(existing.st_mode) && SameBytes(dir, file.file, name)) {
      Abandon(file);
      if (n > 1) status.beside = name;
      return status;
    }
  }
  const std::string message = SystemError("cannot put " + file.final_name + " in place");
  Abandon(file);
  return Failure(message);
}

namespace {

// Removes the stale temporary files of `dir` and of its folders (links are
// not followed), `depth` levels down at most.
void RemoveStaleIn(int dir, int depth) {
  qm::UniqueFd own(::dup(dir));
  DIR* listing = own.valid() ? ::fdopendir(own.get()) : nullptr;
  if (!listing) return;
  own.release();
  std::vector<std::string> folders;
  while (struct dirent* e = ::readdir(listing)) {
    if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0) continue;
    struct stat st {};
    if (::fstatat(::dirfd(listing), e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
    if (S_ISDIR(st.st_mode)) {
      folders.push_back(e->d_name);
    } else if (S_ISREG(st.st_mode) && qm::IsStaleTemporaryName(e->d_name)) {
      ::unlinkat(::dirfd(listing), e->d_name, 0);
    }
  }
  if (depth > 0) {
    for (const std::string& name : folders) {
      qm::UniqueFd sub(::openat(::dirfd(listing), name.c_str(), kFolderFlags | O_NOFOLLOW));
      if (sub.valid()) RemoveStaleIn(sub.get(), depth - 1);
    }
  }
  ::closedir(listing);
}

}  // namespace

void TargetFolder::RemoveStaleTemporaryFiles() const { RemoveStaleIn(root_.get(), 64); }

unsigned long long TargetFolder::FreeBytes() const {
  struct statvfs st {};
  // A file system without a size (ramfs) reports no blocks at all: it has
  // no limit to go by.
  if (::fstatvfs(root_.get(), &st) != 0 || st.f_blocks == 0) return ~0ull;
  return static_cast<unsigned long long>(st.f_bavail) * st.f_frsize;
}

void TargetFolder::Abandon(PendingFile& file) { file.file.Remove(); }

}  // namespace hh

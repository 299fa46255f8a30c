#include "output_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "names.h"
#include "runtime/unique_fd.h"

namespace hha {
namespace {

bool SameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// True when the regular file at `path` begins with the CHM signature.
bool IsChmBook(const std::string& path) {
  qm::UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW));
  struct stat st {};
  if (!fd.valid() || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  char head[4];
  return ::pread(fd.get(), head, sizeof head, 0) == 4 && std::memcmp(head, "ITSF", 4) == 0;
}

}  // namespace

Status CheckOutputFile(const std::string& output, const std::string& project_path) {
  struct stat out {
  }, project{};
  if (::lstat(output.c_str(), &out) != 0) return Status::Ok();
  if (::stat(project_path.c_str(), &project) == 0 && ::stat(output.c_str(), &out) == 0 && SameFile(out, project))
    return Status::Fail("the compiled file " + Printable(output) +
                        " is the project file itself; it was not replaced and nothing was compiled");
  if (!IsChmBook(output))
    return Status::Fail("the compiled file " + Printable(output) +
                        " already exists and is not a CHM book; it was not replaced and nothing was compiled");
  return Status::Ok();
}

void RemoveStaleTemporaryBooks(const std::string& output) {
  const std::size_t slash = output.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : output.substr(0, slash == 0 ? 1 : slash);
  const std::string prefix = (slash == std::string::npos ? output : output.substr(slash + 1)) + ".tmp-";
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return;
  while (struct dirent* e = ::readdir(dir)) {
    const std::size_t n = std::strlen(e->d_name);
    if (n != prefix.size() + 6 || std::strncmp(e->d_name, prefix.c_str(), prefix.size()) != 0) continue;
    // Only what a cut-off run of ours leaves: an empty file or the start of
    // a book. A user's file that merely has such a name stays.
    struct stat st {};
    if (::fstatat(::dirfd(dir), e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode)) continue;
    const std::string path = folder + "/" + e->d_name;
    if (st.st_size == 0 || IsChmBook(path)) ::unlinkat(::dirfd(dir), e->d_name, 0);
  }
  ::closedir(dir);
}

}  // namespace hha

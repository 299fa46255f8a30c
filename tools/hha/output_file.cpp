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

// True when the regular file `name` in the folder `dir` begins with the CHM
// signature.
bool IsChmBook(int dir, const char* name) {
  qm::UniqueFd fd(::openat(dir, name, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW));
  struct stat st {};
  if (!fd.valid() || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  char head[4];
  return ::pread(fd.get(), head, sizeof head, 0) == 4 && std::memcmp(head, "ITSF", 4) == 0;
}

}  // namespace

Status CheckOutputFile(int dir, const std::string& name, const std::string& output, const std::string& project_path) {
  struct stat out {
  }, project{};
  if (::fstatat(dir, name.c_str(), &out, AT_SYMLINK_NOFOLLOW) != 0) return Status::Ok();
  if (::stat(project_path.c_str(), &project) == 0 && ::fstatat(dir, name.c_str(), &out, 0) == 0 &&
      SameFile(out, project))
    return Status::Fail("the compiled file " + Printable(output) +
                        " is the project file itself; it was not replaced and nothing was compiled");
  if (!IsChmBook(dir, name.c_str()))
    return Status::Fail("the compiled file " + Printable(output) +
                        " already exists and is not a CHM book; it was not replaced and nothing was compiled");
  return Status::Ok();
}

void RemoveStaleTemporaryBooks(int dir, const std::string& name) {
  const std::string prefix = name + ".tmp-";
  const int listed = ::dup(dir);
  DIR* folder = listed >= 0 ? ::fdopendir(listed) : nullptr;
  if (!folder) {
    if (listed >= 0) ::close(listed);
    return;
  }
  ::rewinddir(folder);
  while (struct dirent* e = ::readdir(folder)) {
    const std::size_t n = std::strlen(e->d_name);
    if (n != prefix.size() + 6 || std::strncmp(e->d_name, prefix.c_str(), prefix.size()) != 0) continue;
    // Only what a cut-off run of ours leaves: an empty file or the start of
    // a book, with one name, ours, and writable as a new file is. A user's
    // file that merely has such a name (a read-only or linked copy of a
    // book, say) stays.
    struct stat st {};
    if (::fstatat(dir, e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode) || st.st_nlink != 1 ||
        st.st_uid != ::geteuid() || (st.st_mode & S_IWUSR) == 0)
      continue;
    if (st.st_size == 0 || IsChmBook(dir, e->d_name)) ::unlinkat(dir, e->d_name, 0);
  }
  ::closedir(folder);
}

}  // namespace hha

#pragma once
// The two file systems behind one small set-up interface, so that the same
// tests check that both keep the FileSystem contract.

#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "runtime/encoding.h"
#include "runtime/paths.h"
#include "runtime/real_file_system.h"
#include "support/temp_dir.h"
#include "support/virtual_file_system.h"

namespace qm {

/// The machine's file system over a scratch folder.
struct RealDisk {
  TempDir dir;
  RealFileSystem fs;
  std::string saved_cwd;

  RealDisk() {
    char* cwd = ::getcwd(nullptr, 0);
    saved_cwd = cwd ? cwd : "/";
    std::free(cwd);
  }
  ~RealDisk() {
    if (::chdir(saved_cwd.c_str()) != 0) {
      // The test that changed directory already failed; nothing to undo.
    }
  }
  Text Root() const { return dir.path(); }
  Text Path(const Text& relative) const { return JoinPath(Root(), relative); }
  void File(const Text& relative, std::string_view data = "x") { fs.Write(Path(relative), data); }
  void Folder(const Text& relative) { fs.CreateDirectory(Path(relative)); }
  void ReadOnly(const Text& relative) {
    struct stat st;
    std::string native = NativeName(Path(relative));
    if (::stat(native.c_str(), &st) == 0) ::chmod(native.c_str(), st.st_mode & ~0222u);
  }
};

/// The whole file at `path`; empty when it cannot be read.
inline std::string ReadAll(FileSystem& fs, const Text& path) {
  std::string out;
  fs.Read(path, &out);
  return out;
}

/// The in-memory file system, with the scratch folder "/book".
struct VirtualDisk {
  VirtualFileSystem fs;

  VirtualDisk() { fs.AddDirectory("/book"); }
  Text Root() const { return "/book"; }
  Text Path(const Text& relative) const { return JoinPath(Root(), relative); }
  void File(const Text& relative, std::string_view data = "x") { fs.AddFile(Path(relative), data); }
  void Folder(const Text& relative) { fs.AddDirectory(Path(relative)); }
  void ReadOnly(const Text& relative) { fs.SetReadOnly(Path(relative)); }
};

}  // namespace qm

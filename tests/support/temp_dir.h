#pragma once
// A scratch folder on disk that is removed with everything in it, for
// tests, fuzzers and benchmarks.

#include <cstdlib>
#include <filesystem>
#include <string>

namespace qm {

/// Removes `path` and everything below it, first giving back write
/// permission to folders made unwritable (links are not followed). True
/// when nothing is left.
inline bool RemoveTree(const std::string& path) {
  namespace fs = std::filesystem;
  std::error_code ec;
  if (!fs::exists(fs::symlink_status(path, ec))) return true;
  for (auto it = fs::recursive_directory_iterator(path, ec); !ec && it != fs::recursive_directory_iterator();
       it.increment(ec)) {
    if (it->is_directory(ec) && !it->is_symlink(ec))
      fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
  }
  fs::remove_all(path, ec);
  return !fs::exists(fs::symlink_status(path, ec));
}

class TempDir {
 public:
  /// A fresh folder "<prefix>-XXXXXX" under $TMPDIR (else /tmp); path() is
  /// empty when it cannot be made.
  explicit TempDir(const std::string& prefix = "quillmere-test") {
    std::error_code ec;
    std::string base = (std::filesystem::temp_directory_path(ec) / (prefix + "-XXXXXX")).string();
    if (ec) base = "/tmp/" + prefix + "-XXXXXX";
    path_ = ::mkdtemp(base.data()) ? base : std::string();
  }
  ~TempDir() {
    if (!path_.empty() && !kept_) RemoveTree(path_);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  /// The folder's UTF-8 path (ASCII in practice, so also a valid Text).
  const std::string& path() const { return path_; }
  /// Leaves the folder and its contents on disk at the end.
  void Keep() { kept_ = true; }

 private:
  std::string path_;
  bool kept_ = false;
};

}  // namespace qm

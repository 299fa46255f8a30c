#pragma once
// A scratch folder on disk that is removed with everything in it.

#include <cstdlib>
#include <filesystem>
#include <string>

namespace qm {

class TempDir {
 public:
  TempDir() {
    std::string base = std::filesystem::temp_directory_path() / "quillmere-test-XXXXXX";
    path_ = ::mkdtemp(base.data()) ? base : std::string();
  }
  ~TempDir() {
    std::error_code ec;
    // Give back write permission first so that read-only test folders go too.
    for (auto it = std::filesystem::recursive_directory_iterator(path_, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
      std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                   std::filesystem::perm_options::add, ec);
    }
    std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  /// The folder's UTF-8 path (ASCII in practice, so also a valid Text).
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace qm

#include "scratch_area.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace qm::fuzz {
namespace {

namespace fs = std::filesystem;

std::string MakeScratchRoot() {
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/quillmere-fuzz-XXXXXX";
  if (!::mkdtemp(pattern.data())) return {};
  return pattern;
}

}  // namespace

const std::string& ScratchRoot() {
  // Never destroyed: the exit handler that removes the folder runs after
  // the destructors of function-local statics made before it.
  static const std::string* const root = [] {
    auto* made = new std::string(MakeScratchRoot());
    if (!made->empty()) std::atexit([] { RemoveTree(ScratchRoot()); });
    return made;
  }();
  return *root;
}

bool RemoveTree(const std::string& path) {
  std::error_code ec;
  if (!fs::exists(fs::symlink_status(path, ec))) return true;
  // Folders a book made unwritable must become writable to be emptied.
  for (auto it = fs::recursive_directory_iterator(path, ec); !ec && it != fs::recursive_directory_iterator();
       it.increment(ec)) {
    if (it->is_directory(ec) && !it->is_symlink(ec))
      fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
  }
  fs::remove_all(path, ec);
  return !fs::exists(fs::symlink_status(path, ec));
}

std::vector<std::string> ListTree(const std::string& root) {
  std::vector<std::string> out;
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(root, ec); !ec && it != fs::recursive_directory_iterator();
       it.increment(ec)) {
    std::string rel = it->path().lexically_relative(root).generic_string();
    if (it->is_directory(ec) && !it->is_symlink(ec)) rel += '/';
    out.push_back(rel);
  }
  std::sort(out.begin(), out.end());
  return out;
}

bool WriteWholeFile(const std::string& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out.flush());
}

bool ReadWholeFile(const std::string& path, std::string& out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

}  // namespace qm::fuzz

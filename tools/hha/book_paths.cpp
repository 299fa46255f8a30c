#include "book_paths.h"

#include <dirent.h>
#include <sys/stat.h>

#include <vector>

#include "names.h"
#include "runtime/encoding.h"
#include "runtime/text.h"

namespace hha {
namespace {

bool IsRegularFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool IsDirectory(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The entry of folder `dir` whose name equals `part` without regard to case.
std::optional<std::string> MatchEntry(const std::string& dir, const std::string& part) {
  DIR* d = ::opendir(dir.c_str());
  if (!d) return std::nullopt;
  std::optional<std::string> found;
  while (dirent* e = ::readdir(d)) {
    if (qm::EqualsNoCase(e->d_name, part)) {
      found = std::string(e->d_name);
      break;
    }
  }
  ::closedir(d);
  return found;
}

}  // namespace

std::optional<std::string> FindInBook(const std::string& root, const std::string& name) {
  std::string exact = root + "/" + name;
  if (IsRegularFile(exact)) return exact;
  std::string current = root;
  std::size_t start = 0;
  while (true) {
    std::size_t slash = name.find('/', start);
    std::string part = name.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
    std::string next = current + "/" + part;
    bool last = slash == std::string::npos;
    bool present = last ? IsRegularFile(next) : IsDirectory(next);
    if (!present) {
      auto match = MatchEntry(current, part);
      if (!match) return std::nullopt;
      next = current + "/" + *match;
      present = last ? IsRegularFile(next) : IsDirectory(next);
      if (!present) return std::nullopt;
    }
    current = next;
    if (last) return current;
    start = slash + 1;
  }
}

}  // namespace hha

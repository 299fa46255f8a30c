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

BookPath ToBookPathUtf8(std::string_view path) {
  BookPath r;
  if (path.size() >= 2 && path[1] == ':') {
    r.error = "a drive path cannot be part of the book";
    return r;
  }
  std::size_t colon = path.find(':');
  if (colon != std::string_view::npos && path.find_first_of("/\\") > colon) {
    r.error = "a link with a scheme does not name a file of the book";
    return r;
  }
  std::vector<std::string> parts;
  std::string part;
  auto flush = [&]() -> bool {
    if (part.empty() || part == ".") {
    } else if (part == "..") {
      if (parts.empty()) return false;
      parts.pop_back();
    } else {
      parts.push_back(part);
    }
    part.clear();
    return true;
  };
  for (char c : path) {
    if (c == '\\' || c == '/') {
      if (!flush()) {
        r.error = "the path leads out of the book's folder";
        return r;
      }
    } else {
      part += c;
    }
  }
  if (!flush()) {
    r.error = "the path leads out of the book's folder";
    return r;
  }
  if (parts.empty()) {
    r.error = "empty file name";
    return r;
  }
  for (std::size_t i = 0; i < parts.size(); ++i) {
    std::string stored = qm::BookNameOfNativeName(parts[i]);
    if (stored.empty()) {
      r.error = "the name holds bytes that are neither UTF-8 nor code page 936, so no reader could look it up";
      r.unstorable = true;
      return r;
    }
    if (i) {
      r.name += '/';
      r.disk_name += '/';
    }
    r.name += stored;
    r.disk_name += parts[i];
  }
  r.ok = true;
  return r;
}

BookPath ToBookPath(std::string_view gbk_path) {
  if (HasForgedEscape(gbk_path)) {
    BookPath r;
    r.error = "the name holds a malformed name escape";
    r.unstorable = true;
    return r;
  }
  // Convert before splitting: the second byte of a two-byte character may
  // be 0x5C, which UTF-8 never holds inside a character.
  return ToBookPathUtf8(NameFromProject(gbk_path));
}

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

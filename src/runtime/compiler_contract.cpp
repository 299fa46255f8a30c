#include "runtime/compiler_contract.h"

#include <vector>

#include "runtime/encoding.h"

namespace qm {

std::string Printable(std::string_view name) {
  std::string out;
  out.reserve(name.size());
  for (std::size_t i = 0; i < name.size();) {
    char32_t cp;
    std::size_t n = DecodeUtf8(name, i, &cp);
    if (n == 0) {
      static const char kHex[] = "0123456789ABCDEF";
      auto b = static_cast<unsigned char>(name[i]);
      out += "\\x";
      out += kHex[b >> 4];
      out += kHex[b & 15];
      ++i;
      continue;
    }
    out.append(name, i, n);
    i += n;
  }
  return out;
}

std::string Shown(std::string_view gbk) { return Printable(NativeName(gbk)); }

bool HasForgedEscape(std::string_view gbk) {
  // Escapes have even lengths and begin with 0xFF, so walking two-byte
  // characters meets each escape at its start.
  for (std::size_t i = 0; i < gbk.size(); i += CharWidthAt(gbk, i)) {
    if (static_cast<unsigned char>(gbk[i]) == 0xFF && i + 2 < gbk.size() &&
        static_cast<unsigned char>(gbk[i + 1]) == 0xC0 && static_cast<unsigned char>(gbk[i + 2]) < 0x80)
      return true;
  }
  return false;
}

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
    std::string stored = BookNameOfNativeName(parts[i]);
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
  return ToBookPathUtf8(NativeName(gbk_path));
}

std::vector<std::string> UnstorableFiles(const HhpProject& project) {
  std::vector<std::string> names;
  for (const std::string& entry : project.files)
    if (ToBookPath(entry).unstorable) names.push_back(Shown(entry));
  return names;
}

CompiledFile CompiledFileOf(const HhpProject& project, const std::string& root, const std::string& project_stem) {
  CompiledFile book;
  if (project.compiled_file.empty()) {
    book.path = root + "/" + project_stem + ".chm";
    return book;
  }
  // A name on disk may hold any bytes, so a book name without a GBK form
  // is written under its exact UTF-8 (or raw) name.
  const std::string shown = "\"" + Shown(project.compiled_file) + "\"";
  if (HasForgedEscape(project.compiled_file)) {
    book.error = "the compiled file name " + shown + " holds a malformed name escape";
    return book;
  }
  const std::string name = NativeName(project.compiled_file);
  if (name.size() >= 2 && name[1] == ':') {
    book.error = "the compiled file " + shown + " is a Windows drive path";
    return book;
  }
  const std::size_t dot = project_stem.size();
  if (name.size() > dot && name.compare(0, dot, project_stem) == 0 && name[dot] == '.' &&
      name.find_first_of("\\/", dot) == std::string::npos) {
    book.path = root + "/" + name;
    return book;
  }
  book.error = "the compiled file " + shown + " lies outside the project's folder";
  if (name.empty() || name[0] == '\\' || name[0] == '/') return book;
  std::vector<std::string> parts;
  std::string part;
  for (std::size_t i = 0; i <= name.size(); ++i) {
    if (i < name.size() && name[i] != '\\' && name[i] != '/') {
      part += name[i];
      continue;
    }
    if (part == "..") return book;
    if (!part.empty() && part != ".") parts.push_back(part);
    part.clear();
  }
  if (parts.empty()) return book;
  book.error.clear();
  book.folder = root;
  for (std::size_t i = 0; i + 1 < parts.size(); ++i) book.folder += "/" + parts[i];
  book.path = book.folder + "/" + parts.back();
  return book;
}

}  // namespace qm

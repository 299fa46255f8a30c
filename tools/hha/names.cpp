#include "names.h"

#include "runtime/encoding.h"

namespace hha {

std::string NameFromProject(std::string_view gbk) { return qm::NativeName(gbk); }

bool HasForgedEscape(std::string_view gbk) {
  // Escapes have even lengths and begin with 0xFF, so walking two-byte
  // characters meets each escape at its start.
  for (std::size_t i = 0; i < gbk.size(); i += qm::CharWidthAt(gbk, i)) {
    if (static_cast<unsigned char>(gbk[i]) == 0xFF && i + 2 < gbk.size() &&
        static_cast<unsigned char>(gbk[i + 1]) == 0xC0 && static_cast<unsigned char>(gbk[i + 2]) < 0x80)
      return true;
  }
  return false;
}

bool IsValidUtf8(std::string_view s) {
  for (std::size_t i = 0; i < s.size();) {
    char32_t cp;
    std::size_t n = qm::DecodeUtf8(s, i, &cp);
    if (n == 0) return false;
    i += n;
  }
  return true;
}

std::string Shown(std::string_view gbk) { return Printable(qm::NativeName(gbk)); }

std::string Printable(std::string_view name) {
  std::string out;
  out.reserve(name.size());
  for (std::size_t i = 0; i < name.size();) {
    char32_t cp;
    std::size_t n = qm::DecodeUtf8(name, i, &cp);
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

std::string LocalForReaders(std::string_view gbk) {
  std::string value(gbk);
  if (qm::HasNameEscape(value)) {
    std::string native = qm::NativeName(value);
    if (!IsValidUtf8(native) && !qm::BookNameOfNativeName(native).empty()) value = native;
  }
  for (std::size_t i = 0; i < value.size(); i += qm::CharWidthAt(value, i))
    if (value[i] == '\\') value[i] = '/';
  return value;
}

std::string ReaderText(std::string_view gbk) {
  if (!qm::HasNameEscape(gbk)) return std::string(gbk);
  return qm::GbkFromUtf8(qm::NativeName(gbk));
}

}  // namespace hha

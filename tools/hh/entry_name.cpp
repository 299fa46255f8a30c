#include "entry_name.h"

#include "runtime/temporary_files.h"
#include "runtime/utf8.h"

namespace hh {
namespace {

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

bool IsDriveName(std::string_view component) {
  if (component.size() < 2 || component[1] != ':') return false;
  const char c = component[0];
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

SanitizedName Refuse(std::string reason) {
  SanitizedName r;
  r.reason = std::move(reason);
  return r;
}

}  // namespace

bool IsBookkeepingName(std::string_view stored) {
  return stored.starts_with("::") || stored.starts_with("/#") || stored.starts_with("/$");
}

SanitizedName SanitizeEntryName(std::string_view stored) {
  std::string_view rest = stored;
  if (!rest.empty() && rest.front() == '/') rest.remove_prefix(1);
  if (!rest.empty() && IsSeparator(rest.front())) return Refuse("absolute name outside the book's root");
  if (rest.empty()) return Refuse("empty name");
  if (IsSeparator(rest.back()) || rest == "." || rest.ends_with("/.") || rest.ends_with("\\."))
    return Refuse("names a folder, not a file");

  SanitizedName r;
  std::size_t start = 0;
  while (start <= rest.size()) {
    std::size_t end = start;
    while (end < rest.size() && !IsSeparator(rest[end])) ++end;
    std::string_view component = rest.substr(start, end - start);
    if (component == "..") return Refuse("\"..\" would leave the target folder");
    if (r.components.empty() && IsDriveName(component)) return Refuse("absolute name with a drive");
    if (!component.empty() && component != ".") r.components.emplace_back(component);
    start = end + 1;
  }
  if (r.components.empty()) return Refuse("no file name");
  // A later run would take a file of that name for one a killed run left.
  if (qm::IsTemporaryName(r.components.back())) return Refuse("named like a temporary file of this program");
  r.ok = true;
  return r;
}

std::string PrintableName(std::string_view stored) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  auto escape = [&](unsigned char c) {
    out += "\\x";
    out += kHex[c >> 4];
    out += kHex[c & 15];
  };
  for (std::size_t i = 0; i < stored.size();) {
    const unsigned char c = static_cast<unsigned char>(stored[i]);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
      ++i;
      continue;
    }
    if (c < 0x20 || c == 0x7F) {
      escape(c);
      ++i;
      continue;
    }
    if (c < 0x80) {
      out += static_cast<char>(c);
      ++i;
      continue;
    }
    // A UTF-8 sequence: kept whole when well formed and not a C1 control.
    char32_t cp = 0;
    const std::size_t n = qm::DecodeUtf8(stored, i, &cp);
    if (n == 0 || cp < 0xA0) {
      escape(c);
      ++i;
      continue;
    }
    out.append(stored.substr(i, n));
    i += n;
  }
  return out;
}

}  // namespace hh

#include "reader_names.h"

#include "names.h"
#include "page_encoding.h"
#include "page_references.h"
#include "runtime/encoding.h"
#include "runtime/text.h"

namespace hha {
namespace {

// `text` with the characters that end an HTML attribute or start markup
// written as character references.
std::string AttributeText(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '&') out += "&amp;";
    else if (c == '"') out += "&quot;";
    else if (c == '<') out += "&lt;";
    else if (c == '>') out += "&gt;";
    else out += c;
  }
  return out;
}

}  // namespace

bool IsAscii(std::string_view s) {
  for (unsigned char c : s)
    if (c >= 0x80) return false;
  return true;
}

std::string ReaderNames::For(const std::string& stored, std::string_view kind) {
  // "#", "?" and "%" would read as a fragment, a query or an escape to a
  // reader that takes the string as a URL.
  if (IsAscii(stored) && stored.find_first_of("#?%") == std::string::npos) return stored;
  if (auto it = given_.find(stored); it != given_.end()) return it->second;
  std::size_t slash = stored.rfind('/');
  std::size_t dot = stored.rfind('.');
  std::string extension;
  if (dot != std::string::npos && (slash == std::string::npos || dot > slash) && IsAscii(stored.substr(dot)))
    extension = stored.substr(dot);
  bool lead_on = slash != std::string::npos && IsWebPageName(stored);
  if (lead_on) extension = ".htm";
  // Two different files of one kind get numbered names.
  const std::string base = "$Quillmere_" + std::string(kind);
  std::string internal = base + extension;
  auto used = [&](const std::string& name) { return taken_.count(name) || in_root_.count(qm::AsciiLowerBytes(name)); };
  for (int n = 2; used(internal); ++n) internal = base + std::to_string(n) + extension;
  given_[stored] = internal;
  taken_.insert(internal);
  if (lead_on) {
    // The page's name in the code page the page declares, as links in pages
    // of this book are written; what that code page lacks goes as UTF-8.
    std::string link = AttributeText(LinkToStoredName(stored));
    pages_.push_back({internal, "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=" +
                                    DeclaredName(link) + "\"><meta http-equiv=\"refresh\" content=\"0; URL=" + link +
                                    "\"></head><body><a href=\"" + link + "\">" + link + "</a></body></html>"});
  } else {
    aliases_.push_back({internal, stored});
  }
  return internal;
}

}  // namespace hha

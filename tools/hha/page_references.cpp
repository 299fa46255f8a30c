#include "page_references.h"

#include "runtime/text.h"
#include "sitemap_links.h"

namespace hha {
namespace {

bool IsNameChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_' || c == ':';
}

}  // namespace

void ForEachPageReference(std::string_view html, const std::function<void(std::string_view)>& visit) {
  std::size_t pos = 0;
  while ((pos = html.find('<', pos)) != std::string_view::npos) {
    if (html.compare(pos, 4, "<!--") == 0) {
      std::size_t end = html.find("-->", pos + 4);
      if (end == std::string_view::npos) break;
      pos = end + 3;
      continue;
    }
    std::size_t name_end = pos + 1;
    while (name_end < html.size() && IsNameChar(html[name_end])) ++name_end;
    std::size_t end = html.find('>', name_end);
    if (end == std::string_view::npos) break;
    std::string tag;
    for (std::size_t k = pos + 1; k < name_end; ++k) tag += static_cast<char>(html[k] | 0x20);
    if (!tag.empty() && tag != "base") {
      std::string_view body = html.substr(name_end, end - name_end);
      for (const TagAttribute& a : TagAttributes(body)) {
        if (a.value_at == std::string_view::npos || a.value_size == 0) continue;
        if (a.name == "src" || a.name == "href" || a.name == "background") visit(body.substr(a.value_at, a.value_size));
      }
    }
    pos = end + 1;
  }
}

bool IsWebPageName(std::string_view name) {
  auto ends_with = [&](std::string_view ext) {
    if (name.size() < ext.size()) return false;
    for (std::size_t i = 0; i < ext.size(); ++i)
      if ((name[name.size() - ext.size() + i] | 0x20) != ext[i]) return false;
    return true;
  };
  return ends_with(".htm") || ends_with(".html");
}

std::string LocalReference(std::string_view reference) {
  while (!reference.empty() && (reference.front() == ' ' || reference.front() == '\t')) reference.remove_prefix(1);
  while (!reference.empty() && (reference.back() == ' ' || reference.back() == '\t')) reference.remove_suffix(1);
  std::string_view file = LinkFilePart(reference);
  if (file.empty() || file.front() == '/' || file.front() == '\\') return {};
  std::size_t colon = file.find(':');
  if (colon != std::string_view::npos && file.find_first_of("/\\") > colon) return {};
  return qm::PercentDecoded(file);
}

}  // namespace hha

#include "sitemap_links.h"

#include <cctype>

namespace hha {
namespace {

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

std::size_t FindNoCase(std::string_view text, std::string_view what, std::size_t from) {
  if (what.size() > text.size()) return std::string_view::npos;
  for (std::size_t i = from; i + what.size() <= text.size(); ++i) {
    std::size_t k = 0;
    while (k < what.size() && Lower(text[i + k]) == what[k]) ++k;
    if (k == what.size()) return i;
  }
  return std::string_view::npos;
}

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Reads the attributes of one tag body into name/value pairs (names lower case).
std::vector<std::pair<std::string, std::string>> Attributes(std::string_view tag) {
  std::vector<std::pair<std::string, std::string>> out;
  std::size_t i = 0;
  while (i < tag.size()) {
    while (i < tag.size() && (IsSpace(tag[i]) || tag[i] == '/')) ++i;
    std::size_t start = i;
    while (i < tag.size() && !IsSpace(tag[i]) && tag[i] != '=') ++i;
    std::string name;
    for (std::size_t k = start; k < i; ++k) name += Lower(tag[k]);
    while (i < tag.size() && IsSpace(tag[i])) ++i;
    std::string value;
    if (i < tag.size() && tag[i] == '=') {
      ++i;
      while (i < tag.size() && IsSpace(tag[i])) ++i;
      if (i < tag.size() && (tag[i] == '"' || tag[i] == '\'')) {
        char q = tag[i++];
        std::size_t end = tag.find(q, i);
        if (end == std::string_view::npos) end = tag.size();
        value = std::string(tag.substr(i, end - i));
        i = end + 1;
      } else {
        std::size_t s = i;
        while (i < tag.size() && !IsSpace(tag[i])) ++i;
        value = std::string(tag.substr(s, i - s));
      }
    }
    if (!name.empty()) out.emplace_back(std::move(name), std::move(value));
    if (i == start) ++i;
  }
  return out;
}

}  // namespace

std::vector<std::string> SitemapLocalLinks(std::string_view text) {
  std::vector<std::string> links;
  std::size_t pos = 0;
  while ((pos = FindNoCase(text, "<param", pos)) != std::string_view::npos) {
    std::size_t body = pos + 6;
    std::size_t end = text.find('>', body);
    if (end == std::string_view::npos) break;
    std::string name, value;
    bool has_value = false;
    for (auto& [k, v] : Attributes(text.substr(body, end - body))) {
      if (k == "name") name = v;
      if (k == "value") {
        value = v;
        has_value = true;
      }
    }
    std::string lname;
    for (char c : name) lname += Lower(c);
    if (lname == "local" && has_value && !value.empty()) links.push_back(value);
    pos = end + 1;
  }
  return links;
}

std::string_view LinkFilePart(std::string_view link) {
  std::size_t cut = link.find_first_of("#?");
  return cut == std::string_view::npos ? link : link.substr(0, cut);
}

}  // namespace hha

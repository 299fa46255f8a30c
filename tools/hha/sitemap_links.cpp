#include "sitemap_links.h"

#include <cctype>

#include "runtime/text.h"

namespace hha {
namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Position of the ">" that ends the tag whose body starts at `body`: a ">"
// inside a quoted value (a file named "o<p>.htm") does not end it. A value
// is quoted when a quote follows its "=".
std::size_t TagEnd(std::string_view text, std::size_t body) {
  char quote = 0, last = 0;
  for (std::size_t i = body; i < text.size(); ++i) {
    const char c = text[i];
    if (quote) {
      if (c == quote) quote = 0;
    } else if ((c == '"' || c == '\'') && last == '=') {
      quote = c;
    } else if (c == '>') {
      return i;
    }
    if (!IsSpace(c)) last = c;
  }
  return std::string_view::npos;
}

// Calls found(value_begin, value_size) for every Local parameter of text,
// positions relative to text.
template <typename Found>
void ForEachLocalValue(std::string_view text, Found&& found) {
  std::size_t pos = 0;
  while ((pos = FindNoCase(text, "<param", pos)) != std::string_view::npos) {
    std::size_t body = pos + 6;
    std::size_t end = TagEnd(text, body);
    if (end == std::string_view::npos) break;
    std::string_view tag = text.substr(body, end - body);
    bool local = false;
    const TagAttribute* value = nullptr;
    std::vector<TagAttribute> attributes = TagAttributes(tag);
    for (const TagAttribute& a : attributes) {
      if (a.name == "name" && a.value_at != std::string_view::npos) {
        std::string lname;
        for (char c : tag.substr(a.value_at, a.value_size)) lname += qm::AsciiLowerByte(c);
        local = lname == "local";
      }
      if (a.name == "value" && a.value_at != std::string_view::npos) value = &a;
    }
    if (local && value && value->value_size > 0) found(body + value->value_at, value->value_size);
    pos = end + 1;
  }
}

}  // namespace

std::size_t FindNoCase(std::string_view text, std::string_view what, std::size_t from) {
  if (what.size() > text.size()) return std::string_view::npos;
  for (std::size_t i = from; i + what.size() <= text.size(); ++i) {
    std::size_t k = 0;
    while (k < what.size() && qm::AsciiLowerByte(text[i + k]) == what[k]) ++k;
    if (k == what.size()) return i;
  }
  return std::string_view::npos;
}

std::vector<TagAttribute> TagAttributes(std::string_view tag) {
  std::vector<TagAttribute> out;
  std::size_t i = 0;
  while (i < tag.size()) {
    while (i < tag.size() && (IsSpace(tag[i]) || tag[i] == '/')) ++i;
    std::size_t start = i;
    while (i < tag.size() && !IsSpace(tag[i]) && tag[i] != '=') ++i;
    TagAttribute a;
    for (std::size_t k = start; k < i; ++k) a.name += qm::AsciiLowerByte(tag[k]);
    while (i < tag.size() && IsSpace(tag[i])) ++i;
    if (i < tag.size() && tag[i] == '=') {
      ++i;
      while (i < tag.size() && IsSpace(tag[i])) ++i;
      if (i < tag.size() && (tag[i] == '"' || tag[i] == '\'')) {
        char q = tag[i++];
        std::size_t end = tag.find(q, i);
        if (end == std::string_view::npos) end = tag.size();
        a.value_at = i;
        a.value_size = end - i;
        i = end + 1;
      } else {
        std::size_t s = i;
        while (i < tag.size() && !IsSpace(tag[i])) ++i;
        a.value_at = s;
        a.value_size = i - s;
      }
    }
    if (!a.name.empty()) out.push_back(std::move(a));
    if (i == start) ++i;
  }
  return out;
}

std::vector<std::string> SitemapLocalLinks(std::string_view text) {
  std::vector<std::string> links;
  ForEachLocalValue(text, [&](std::size_t at, std::size_t size) { links.emplace_back(text.substr(at, size)); });
  return links;
}

std::string RewriteLocalLinks(std::string_view text, const std::function<std::string(std::string_view)>& rewrite) {
  std::string out;
  out.reserve(text.size());
  std::size_t copied = 0;
  ForEachLocalValue(text, [&](std::size_t at, std::size_t size) {
    out.append(text.substr(copied, at - copied));
    out += rewrite(text.substr(at, size));
    copied = at + size;
  });
  out.append(text.substr(copied));
  return out;
}

std::string_view LinkFilePart(std::string_view link) {
  std::size_t cut = link.find_first_of("#?");
  return cut == std::string_view::npos ? link : link.substr(0, cut);
}

}  // namespace hha

// The pages a sitemap file (.hhc contents, .hhk index) links to.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace hha {

/// Values of every <param name="Local" value="..."> in the text, in order,
/// as raw bytes; names and tags are matched without regard to case.
std::vector<std::string> SitemapLocalLinks(std::string_view text);

/// `text` with the value of every <param name="Local" value="..."> replaced
/// by `rewrite` of it; every other byte stays as it was.
std::string RewriteLocalLinks(std::string_view text, const std::function<std::string(std::string_view)>& rewrite);

/// One attribute of a tag: its name in lower case and where its value lies
/// in the tag body (value_at is npos for an attribute without a value).
struct TagAttribute {
  std::string name;
  std::size_t value_at = std::string_view::npos;
  std::size_t value_size = 0;
};

/// The attributes of one tag body (the text between the tag name and ">").
std::vector<TagAttribute> TagAttributes(std::string_view tag);

/// Position of `lower_what` (lower case) in text at or after `from`,
/// comparing ASCII letters without regard to case; npos when absent.
std::size_t FindNoCase(std::string_view text, std::string_view lower_what, std::size_t from);

/// The file part of a link: without "#fragment" and "?query".
std::string_view LinkFilePart(std::string_view link);

}  // namespace hha

// The pages a sitemap file (.hhc contents, .hhk index) links to.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace hha {

/// Values of every <param name="Local" value="..."> in the text, in order,
/// as raw bytes; names and tags are matched without regard to case.
std::vector<std::string> SitemapLocalLinks(std::string_view text);

/// The file part of a link: without "#fragment" and "?query".
std::string_view LinkFilePart(std::string_view link);

}  // namespace hha

// The files a web page uses: images, style sheets, scripts, linked pages.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace hha {

/// Calls `visit` with the value of each src, href and background attribute
/// of every tag of `html` (tags inside comments and <base> excluded), raw
/// bytes, in order. Nothing is gathered, so a page of a million references
/// takes no memory for them.
void ForEachPageReference(std::string_view html, const std::function<void(std::string_view)>& visit);

/// True for a name that ends in ".htm" or ".html" (any letter case): the
/// files whose references the compiler follows.
bool IsWebPageName(std::string_view name);

/// The relative file name a reference names: "%XX" escapes undone,
/// "#fragment" and "?query" cut off, in the page's own bytes. Empty when it
/// names no local file: a URL with a scheme, an absolute path, an anchor in
/// the same page.
std::string LocalReference(std::string_view reference);

}  // namespace hha

#pragma once
// Page titles for the contents: with "用网页标题" ticked, each page's entry
// is named by the page's own title instead of its file name.

#include <string_view>

#include "runtime/file_system.h"
#include "runtime/text.h"

namespace qm {

/// The title of a page's text (GBK, entities kept as written): for a page of
/// a paged book the title it was made with (none for its contents page,
/// whose <title> is only the template's fixed text), otherwise the text between
/// the first "<title ...>" outside "<!-- -->" comments and "</title>" (tags
/// matched without regard to ASCII case). Made fit for a contents entry: CR,
/// LF and tab become spaces, spaces at either end go, and '"', "<" and ">"
/// become "&quot;", "&lt;" and "&gt;". Empty when the page has none.
Text PageTitle(std::string_view page);

/// The title of the page `local` (a relative path with "\" separators) in
/// `folder`, read once and taken in the encoding it is written in
/// (DecodePageFile), so a UTF-8 page's title comes in code page 936 with
/// characters it lacks as references; empty when the name does not end in ".htm" or
/// ".html" (any case), or the file cannot be read or has no title.
Text PageTitleOfFile(FileSystem& fs, const Text& folder, const Text& local);

}  // namespace qm

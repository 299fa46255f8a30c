// One encoding per book: readers of a book in code page 936 (LCID 0x804)
// decode its pages in that code page whatever the pages declare, so every
// stored page is written in it and says so.
#pragma once

#include <string>
#include <string_view>

namespace hha {

/// What a page holds, for the closing note and the search index.
struct BookPage {
  std::string text;            // the page as stored: code page 936, declaring it
  std::string converted_from;  // the encoding it was converted from; empty when it was code page 936
};

/// The page `bytes` as a code page 936 book stores it: converted by
/// qm::PageTextInGbk (which says how its character set is found). Every
/// charset declaration that
/// names no code page 936 name then names gb2312 (gbk when the page holds
/// characters beyond GB 2312, which strict GB 2312 converters refuse), and
/// a page with none gets one at the top of its head.
BookPage PageForBook(std::string_view bytes);

/// The name a declaration gives the code page 936 text `text`: "gb2312",
/// which every reader knows, unless the text holds characters beyond
/// GB 2312. Readers that convert with the system's strict GB 2312 converter
/// (xchm) would show such a page empty, so it is declared "gbk".
std::string DeclaredName(std::string_view text);

/// True when books of the language `lcid` are read in code page 936.
bool IsGbkLanguage(std::uint32_t lcid);

}  // namespace hha

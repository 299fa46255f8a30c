#pragma once
// The character set a web page is written in, and the page in code page
// 936. One rule serves the compiler, which stores every page in code page
// 936, and the CHM tab, which reads page titles for the contents: a title
// reads as the stored page shows it.

#include <string>
#include <string_view>
#include <vector>

namespace qm {

/// The page's head in ASCII lower case: everything before its first "<body"
/// (in any case), where every declaration stands, and at most its first
/// megabyte (readers look for a declaration far sooner). Offsets are those
/// of the page.
std::string LowerPageHead(std::string_view page);

/// Where a charset name is written in a page: its offset and length.
struct CharsetSpan {
  std::size_t at = 0, size = 0;
};

/// The charset names a page's head declares, in order: in <meta> tags
/// (charset attribute or http-equiv content) and in an XML declaration.
/// `lower_head` is LowerPageHead of the page.
std::vector<CharsetSpan> CharsetDeclarations(const std::string& lower_head);

/// True when the lower-case charset name `name` names code page 936 or a
/// character set it contains (gb2312, gbk, cp936, euc-cn ...).
bool NamesGbkCharset(std::string_view name);

/// A page converted to code page 936.
struct PageInGbk {
  std::string text;            // the page in code page 936, declarations untouched
  std::string converted_from;  // the charset it was converted from; empty for code page 936
};

/// The page `bytes` in code page 936. Its character set is the one a
/// byte-order mark gives (the mark is dropped), else the one its first
/// charset declaration names, else UTF-8 when DetectTextEncoding reads the
/// bytes as UTF-8 (the rule text files go by), else code page 936; a page
/// that declares UTF-8 but is code page 936 text that rule does not read as
/// UTF-8 is taken as code page 936. A page in another character set is
/// converted, each character without a code page 936 form (and each byte
/// that is not valid in its set) written as its character reference; one
/// in a set the system cannot read stays as it is.
PageInGbk PageTextInGbk(std::string_view bytes);

}  // namespace qm

#pragma once
// The fixed page texts that the text-to-page tools fill in, in code page 936
// (GBK) exactly as they are written into pages, and the fragments that fill
// them. Templates are built once on first use and then shared.

#include <string_view>
#include <vector>

#include "runtime/text.h"

namespace qm {

/// The page of a paged book: 32 lines joined by CR LF (1,893 bytes). Its
/// placeholders: "[PART1]" title, "[PART0]" body (inside a <pre> element on
/// line 24), "[GOP]", "[GOI]", "[GON]" previous, contents and next links
/// (twice each), "[time]" creation date.
const Text& BookPageTemplate();

/// The heading put before the entries of a book's contents page (137 bytes).
const Text& ContentsHeading();

/// The 56 characters from which the hidden decoration is drawn; entry r of
/// the table (1-based) is element r - 1.
const std::vector<Text>& DecorationAlphabet();

/// The opening of a framed page, one line without line breaks (844 bytes).
const Text& FramedPageHead();

/// The close of a framed page (71 bytes).
const Text& FramedPageTail();

/// The opening of a plain page: six lines joined by CR LF (230 bytes).
const Text& PlainPageHead();

/// The text that closes a plain page.
inline constexpr std::string_view kPlainPageTail = "</BODY></HTML>";

/// The header of every book page (in its <title> and above its text) and
/// the notice under it, as the book template writes them (UTF-8; the window
/// shows them as the start texts of the boxes that change them), and the
/// element the notice stands in.
inline constexpr std::string_view kBookHeaderUtf8 = "倾情制作";
inline constexpr std::string_view kBookNoticeUtf8 =
    "声明:本电子书仅供读者试看,请在下载24小时内删除,不得用作商业用途,如果喜欢请购买正版图书!!!";
inline constexpr std::string_view kNoticeOpen = "<font size=\"2\" color=\"#00FFFF\">";
inline constexpr std::string_view kNoticeClose = "</font><br>";

// Book fragments.
/// Put in place of each CR LF of a text when lines are wrapped.
inline constexpr std::string_view kWrapLineBreak = "<br>&nbsp;&nbsp;&nbsp;";
/// Encloses the hidden decoration; the colour is the text cell's background.
inline constexpr std::string_view kDecorationOpen = "<font color= #EAF4F1 size= -7>";
inline constexpr std::string_view kDecorationClose = "</font><br>";
/// Closes the list of a contents page.
inline constexpr std::string_view kContentsListClose = "</table><BR>";

/// The link to the previous page, whose page number text is given.
Text PreviousPageLink(std::string_view page_number);
/// The link to the next page, whose page number text is given.
Text NextPageLink(std::string_view page_number);
/// The link to the contents page index.htm.
const Text& ContentsPageLink();
/// One line of a contents page: the bullet image and a link to the page,
/// ended by CR LF.
Text ContentsEntry(std::string_view page_number, std::string_view title);

}  // namespace qm

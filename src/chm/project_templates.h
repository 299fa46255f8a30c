#pragma once
// The fixed texts of the HTML Help project (.hhp) and contents (.hhc)
// files, GBK, with CR LF line ends.

#include "runtime/text.h"

namespace qm {

/// The project file; "名字" stands for the book name, "主页" for the home
/// page and "DDDDD" for the file list. The last line has no line end.
const Text& ProjectTemplate();

/// The start of the contents file, up to and including "<UL>" CR LF.
const Text& ContentsHeader();

/// The end of the contents file: CR LF "</UL></BODY></HTML>".
const Text& ContentsFooter();

/// A folder's entry; "BBBBBB" stands for the folder's name.
const Text& FolderEntryTemplate();

/// A document inside a folder; "AAAAAA" is its name, "CCCCCC" its path.
const Text& NestedDocumentEntryTemplate();

/// A top-level document; "AAAAAA" is its name, "GGGGGG" its path.
const Text& TopDocumentEntryTemplate();

/// What follows an entry: a line end, or a nested list opened after an
/// item that has children.
inline constexpr std::string_view kEntryEnd = "\r\n";
inline constexpr std::string_view kOpenList = "\r\n<UL>\r\n";
/// Appends the closing of `levels` nested lists, written after an entry's
/// line end: CR LF, then "</UL>" CR LF for each level; nothing for 0 or
/// fewer.
void AppendCloseLists(Text& out, int levels);

}  // namespace qm

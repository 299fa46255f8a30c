#pragma once
#include <functional>

#include "core/context.h"

namespace qm {

/// Tick of the preview timer, or a click on "全文搜索": rewrites the
/// project preview.
void RefreshProjectPreview(Context& ctx);

/// True when a book folder was dropped: the folder box names an existing
/// folder (not its start hint). Otherwise shows a
/// message asking for a drop (or naming the missing folder) and returns false.
bool RequireBookFolder(Context& ctx);

/// "建CHM目录": writes the contents and project files. With "用网页标题"
/// ticked, each page's entry is named by the page's title (PageTitle).
/// Without a dropped book folder (RequireBookFolder) or with an empty book
/// name it writes nothing and says why.
void BuildContents(Context& ctx);

/// The project text for `book` with the home page taken from the selected
/// node's raw path `home` (angle brackets and the final "\" go) and the file
/// list `files`. With `full_text_search` ("全文搜索" ticked) [OPTIONS] asks
/// for the search index and the window shows the search tab.
Text ProjectText(const Text& book, const Text& home, const Text& files, bool full_text_search = false);

/// Gives a document entry's name from its local path (relative, "\"
/// separators); an empty result keeps the name made from the file name.
using EntryNamer = std::function<Text(const Text& local)>;

/// The whole contents file of the tree: header, one entry per item with its
/// nested lists opened and closed, footer. Names taken from file and folder
/// names carry characters without a GBK form as decimal character
/// references, and names and local paths write '"' as a reference
/// (QuotedAttributeText); with `namer`, a document's entry is named by it where it
/// gives a name, with its hexadecimal references written in decimal. Each
/// item is reported to `progress`; after a stop the text is not whole.
Text ContentsText(const TreeModel& tree, const EntryNamer& namer = {}, Progress& progress = NoProgress());

}  // namespace qm

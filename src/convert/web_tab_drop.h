#pragma once
#include "core/context.h"

namespace qm {

/// Files dropped on the web-pages tab: clears the order list 编辑框11, then
/// routes the dropped path to the tool whose radio button is selected
/// (tested in the order paged book, page simplifier, re-encoding, file-name
/// replacement, batch conversion, chapter splitter): fills that tool's path
/// box and enables its button; for the paged book also lists the folder's
/// text files. A
/// dropped text that names no existing entry counts as a folder.
void OnWebTabDrop(Context& ctx, const Text& dropped);

/// Appends the names of `folder`'s files matching "*.txt" (plain files, in
/// listing order, or in reading order (NaturalNameLess) when "按章节序号排序"
/// is ticked) to 编辑框11, each followed by CR LF. A separator is added
/// to the folder for the search unless it ends in one.
void ListTextFiles(Context& ctx, const Text& folder);

}  // namespace qm

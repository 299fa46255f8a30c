#pragma once
// Relative paths of document tree items. A folder node's text is "<name>",
// a document node's text is its file name; an item's path joins the texts
// from the top down, each followed by "\" unless it already ends with one:
// "<ch1>\page.htm\".

#include <string_view>

#include "runtime/text.h"
#include "runtime/tree_model.h"

namespace qm {

/// The text after the last native separator of `path`, or all of it when
/// it holds none ("/books/MyBook" gives "MyBook", "/" gives "").
Text LastPathComponent(std::string_view path);

/// The relative path of item `index`; empty for -1 or a bad index.
Text TreeItemPath(const TreeModel& tree, int index);

/// True when `path` is a folder node's path: it ends with ">" and "\".
bool IsFolderPath(std::string_view path);

/// True when `path` lies inside a folder node: it begins with "<".
bool IsInsideFolder(std::string_view path);

/// `path` without its final "\" character (a last byte 0x5C that is the
/// second byte of a two-byte character stays).
Text WithoutFinalBackslash(std::string_view path);

/// `text` without every `first`, then without every `second`.
Text WithoutAll(std::string_view text, std::string_view first, std::string_view second);

/// Calls `visit(index, path)` for every item in tree-index order with the
/// item's path, as TreeItemPath gives it, in one pass over the tree.
template <typename Visit>
void ForEachItemPath(const TreeModel& tree, Visit&& visit);

/// Appends one item's part of a path: its text, then "\" unless the text
/// already ends with one.
void AppendPathPart(Text& path, std::string_view item_text);

template <typename Visit>
void ForEachItemPath(const TreeModel& tree, Visit&& visit) {
  // prefix[d] is the length of the path of the latest item at depth d; the
  // items come in pre-order, so an item's parent is the latest item one
  // level up.
  Text path;
  std::vector<std::size_t> prefix{0};
  const int count = tree.Count();
  for (int i = 0; i < count; ++i) {
    const std::size_t depth = static_cast<std::size_t>(tree.Depth(i));
    path.resize(prefix[depth - 1]);
    AppendPathPart(path, tree.ItemText(i));
    if (prefix.size() <= depth) prefix.resize(depth + 1);
    prefix[depth] = path.size();
    visit(i, static_cast<const Text&>(path));
  }
}

}  // namespace qm

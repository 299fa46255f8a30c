#pragma once
// Document tree items and their relative paths. Each item keeps its kind
// (folder or page) and bare name; a folder node shows "<name>", a page node
// its file name. An item's display path joins the texts from the top down,
// each followed by "\" unless it already ends with one: "<ch1>\page.htm\".
// Its location in the book folder joins the names instead.

#include <string_view>

#include "runtime/text.h"
#include "runtime/tree_model.h"

namespace qm {

/// Pictures of the document tree's items.
inline constexpr int kFolderImage = 0;
inline constexpr int kPageImage = 1;

/// The item of the folder `name` (text "<name>", pictures kFolderImage)
/// below block item `parent`.
NewTreeItem FolderItem(const Text& name, int parent = -1);
/// The item of the file `name` (text `name`, pictures kPageImage) below
/// block item `parent`.
NewTreeItem PageItem(const Text& name, int parent = -1);

/// The text after the last native separator of `path`, or all of it when
/// it holds none ("/books/MyBook" gives "MyBook", "/" gives "").
Text LastPathComponent(std::string_view path);

/// The relative path of item `index`; empty for -1 or a bad index.
Text TreeItemPath(const TreeModel& tree, int index);

/// `path` without its final "\" character (a last byte 0x5C that is the
/// second byte of a two-byte character stays).
Text WithoutFinalBackslash(std::string_view path);

/// Takes the final "\" character off `path` in place, as
/// WithoutFinalBackslash does.
void DropFinalBackslash(Text& path);

/// `text` without every `first`, then without every `second`.
Text WithoutAll(std::string_view text, std::string_view first, std::string_view second);

/// Appends WithoutAll(text, first, second) to `out`.
void AppendWithoutAll(Text& out, std::string_view text, std::string_view first, std::string_view second);

/// Calls `visit(index, path)` for every item in tree-index order with the
/// item's path, as TreeItemPath gives it, in one pass over the tree.
template <typename Visit>
void ForEachItemPath(const TreeModel& tree, Visit&& visit);

/// Appends one item's part of a path: its text, then "\" unless the text
/// already ends with one.
void AppendPathPart(Text& path, std::string_view item_text);

/// Where an item lies in the book folder, as the project files name it.
struct ItemLocation {
  /// The item's top-level item (the item itself at the top) is a folder.
  bool in_folder = false;
  /// The item's path in the book folder, without a final "\". In a folder:
  /// the names from the top down, each followed by "\" (a page's unless it
  /// ends with one), without any angle bracket (see WithoutAngleBrackets).
  /// Else the display path, which for a top-level page is its name (items
  /// below a page, which no scan makes, keep their display texts).
  Text local;
};

/// `name` without its "<" and ">": the names of items inside a folder lose
/// them in the project files, as they always have.
Text WithoutAngleBrackets(std::string_view name);

/// Calls `visit(index, display_path, location)` for every item in
/// tree-index order, with the item's path as TreeItemPath gives it and its
/// ItemLocation, in one pass over the tree.
template <typename Visit>
void ForEachItemLocation(const TreeModel& tree, Visit&& visit);

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

template <typename Visit>
void ForEachItemLocation(const TreeModel& tree, Visit&& visit) {
  // names holds the names of the latest item's chain, joined; prefix[d] is
  // its length up to the latest item at depth d (as ForEachItemPath keeps
  // the display path).
  Text names;
  std::vector<std::size_t> prefix{0};
  bool in_folder = false;
  ItemLocation location;
  ForEachItemPath(tree, [&](int i, const Text& path) {
    const std::size_t depth = static_cast<std::size_t>(tree.Depth(i));
    const bool folder = tree.Kind(i) == TreeItemKind::kFolder;
    if (depth == 1) in_folder = folder;
    names.resize(prefix[depth - 1]);
    if (folder) {
      names += tree.Name(i);
      names += '\\';
    } else {
      AppendPathPart(names, tree.Name(i));
    }
    if (prefix.size() <= depth) prefix.resize(depth + 1);
    prefix[depth] = names.size();
    location.in_folder = in_folder;
    // Made in the same buffer every time: no allocation per item.
    location.local.clear();
    if (in_folder) AppendWithoutAll(location.local, names, ">", "<");
    else location.local.append(path);
    DropFinalBackslash(location.local);
    visit(i, path, static_cast<const ItemLocation&>(location));
  });
}

}  // namespace qm

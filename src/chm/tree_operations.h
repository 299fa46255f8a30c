#pragma once
// Editing the document tree by tree item index: finding siblings, deleting,
// filtering and moving an item with its subtree among its siblings. Every
// operation gives the tree the same items, in the same order, as deleting
// and adding them one at a time would, but in one pass over the tree, and
// moves the selection the way the tree control moves it.

#include <vector>

#include "chm/tree_item_snapshot.h"
#include "runtime/tree_model.h"

namespace qm {

/// The next (or, with `backwards`, the previous) item with the same parent
/// as item `index`; -1 when there is none, for -1 or a bad index, and when
/// the tree holds exactly one item.
int FindSibling(const TreeModel& tree, int index, bool backwards);

/// Number of items below item `index`; -1 for -1, 0 for a bad index.
int CountDescendants(const TreeModel& tree, int index);

/// Deletes item `index` with its subtree; nothing for -1 or a bad index.
void DeleteTreeItem(TreeModel& tree, int index);

/// Deletes every item below item `index`. When the selection was among
/// them it ends on item `index`, and the selection event is raised.
void DeleteChildren(TreeModel& tree, int index);

/// Deletes every item that has no children and whose name lacks ".htm" in
/// any letter case; a folder emptied this way stays until the next run.
void FilterTree(TreeModel& tree);

/// The item's text, pictures, data and depth.
TreeItemSnapshot TakeItemSnapshot(const TreeModel& tree, int index);

/// Gives item `index` the text, pictures and data of `snapshot` (not the
/// depth).
void ApplyItemSnapshot(TreeModel& tree, int index, const TreeItemSnapshot& snapshot);

/// Fills `list` with item `index` and its descendants, in tree-index order.
void CollectSubtree(const TreeModel& tree, int index, std::vector<TreeItemSnapshot>& list);

/// Re-creates below item `index` the items recorded in `list` after its
/// first record (which describes item `index` itself), with the nesting
/// their depths give.
void RebuildSubtree(TreeModel& tree, int index, const std::vector<TreeItemSnapshot>& list);

/// Moves item `index` with its subtree before its previous sibling. Returns
/// the item's new index; `index` unchanged when it has no previous sibling;
/// -1 for the first item of the tree or the first child of the first item.
int MoveItemUp(TreeModel& tree, int index);

/// Moves item `index` with its subtree after its next sibling. Returns the
/// item's new index; `index` unchanged when it has no next sibling; -1 for
/// a negative index.
int MoveItemDown(TreeModel& tree, int index);

}  // namespace qm

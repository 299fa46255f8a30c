#pragma once
// The tree algorithms written out step by step, index by index, with one
// tree call per step: paths built by walking up from each item, deletions
// and additions one item at a time. The fast operations must give the same
// trees, selections and texts.

#include <vector>

#include "chm/tree_item_snapshot.h"
#include "runtime/tree_model.h"

namespace qm::literal {

Text TreeItemPath(const TreeModel& tree, int index);
Text DocumentOrderList(const TreeModel& tree);
Text ContentsText(const TreeModel& tree);
int FindSibling(const TreeModel& tree, int c, bool backwards);
int CountDescendants(const TreeModel& tree, int c);
void DeleteChildren(TreeModel& tree, int c);
void FilterTree(TreeModel& tree);
void CollectSubtree(const TreeModel& tree, int c, std::vector<TreeItemSnapshot>& list);
void RebuildSubtree(TreeModel& tree, int c, const std::vector<TreeItemSnapshot>& list);
int MoveItemUp(TreeModel& tree, int c);
int MoveItemDown(TreeModel& tree, int c);

}  // namespace qm::literal

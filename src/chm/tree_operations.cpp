#include "chm/tree_operations.h"

#include <algorithm>

namespace qm {
namespace {

bool IsItem(const TreeModel& tree, int index) { return index >= 0 && index < tree.Count(); }

// The literal way of re-creating the items: one Add each, following the
// depths. Used only for lists whose nesting leaves the subtree of `index`,
// which CollectSubtree never makes.
void RebuildOneByOne(TreeModel& tree, int index, const std::vector<TreeItemSnapshot>& list) {
  int prev = index;
  int parent = index;
  for (std::size_t k = 1; k < list.size(); ++k) {
    const TreeItemSnapshot& r = list[k];
    if (r.depth > list[k - 1].depth) {
      parent = prev;
    } else {
      for (int up = r.depth; up < list[k - 1].depth; ++up) parent = tree.Parent(parent);
    }
    prev = tree.Add(parent, r.text, r.image, r.selected_image, r.data, r.kind, r.name);
  }
}

// Where the selection ends when the leaves `gone` (ascending) are deleted
// one at a time in ascending order and `selected` is among them: each
// deletion moves it to the next sibling (which may go later), else the
// parent, else the nearest earlier top-level item that stays, else nowhere.
int SelectionAfterDeletingLeaves(const TreeModel& tree, const std::vector<int>& gone, int selected) {
  auto goes = [&gone](int i) { return std::binary_search(gone.begin(), gone.end(), i); };
  int current = selected;
  for (;;) {
    int next = current + 1;
    if (next < tree.Count() && tree.Parent(next) == tree.Parent(current)) {
      if (!goes(next)) return next;
      current = next;
      continue;
    }
    if (tree.Parent(current) != -1) return tree.Parent(current);
    for (int row = tree.RowOf(current) - 1; row >= 0; --row) {
      int earlier = tree.ChildAt(-1, row);
      if (!goes(earlier)) return earlier;
    }
    return -1;
  }
}

}  // namespace

int FindSibling(const TreeModel& tree, int index, bool backwards) {
  if (!IsItem(tree, index) || tree.Count() == 1) return -1;
  if (backwards) {
    int row = tree.RowOf(index);
    return row > 0 ? tree.ChildAt(tree.Parent(index), row - 1) : -1;
  }
  int after = index + 1 + tree.DescendantCount(index);
  return after < tree.Count() && tree.Depth(after) == tree.Depth(index) ? after : -1;
}

int CountDescendants(const TreeModel& tree, int index) { return index == -1 ? -1 : tree.DescendantCount(index); }

void DeleteTreeItem(TreeModel& tree, int index) {
  if (IsItem(tree, index)) tree.Delete(index);
}

void DeleteChildren(TreeModel& tree, int index) {
  const int n = CountDescendants(tree, index);
  if (n <= 0) return;
  // Deleting the leaves from the last to the first moves a selection among
  // them up through its parents to the item itself.
  const int selected = tree.Selection();
  if (selected > index && selected <= index + n) tree.Select(index);
  std::vector<int> children;
  for (int i = index + 1; i <= index + n; i += 1 + tree.DescendantCount(i)) children.push_back(i);
  tree.DeleteItems(children);
}

void FilterTree(TreeModel& tree) {
  const int count = tree.Count();
  std::vector<int> gone;
  for (int i = 0; i < count; ++i)
    if (FindText(tree.Name(i), ".htm", 1, true) == -1 && !tree.HasChildren(i)) gone.push_back(i);
  if (gone.empty()) return;
  const int selected = tree.Selection();
  if (selected != -1 && std::binary_search(gone.begin(), gone.end(), selected))
    tree.Select(SelectionAfterDeletingLeaves(tree, gone, selected));
  tree.DeleteItems(gone);
}

TreeItemSnapshot TakeItemSnapshot(const TreeModel& tree, int index) {
  return {tree.ItemText(index), tree.Image(index), tree.SelectedImage(index), tree.Data(index),
          tree.Depth(index),    tree.Kind(index),  tree.Name(index)};
}

void ApplyItemSnapshot(TreeModel& tree, int index, const TreeItemSnapshot& snapshot) {
  tree.SetItemText(index, snapshot.text);
  tree.SetImage(index, snapshot.image);
  tree.SetSelectedImage(index, snapshot.selected_image);
  tree.SetData(index, snapshot.data);
  tree.SetKind(index, snapshot.kind, snapshot.name);
}

void CollectSubtree(const TreeModel& tree, int index, std::vector<TreeItemSnapshot>& list) {
  list.clear();
  list.push_back(TakeItemSnapshot(tree, index));
  const int depth = tree.Depth(index);
  for (int i = index + 1; i < tree.Count() && tree.Depth(i) > depth; ++i) list.push_back(TakeItemSnapshot(tree, i));
}

void RebuildSubtree(TreeModel& tree, int index, const std::vector<TreeItemSnapshot>& list) {
  if (!IsItem(tree, index) || list.size() < 2) return;
  // Work out each new item's parent as a position in the block (-1: the
  // item `index`): one level down after a deeper record, as many levels up
  // as a shallower record rises.
  std::vector<NewTreeItem> block;
  block.reserve(list.size() - 1);
  int parent = -1;
  int prev = -1;
  for (std::size_t k = 1; k < list.size(); ++k) {
    const TreeItemSnapshot& r = list[k];
    if (r.depth > list[k - 1].depth) {
      parent = prev;
    } else {
      for (int up = r.depth; up < list[k - 1].depth; ++up) {
        if (parent == -1) return RebuildOneByOne(tree, index, list);  // leaves the subtree
        parent = block[static_cast<std::size_t>(parent)].parent;
      }
    }
    block.push_back({r.text, r.image, r.selected_image, r.data, parent, r.kind, r.name});
    prev = static_cast<int>(block.size()) - 1;
  }
  tree.AddBlock(index, std::move(block));
}

namespace {

// Exchanges the item at `index` with its sibling: the two items keep their
// places and swap text, pictures and data, and their descendants are
// re-created from the recorded lists. The later of the two is rebuilt first,
// so that the earlier one's index still holds. Returns the number of items
// in the sibling's subtree.
int ExchangeWithSibling(TreeModel& tree, int index, int sibling) {
  std::vector<TreeItemSnapshot> moved_list;
  std::vector<TreeItemSnapshot> neighbour_list;
  CollectSubtree(tree, index, moved_list);
  CollectSubtree(tree, sibling, neighbour_list);
  const TreeItemSnapshot moved = TakeItemSnapshot(tree, index);
  const TreeItemSnapshot neighbour = TakeItemSnapshot(tree, sibling);
  ApplyItemSnapshot(tree, index, neighbour);
  ApplyItemSnapshot(tree, sibling, moved);
  const bool index_is_later = index > sibling;
  const int later = index_is_later ? index : sibling;
  const int earlier = index_is_later ? sibling : index;
  DeleteChildren(tree, later);
  RebuildSubtree(tree, later, index_is_later ? neighbour_list : moved_list);
  DeleteChildren(tree, earlier);
  RebuildSubtree(tree, earlier, index_is_later ? moved_list : neighbour_list);
  return static_cast<int>(neighbour_list.size());
}

}  // namespace

int MoveItemUp(TreeModel& tree, int index) {
  if (index <= 1 && tree.Parent(index) + 1 == index) return -1;
  const int sibling = FindSibling(tree, index, true);
  if (sibling == -1) return index;
  ExchangeWithSibling(tree, index, sibling);
  return sibling;
}

int MoveItemDown(TreeModel& tree, int index) {
  if (index < 0) return -1;
  const int sibling = FindSibling(tree, index, false);
  if (sibling == -1) return index;
  return index + ExchangeWithSibling(tree, index, sibling);
}

}  // namespace qm

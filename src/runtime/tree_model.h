#pragma once
// The document tree behind the tree box. Items are addressed by their
// 0-based position in a depth-first pre-order walk (the tree item index).
// Items are kept in that order in one array, so index lookup, depth and
// parent are constant time; inserting or deleting costs one pass over the
// items after the change. The tree also holds the current selection, which
// follows its item when indices shift, as a tree control's does.

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "runtime/text.h"

namespace qm {

/// Told about every change, before and after it, in tree item indices, so
/// that a view can follow (a Qt item model adapter, for example).
class TreeObserver {
 public:
  virtual ~TreeObserver() = default;
  /// A new item is about to become child number `row` of `parent` (-1: top).
  virtual void BeforeInsert(int parent, int row) = 0;
  virtual void AfterInsert() = 0;
  /// Child number `row` of `parent` is about to go, with its subtree.
  virtual void BeforeRemove(int parent, int row) = 0;
  virtual void AfterRemove() = 0;
  /// Every item is about to go.
  virtual void BeforeClear() = 0;
  virtual void AfterClear() = 0;
  /// The text or pictures of the item changed.
  virtual void ItemChanged(int index) = 0;
  /// The selection moved to `index` (-1: none).
  virtual void SelectionMoved(int index) = 0;
  /// Many items are about to be added or deleted in one step (AddBlock,
  /// DeleteItems); a view re-reads the tree after AfterReset. Items that
  /// stay keep their handles, so a view can keep their expansion. By default
  /// reported as a clear, which a view also answers by re-reading the tree.
  virtual void BeforeReset() { BeforeClear(); }
  virtual void AfterReset() { AfterClear(); }
};

/// What a tree item stands for, apart from the text it shows.
enum class TreeItemKind {
  kOther,   ///< nothing the tree knows of; its name is its text
  kFolder,  ///< a folder on disk
  kPage,    ///< a file on disk
};

/// One item of a block that TreeModel::AddBlock adds.
struct NewTreeItem {
  Text text;
  int image = 0;
  int selected_image = 0;
  long long data = 0;
  /// Position in the block of the item's parent; -1 for the item the block
  /// is added below.
  int parent = -1;
  TreeItemKind kind = TreeItemKind::kOther;
  /// The bare name of a folder or page item (unused for kOther).
  Text name;
};

class TreeModel {
 public:
  TreeModel();
  ~TreeModel();
  TreeModel(const TreeModel&) = delete;
  TreeModel& operator=(const TreeModel&) = delete;

  /// Deletes all items (the selection becomes none, without an event).
  void Clear();
  /// Number of items in the whole tree.
  int Count() const { return static_cast<int>(order_.size()); }
  /// Appends an item as the last child of `parent` (-1: last top-level item)
  /// and returns its index; -1 when `parent` is not an item. A negative
  /// `selected_image` means "the same as `image`". `name` is the bare name
  /// of a folder or page item; a kOther item's name is its text.
  int Add(int parent, const Text& text, int image = 0, int selected_image = -1, long long data = 0,
          TreeItemKind kind = TreeItemKind::kOther, const Text& name = {});
  /// Deletes the item with its whole subtree; nothing for a bad index. When
  /// the selection was inside it, the selection moves to the item's next
  /// sibling, else its parent, else its previous sibling, and the selection
  /// event is raised.
  void Delete(int index);

  /// Adds `items` below `parent` (-1: top level) in one step, with the
  /// result of adding each in turn with Add as the last child of its own
  /// parent. Each item's parent must be `parent` or an earlier block item on
  /// the path to the latest item (the block is in pre-order), so that the
  /// whole block lands after `parent`'s existing descendants. Returns the
  /// index of the first added item; -1, changing nothing, when `parent` is
  /// not an item, the block is empty or it breaks that rule. Costs one pass
  /// over the items after the block.
  int AddBlock(int parent, std::vector<NewTreeItem> items);
  /// Deletes the items at `indices` (ascending, as they stand before the
  /// call) with their subtrees, in one pass over the tree; invalid indices
  /// and items inside an earlier one's subtree are skipped. The selection is
  /// left to the caller: when it lies inside a deleted item it becomes none
  /// and the selection event is raised.
  void DeleteItems(const std::vector<int>& indices);

  /// The item's text; empty for a bad index.
  const Text& ItemText(int index) const;
  void SetItemText(int index, const Text& text);
  /// What the item stands for; kOther for a bad index.
  TreeItemKind Kind(int index) const;
  /// The item's bare name: a folder's or page's name without the marks its
  /// text may add, a kOther item's text; empty for a bad index.
  const Text& Name(int index) const;
  /// Gives the item a kind and bare name (the text stays).
  void SetKind(int index, TreeItemKind kind, const Text& name);
  /// 1 for a top-level item, one more for each level below; 0 for a bad index.
  int Depth(int index) const;
  /// The parent's index; -1 for a top-level item or a bad index.
  int Parent(int index) const;
  bool HasChildren(int index) const;
  /// Image numbers; -1 for a bad index.
  int Image(int index) const;
  int SelectedImage(int index) const;
  void SetImage(int index, int image);
  void SetSelectedImage(int index, int image);
  /// The integer stored with the item; 0 for a bad index.
  long long Data(int index) const;
  void SetData(int index, long long data);

  /// Number of items below the item (0 for a bad index).
  int DescendantCount(int index) const;
  /// Number of direct children (`parent` -1: top-level items).
  int ChildCount(int parent) const;
  /// The index of child number `row` of `parent` (-1: top level), or -1.
  int ChildAt(int parent, int row) const;
  /// The item's position among its parent's children.
  int RowOf(int index) const;
  /// A handle that stays with the item while indices shift (for views);
  /// IndexOf turns it back into the current index.
  const void* Handle(int index) const;
  int IndexOf(const void* handle) const;

  /// The selected item's index, or -1.
  int Selection() const;
  /// Selects the item (-1: none). When the selection changes, the selection
  /// listener runs at once with `how` (0 keyboard, 1 mouse, 2 otherwise).
  void Select(int index, int how = 2);
  void SetSelectionListener(std::function<void(int how)> listener) { selection_listener_ = std::move(listener); }
  void AddObserver(TreeObserver* observer) { observers_.push_back(observer); }
  void RemoveObserver(TreeObserver* observer);

 private:
  struct Node;
  bool Valid(int index) const { return index >= 0 && index < Count(); }
  void Renumber(std::size_t from);
  void EnsureRows(const Node* parent) const;
  void MoveSelection(Node* node, int how);

  std::vector<std::unique_ptr<Node>> order_;
  Node* selected_ = nullptr;
  int top_count_ = 0;
  std::function<void(int)> selection_listener_;
  std::vector<TreeObserver*> observers_;
  // Row numbers and child lists are computed on demand per parent and
  // remembered until the next structural change.
  std::uint64_t generation_ = 1;
  mutable std::uint64_t top_rows_generation_ = 0;
  mutable std::vector<Node*> top_children_;
};

}  // namespace qm

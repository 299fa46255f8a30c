#pragma once
// A Qt item model over the runtime's TreeModel, so that a QTreeView shows
// the document tree. It follows every change through TreeObserver. Model
// indices carry the tree's item handles, which stay with their items while
// tree item indices shift.
//
// Filling a cleared tree item by item would cost the view work per item;
// instead a Clear starts a model reset that stays open while items are
// added, and Settle() ends it (the window calls Settle when the operation
// that changed the tree returns, and before anything can paint).
//
// A reset would leave the view with every item collapsed. So the model
// notes the handles of the expanded items when a reset starts, drops those
// whose items go while it is open, and re-expands the rest at Settle.
// Items that a reset deletes and adds again (a move) are new and stay
// collapsed.

#include <QAbstractItemModel>
#include <functional>
#include <unordered_set>

#include "runtime/tree_model.h"

namespace qm {

class TreeItemModel : public QAbstractItemModel, public TreeObserver {
 public:
  explicit TreeItemModel(TreeModel& tree, QObject* parent = nullptr);
  ~TreeItemModel() override;

  /// Called when the tree's selection moves (tree item index, -1: none),
  /// so that the view can follow; not called while a reset is open, but
  /// once from Settle.
  void SetSelectionFollower(std::function<void(int index)> follower) { follower_ = std::move(follower); }
  /// Lets a reset keep the view's expanded items: `is_expanded` is asked
  /// about each item with children when a reset starts, and `expand` is
  /// called at Settle for each of those that still exists.
  void SetExpansionKeeper(std::function<bool(const QModelIndex&)> is_expanded,
                          std::function<void(const QModelIndex&)> expand) {
    is_expanded_ = std::move(is_expanded);
    expand_ = std::move(expand);
  }
  /// Ends an open reset; the view then reads the whole tree again.
  void Settle();
  bool Settling() const { return resetting_; }

  /// The model index of a tree item index (invalid for -1 or a bad index).
  QModelIndex IndexFor(int item) const;
  /// The tree item index of a model index (-1 for the invalid index).
  int ItemFor(const QModelIndex& index) const;

  QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
  QModelIndex parent(const QModelIndex& child) const override;
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  bool hasChildren(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;

  /// Shows tree item `item` as the home page (bold; -1: none).
  void MarkHomePage(int item);
  Qt::ItemFlags flags(const QModelIndex& index) const override;

  // TreeObserver.
  void BeforeInsert(int parent, int row) override;
  void AfterInsert() override;
  void BeforeRemove(int parent, int row) override;
  void AfterRemove() override;
  void BeforeClear() override;
  void AfterClear() override;
  void ItemChanged(int index) override;
  void SelectionMoved(int index) override;
  void BeforeReset() override;
  void AfterReset() override;

 private:
  void OpenReset();
  /// Drops the handles of items that no longer exist from `expanded_`.
  void ForgetDeadHandles();

  TreeModel& tree_;
  bool resetting_ = false;
  int home_page_ = -1;
  std::function<void(int)> follower_;
  std::function<bool(const QModelIndex&)> is_expanded_;
  std::function<void(const QModelIndex&)> expand_;
  // While a reset is open: the handles of the items to expand at Settle.
  // Only handles of live items are kept, so that a freed item's address
  // reused by a new item is never taken for the old one.
  std::unordered_set<const void*> expanded_;
};

}  // namespace qm

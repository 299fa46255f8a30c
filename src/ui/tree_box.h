#pragma once
// The tree box 树型框1: a QTreeView over TreeItemModel with expand buttons
// and connecting lines, whose selection is kept equal to the TreeModel's
// both ways: a click selects the item in the TreeModel (raising its
// selection event), and a selection the program makes shows in the view.

#include <QTreeView>
#include <functional>

#include "runtime/tree_model.h"
#include "ui/tree_item_model.h"

namespace qm {

class TreeBox : public QTreeView {
 public:
  TreeBox(TreeModel& tree, QWidget* parent);
  ~TreeBox() override;

  TreeItemModel& Model() { return model_; }
  /// Selects tree item `index` (-1: none) as a mouse click would.
  void SelectByUser(int index);

  bool AlwaysShowSelection() const { return always_show_selection_; }
  /// When off, the selection is not highlighted while the box lacks focus.
  void SetAlwaysShowSelection(bool on);

  /// Runs when the user drags an item with the mouse and lets it go on
  /// another item of the same parent: (dragged item, item let go on).
  void SetDragListener(std::function<void(int, int)> listener) { drag_listener_ = std::move(listener); }

 protected:
  void selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void Follow(int index);

  TreeModel& tree_;
  TreeItemModel model_;
  bool following_ = false;  // the view is being set from the TreeModel
  bool keyboard_ = false;   // a key press is moving the selection
  bool always_show_selection_ = false;
  std::function<void(int, int)> drag_listener_;
  int pressed_item_ = -1;  // the item the left button went down on
  QPoint press_at_;
  bool dragging_ = false;
};

}  // namespace qm

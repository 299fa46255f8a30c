#include "ui/tree_box.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QStyleOption>

namespace qm {
namespace {

// Draws the branch area like the classic tree control: dotted connecting
// lines (also from the top-level items to the root) and boxed +/- buttons.
class TreeLinesStyle : public QProxyStyle {
 public:
  TreeLinesStyle() : QProxyStyle(QStyleFactory::create("Fusion")) {}

  void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
    if (element != PE_IndicatorBranch) {
      QProxyStyle::drawPrimitive(element, option, painter, widget);
      return;
    }
    const QRect r = option->rect;
    const int mid_x = r.left() + r.width() / 2;
    const int mid_y = r.top() + r.height() / 2;
    painter->save();
    QPen dotted(QColor(128, 128, 128), 1, Qt::DotLine);
    painter->setPen(dotted);
    if (option->state & State_Item) {
      painter->drawLine(mid_x, mid_y, r.right(), mid_y);
      painter->drawLine(mid_x, r.top(), mid_x, mid_y);
      if (option->state & State_Sibling) painter->drawLine(mid_x, mid_y, mid_x, r.bottom());
    } else if (option->state & State_Sibling) {
      painter->drawLine(mid_x, r.top(), mid_x, r.bottom());
    }
    if (option->state & State_Children) {
      QRect box(mid_x - 4, mid_y - 4, 8, 8);
      painter->setPen(QColor(128, 128, 128));
      painter->setBrush(Qt::white);
      painter->drawRect(box);
      painter->setPen(Qt::black);
      painter->drawLine(box.left() + 2, mid_y, box.right() - 2, mid_y);
      if (!(option->state & State_Open)) painter->drawLine(mid_x, box.top() + 2, mid_x, box.bottom() - 2);
    }
    painter->restore();
  }
};

}  // namespace

TreeBox::TreeBox(TreeModel& tree, QWidget* parent) : QTreeView(parent), tree_(tree), model_(tree) {
  auto* style = new TreeLinesStyle;
  style->setParent(this);
  setStyle(style);
  setModel(&model_);
  setHeaderHidden(true);
  setRootIsDecorated(true);
  setUniformRowHeights(true);
  setEditTriggers(NoEditTriggers);
  setSelectionMode(SingleSelection);
  setSelectionBehavior(SelectRows);
  setIconSize(QSize(16, 16));
  setIndentation(19);
  model_.SetSelectionFollower([this](int index) { Follow(index); });
  model_.SetExpansionKeeper([this](const QModelIndex& i) { return isExpanded(i); },
                            [this](const QModelIndex& i) { expand(i); });
  SetAlwaysShowSelection(false);
}

TreeBox::~TreeBox() {
  model_.SetSelectionFollower(nullptr);
  model_.SetExpansionKeeper(nullptr, nullptr);
}

void TreeBox::SelectByUser(int index) {
  model_.Settle();
  if (index < 0) {
    // Nothing to click for "no item": the selection is cleared directly.
    tree_.Select(-1, 1);
    return;
  }
  QModelIndex i = model_.IndexFor(index);
  if (!i.isValid()) return;
  scrollTo(i);
  selectionModel()->setCurrentIndex(i, QItemSelectionModel::ClearAndSelect);
}

void TreeBox::SetAlwaysShowSelection(bool on) {
  always_show_selection_ = on;
  QPalette p = palette();
  if (on) {
    p.setColor(QPalette::Inactive, QPalette::Highlight, QColor(200, 200, 200));
    p.setColor(QPalette::Inactive, QPalette::HighlightedText, Qt::black);
  } else {
    p.setColor(QPalette::Inactive, QPalette::Highlight, p.color(QPalette::Inactive, QPalette::Base));
    p.setColor(QPalette::Inactive, QPalette::HighlightedText, p.color(QPalette::Inactive, QPalette::Text));
  }
  setPalette(p);
}

void TreeBox::selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) {
  QTreeView::selectionChanged(selected, deselected);
  if (following_ || model_.Settling()) return;
  QModelIndexList rows = selectionModel()->selectedIndexes();
  int index = rows.isEmpty() ? -1 : model_.ItemFor(rows.front());
  tree_.Select(index, keyboard_ ? 0 : 1);
}

void TreeBox::keyPressEvent(QKeyEvent* event) {
  keyboard_ = true;
  QTreeView::keyPressEvent(event);
  keyboard_ = false;
}

void TreeBox::mousePressEvent(QMouseEvent* event) {
  QTreeView::mousePressEvent(event);
  dragging_ = false;
  pressed_item_ = event->button() == Qt::LeftButton ? model_.ItemFor(indexAt(event->position().toPoint())) : -1;
  press_at_ = event->position().toPoint();
}

void TreeBox::mouseMoveEvent(QMouseEvent* event) {
  if (pressed_item_ >= 0 && (event->buttons() & Qt::LeftButton)) {
    if (!dragging_ &&
        (event->position().toPoint() - press_at_).manhattanLength() >= QApplication::startDragDistance()) {
      dragging_ = true;
      viewport()->setCursor(Qt::DragMoveCursor);
    }
    if (dragging_) return;  // the selection stays on the dragged item
  }
  QTreeView::mouseMoveEvent(event);
}

void TreeBox::mouseReleaseEvent(QMouseEvent* event) {
  const bool dropped = dragging_ && event->button() == Qt::LeftButton;
  const int item = pressed_item_;
  dragging_ = false;
  pressed_item_ = -1;
  viewport()->unsetCursor();
  QTreeView::mouseReleaseEvent(event);
  if (!dropped) return;
  const int onto = model_.ItemFor(indexAt(event->position().toPoint()));
  if (onto >= 0 && onto != item && tree_.Parent(onto) == tree_.Parent(item) && drag_listener_)
    drag_listener_(item, onto);
}

void TreeBox::Follow(int index) {
  following_ = true;
  QModelIndex i = model_.IndexFor(index);
  if (i.isValid()) {
    selectionModel()->setCurrentIndex(i, QItemSelectionModel::ClearAndSelect);
    scrollTo(i);
  } else {
    selectionModel()->clear();
  }
  following_ = false;
}

}  // namespace qm

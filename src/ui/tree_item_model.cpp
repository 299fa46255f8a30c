#include "ui/tree_item_model.h"

#include <QFont>

#include <QIcon>

#include "runtime/encoding.h"
#include "ui/tree_pictures.h"

namespace qm {
namespace {

QIcon IconFor(int image, int selected_image) {
  QIcon icon(TreePicture(image));
  QPixmap selected = TreePicture(selected_image);
  if (!selected.isNull()) icon.addPixmap(selected, QIcon::Selected);
  return icon;
}

}  // namespace

TreeItemModel::TreeItemModel(TreeModel& tree, QObject* parent) : QAbstractItemModel(parent), tree_(tree) {
  tree_.AddObserver(this);
}

TreeItemModel::~TreeItemModel() { tree_.RemoveObserver(this); }

QModelIndex TreeItemModel::IndexFor(int item) const {
  if (item < 0 || item >= tree_.Count()) return {};
  return createIndex(tree_.RowOf(item), 0, const_cast<void*>(tree_.Handle(item)));
}

int TreeItemModel::ItemFor(const QModelIndex& index) const {
  if (!index.isValid()) return -1;
  return tree_.IndexOf(index.internalPointer());
}

QModelIndex TreeItemModel::index(int row, int column, const QModelIndex& parent) const {
  if (column != 0 || row < 0) return {};
  int parent_item = parent.isValid() ? ItemFor(parent) : -1;
  int item = tree_.ChildAt(parent_item, row);
  if (item < 0) return {};
  return createIndex(row, 0, const_cast<void*>(tree_.Handle(item)));
}

QModelIndex TreeItemModel::parent(const QModelIndex& child) const {
  int item = ItemFor(child);
  if (item < 0) return {};
  return IndexFor(tree_.Parent(item));
}

int TreeItemModel::rowCount(const QModelIndex& parent) const {
  if (parent.isValid() && parent.column() != 0) return 0;
  return tree_.ChildCount(parent.isValid() ? ItemFor(parent) : -1);
}

int TreeItemModel::columnCount(const QModelIndex&) const { return 1; }

bool TreeItemModel::hasChildren(const QModelIndex& parent) const {
  if (!parent.isValid()) return tree_.ChildCount(-1) > 0;
  return parent.column() == 0 && tree_.HasChildren(ItemFor(parent));
}

QVariant TreeItemModel::data(const QModelIndex& index, int role) const {
  int item = ItemFor(index);
  if (item < 0) return {};
  if (role == Qt::DisplayRole) return QString::fromStdString(WindowText(tree_.ItemText(item)));
  if (role == Qt::DecorationRole) return IconFor(tree_.Image(item), tree_.SelectedImage(item));
  if (item == home_page_ && role == Qt::FontRole) {
    QFont bold;
    bold.setBold(true);
    return bold;
  }
  if (item == home_page_ && role == Qt::ToolTipRole) return QStringLiteral("主页");
  return {};
}

void TreeItemModel::MarkHomePage(int item) {
  if (item == home_page_) return;
  const int before = home_page_;
  home_page_ = item;
  for (int changed : {before, item}) {
    QModelIndex i = resetting_ ? QModelIndex() : IndexFor(changed);
    if (i.isValid()) emit dataChanged(i, i, {Qt::FontRole, Qt::ToolTipRole});
  }
}

Qt::ItemFlags TreeItemModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

void TreeItemModel::BeforeInsert(int parent, int row) {
  if (!resetting_) beginInsertRows(IndexFor(parent), row, row);
}

void TreeItemModel::AfterInsert() {
  if (!resetting_) endInsertRows();
}

void TreeItemModel::BeforeRemove(int parent, int row) {
  if (!resetting_) {
    beginRemoveRows(IndexFor(parent), row, row);
    return;
  }
  if (expanded_.empty()) return;
  int item = tree_.ChildAt(parent, row);
  if (item < 0) return;
  int end = item + 1 + tree_.DescendantCount(item);
  for (int i = item; i < end; ++i) expanded_.erase(tree_.Handle(i));
}

void TreeItemModel::AfterRemove() {
  if (!resetting_) endRemoveRows();
}

void TreeItemModel::OpenReset() {
  beginResetModel();
  resetting_ = true;
}

void TreeItemModel::BeforeClear() {
  expanded_.clear();
  if (!resetting_) OpenReset();
}

void TreeItemModel::BeforeReset() {
  if (resetting_) return;  // expanded_ already holds what is left to expand
  expanded_.clear();
  if (is_expanded_) {
    for (int i = 0, n = tree_.Count(); i < n; ++i) {
      if (tree_.HasChildren(i) && is_expanded_(IndexFor(i))) expanded_.insert(tree_.Handle(i));
    }
  }
  OpenReset();
}

void TreeItemModel::AfterReset() { ForgetDeadHandles(); }

void TreeItemModel::ForgetDeadHandles() {
  if (expanded_.empty()) return;
  // Handles are compared, never followed: a deleted item's handle simply
  // matches no live item.
  std::unordered_set<const void*> live;
  for (int i = 0, n = tree_.Count(); i < n && live.size() < expanded_.size(); ++i) {
    const void* h = tree_.Handle(i);
    if (expanded_.count(h)) live.insert(h);
  }
  expanded_.swap(live);
}

void TreeItemModel::AfterClear() {}

void TreeItemModel::ItemChanged(int index) {
  if (resetting_) return;
  QModelIndex i = IndexFor(index);
  emit dataChanged(i, i);
}

void TreeItemModel::SelectionMoved(int index) {
  if (!resetting_ && follower_) follower_(index);
}

void TreeItemModel::Settle() {
  if (!resetting_) return;
  resetting_ = false;
  endResetModel();
  if (!expanded_.empty() && expand_) {
    for (int i = 0, n = tree_.Count(); i < n; ++i) {
      if (expanded_.count(tree_.Handle(i))) expand_(IndexFor(i));
    }
  }
  expanded_.clear();
  if (follower_) follower_(tree_.Selection());
}

}  // namespace qm

#include "runtime/tree_model.h"

#include <algorithm>

namespace qm {

struct TreeModel::Node {
  Text text;
  int image = 0;
  int selected_image = 0;
  long long data = 0;
  TreeItemKind kind = TreeItemKind::kOther;
  Text name;  // kFolder and kPage only
  int depth = 1;
  int index = 0;
  int descendants = 0;
  int children = 0;
  Node* parent = nullptr;
  // Cached row among the siblings and list of children.
  mutable int row = 0;
  mutable std::uint64_t rows_generation = 0;
  mutable std::vector<Node*> child_list;
};

namespace {
const Text kEmptyText;
}

TreeModel::TreeModel() = default;
TreeModel::~TreeModel() = default;

void TreeModel::RemoveObserver(TreeObserver* observer) {
  observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
}

void TreeModel::Renumber(std::size_t from) {
  for (std::size_t i = from; i < order_.size(); ++i) order_[i]->index = static_cast<int>(i);
}

void TreeModel::Clear() {
  for (auto* o : observers_) o->BeforeClear();
  order_.clear();
  selected_ = nullptr;
  top_count_ = 0;
  ++generation_;
  for (auto* o : observers_) o->AfterClear();
}

int TreeModel::Add(int parent, const Text& text, int image, int selected_image, long long data, TreeItemKind kind,
                   const Text& name) {
  if (parent < -1 || parent >= Count()) return -1;
  Node* p = parent == -1 ? nullptr : order_[parent].get();
  int row = p ? p->children : top_count_;
  std::size_t pos = p ? static_cast<std::size_t>(parent + 1 + p->descendants) : order_.size();
  for (auto* o : observers_) o->BeforeInsert(parent, row);
  auto node = std::make_unique<Node>();
  node->text = text;
  node->image = image;
  node->selected_image = selected_image < 0 ? image : selected_image;
  node->data = data;
  node->kind = kind;
  if (kind != TreeItemKind::kOther) node->name = name;
  node->depth = p ? p->depth + 1 : 1;
  node->parent = p;
  order_.insert(order_.begin() + static_cast<std::ptrdiff_t>(pos), std::move(node));
  Renumber(pos);
  for (Node* a = p; a; a = a->parent) ++a->descendants;
  if (p) ++p->children;
  else ++top_count_;
  ++generation_;
  for (auto* o : observers_) o->AfterInsert();
  return static_cast<int>(pos);
}

void TreeModel::Delete(int index) {
  if (!Valid(index)) return;
  Node* node = order_[index].get();
  int count = 1 + node->descendants;
  // Where the selection goes when it lies inside the deleted subtree.
  bool selection_inside = selected_ && selected_->index >= index && selected_->index < index + count;
  Node* next_selection = nullptr;
  if (selection_inside) {
    std::size_t after = static_cast<std::size_t>(index + count);
    if (after < order_.size() && order_[after]->parent == node->parent) {
      next_selection = order_[after].get();
    } else if (node->parent) {
      next_selection = node->parent;
    } else if (RowOf(index) > 0) {
      next_selection = order_[ChildAt(-1, RowOf(index) - 1)].get();
    }
  }
  int parent_index = node->parent ? node->parent->index : -1;
  int row = RowOf(index);
  for (auto* o : observers_) o->BeforeRemove(parent_index, row);
  Node* parent = node->parent;
  if (selection_inside) selected_ = nullptr;
  order_.erase(order_.begin() + index, order_.begin() + index + count);
  Renumber(static_cast<std::size_t>(index));
  for (Node* a = parent; a; a = a->parent) a->descendants -= count;
  if (parent) --parent->children;
  else --top_count_;
  ++generation_;
  for (auto* o : observers_) o->AfterRemove();
  if (selection_inside) MoveSelection(next_selection, 2);
}

int TreeModel::AddBlock(int parent, std::vector<NewTreeItem> items) {
  if (parent < -1 || parent >= Count() || items.empty()) return -1;
  // Check that every item hangs off the path to the latest item.
  std::vector<int> path;
  for (std::size_t i = 0; i < items.size(); ++i) {
    int p = items[i].parent;
    if (p == -1) {
      path.clear();
    } else {
      if (p < 0 || static_cast<std::size_t>(p) >= i) return -1;
      while (!path.empty() && path.back() > p) path.pop_back();
      if (path.empty() || path.back() != p) return -1;
    }
    path.push_back(static_cast<int>(i));
  }
  Node* p = parent == -1 ? nullptr : order_[parent].get();
  std::size_t pos = p ? static_cast<std::size_t>(parent + 1 + p->descendants) : order_.size();
  for (auto* o : observers_) o->BeforeReset();
  std::vector<std::unique_ptr<Node>> block;
  block.reserve(items.size());
  for (NewTreeItem& item : items) {
    auto node = std::make_unique<Node>();
    node->text = std::move(item.text);
    node->image = item.image;
    node->selected_image = item.selected_image < 0 ? item.image : item.selected_image;
    node->data = item.data;
    node->kind = item.kind;
    if (item.kind != TreeItemKind::kOther) node->name = std::move(item.name);
    Node* up = item.parent == -1 ? p : block[static_cast<std::size_t>(item.parent)].get();
    node->parent = up;
    node->depth = up ? up->depth + 1 : 1;
    if (up) ++up->children;
    else ++top_count_;
    for (Node* a = up; a && a != p; a = a->parent) ++a->descendants;
    block.push_back(std::move(node));
  }
  for (Node* a = p; a; a = a->parent) a->descendants += static_cast<int>(block.size());
  order_.insert(order_.begin() + static_cast<std::ptrdiff_t>(pos), std::make_move_iterator(block.begin()),
                std::make_move_iterator(block.end()));
  Renumber(pos);
  ++generation_;
  for (auto* o : observers_) o->AfterReset();
  return static_cast<int>(pos);
}

void TreeModel::DeleteItems(const std::vector<int>& indices) {
  // Mark the subtrees that go and fix the counts of the items above them.
  std::vector<bool> gone;
  std::size_t covered_to = 0;  // first index after the last marked subtree
  bool any = false;
  for (int index : indices) {
    if (!Valid(index) || static_cast<std::size_t>(index) < covered_to) continue;
    if (!any) {
      for (auto* o : observers_) o->BeforeReset();
      gone.assign(order_.size(), false);
      any = true;
    }
    Node* node = order_[index].get();
    int count = 1 + node->descendants;
    for (int i = index; i < index + count; ++i) gone[i] = true;
    covered_to = static_cast<std::size_t>(index + count);
    for (Node* a = node->parent; a; a = a->parent) a->descendants -= count;
    if (node->parent) --node->parent->children;
    else --top_count_;
  }
  if (!any) return;
  bool selection_gone = selected_ && gone[static_cast<std::size_t>(selected_->index)];
  if (selection_gone) selected_ = nullptr;
  std::size_t kept = 0;
  for (std::size_t i = 0; i < order_.size(); ++i)
    if (!gone[i]) order_[kept++] = std::move(order_[i]);
  order_.resize(kept);
  Renumber(0);
  ++generation_;
  for (auto* o : observers_) o->AfterReset();
  if (selection_gone) MoveSelection(nullptr, 2);
}

const Text& TreeModel::ItemText(int index) const { return Valid(index) ? order_[index]->text : kEmptyText; }

void TreeModel::SetItemText(int index, const Text& text) {
  if (!Valid(index)) return;
  order_[index]->text = text;
  for (auto* o : observers_) o->ItemChanged(index);
}

TreeItemKind TreeModel::Kind(int index) const { return Valid(index) ? order_[index]->kind : TreeItemKind::kOther; }

const Text& TreeModel::Name(int index) const {
  if (!Valid(index)) return kEmptyText;
  const Node& node = *order_[index];
  return node.kind == TreeItemKind::kOther ? node.text : node.name;
}

void TreeModel::SetKind(int index, TreeItemKind kind, const Text& name) {
  if (!Valid(index)) return;
  order_[index]->kind = kind;
  order_[index]->name = kind == TreeItemKind::kOther ? Text() : name;
}

int TreeModel::Depth(int index) const { return Valid(index) ? order_[index]->depth : 0; }

int TreeModel::Parent(int index) const {
  if (!Valid(index) || !order_[index]->parent) return -1;
  return order_[index]->parent->index;
}

bool TreeModel::HasChildren(int index) const { return Valid(index) && order_[index]->children > 0; }
int TreeModel::Image(int index) const { return Valid(index) ? order_[index]->image : -1; }
int TreeModel::SelectedImage(int index) const { return Valid(index) ? order_[index]->selected_image : -1; }

void TreeModel::SetImage(int index, int image) {
  if (!Valid(index)) return;
  order_[index]->image = image;
  for (auto* o : observers_) o->ItemChanged(index);
}

void TreeModel::SetSelectedImage(int index, int image) {
  if (!Valid(index)) return;
  order_[index]->selected_image = image;
  for (auto* o : observers_) o->ItemChanged(index);
}

long long TreeModel::Data(int index) const { return Valid(index) ? order_[index]->data : 0; }

void TreeModel::SetData(int index, long long data) {
  if (Valid(index)) order_[index]->data = data;
}

int TreeModel::DescendantCount(int index) const { return Valid(index) ? order_[index]->descendants : 0; }

int TreeModel::ChildCount(int parent) const {
  if (parent == -1) return top_count_;
  return Valid(parent) ? order_[parent]->children : 0;
}

void TreeModel::EnsureRows(const Node* parent) const {
  std::uint64_t& stamp = parent ? parent->rows_generation : top_rows_generation_;
  std::vector<Node*>& list = parent ? parent->child_list : top_children_;
  if (stamp == generation_) return;
  list.clear();
  std::size_t i = parent ? static_cast<std::size_t>(parent->index + 1) : 0;
  std::size_t end = parent ? static_cast<std::size_t>(parent->index + 1 + parent->descendants) : order_.size();
  while (i < end) {
    Node* child = order_[i].get();
    child->row = static_cast<int>(list.size());
    list.push_back(child);
    i += 1 + static_cast<std::size_t>(child->descendants);
  }
  stamp = generation_;
}

int TreeModel::ChildAt(int parent, int row) const {
  if (parent != -1 && !Valid(parent)) return -1;
  const Node* p = parent == -1 ? nullptr : order_[parent].get();
  if (row < 0 || row >= (p ? p->children : top_count_)) return -1;
  EnsureRows(p);
  return (p ? p->child_list : top_children_)[row]->index;
}

int TreeModel::RowOf(int index) const {
  if (!Valid(index)) return -1;
  EnsureRows(order_[index]->parent);
  return order_[index]->row;
}

const void* TreeModel::Handle(int index) const { return Valid(index) ? order_[index].get() : nullptr; }

int TreeModel::IndexOf(const void* handle) const { return handle ? static_cast<const Node*>(handle)->index : -1; }

int TreeModel::Selection() const { return selected_ ? selected_->index : -1; }

void TreeModel::Select(int index, int how) {
  Node* node = Valid(index) ? order_[index].get() : nullptr;
  if (node == selected_) return;
  MoveSelection(node, how);
}

void TreeModel::MoveSelection(Node* node, int how) {
  selected_ = node;
  int index = node ? node->index : -1;
  for (auto* o : observers_) o->SelectionMoved(index);
  if (selection_listener_) selection_listener_(how);
}

}  // namespace qm

// The tree model: pre-order indices, the per-item values, the selection and
// its listener, observer calls, and agreement with a naive tree on random
// edits; plus a tree of 100,000 items.
#include "runtime/tree_model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <string>

namespace qm {
namespace {

// A(0) [A1(1), A2(2)], B(3) [B1(4)], C(5).
class SmallTree : public ::testing::Test {
 protected:
  SmallTree() {
    int a = tree.Add(-1, "A");
    tree.Add(a, "A1");
    tree.Add(a, "A2");
    int b = tree.Add(-1, "B");
    tree.Add(b, "B1");
    tree.Add(-1, "C");
    tree.SetSelectionListener([this](int how) { events.push_back({tree.Selection(), tree.Count(), how}); });
  }
  struct Event {
    int selection, count, how;
    bool operator==(const Event&) const = default;
  };
  TreeModel tree;
  std::vector<Event> events;
};

TEST(TreeModelIndices, PreOrderPositionsShiftOnDelete) {
  TreeModel tree;
  EXPECT_EQ(tree.Add(-1, "A"), 0);
  EXPECT_EQ(tree.Add(0, "A1"), 1);
  EXPECT_EQ(tree.Add(0, "A2"), 2);
  EXPECT_EQ(tree.Add(-1, "B"), 3);
  tree.Delete(1);
  EXPECT_EQ(tree.ItemText(2), "B");
  EXPECT_EQ(tree.ItemText(1), "A2");
  EXPECT_EQ(tree.Count(), 3);
  // Adding a child to an earlier item moves the later ones.
  EXPECT_EQ(tree.Add(0, "A3"), 2);
  EXPECT_EQ(tree.ItemText(3), "B");
  EXPECT_EQ(tree.Add(5, "bad parent"), -1);
  EXPECT_EQ(tree.Add(-2, "bad parent"), -1);
  EXPECT_EQ(tree.Count(), 4);
}

TEST_F(SmallTree, ItemValuesAndBadIndices) {
  EXPECT_EQ(tree.Depth(0), 1);
  EXPECT_EQ(tree.Depth(2), 2);
  EXPECT_EQ(tree.Parent(2), 0);
  EXPECT_EQ(tree.Parent(3), -1);
  EXPECT_TRUE(tree.HasChildren(0));
  EXPECT_FALSE(tree.HasChildren(1));
  EXPECT_EQ(tree.DescendantCount(0), 2);
  EXPECT_EQ(tree.ChildCount(-1), 3);
  EXPECT_EQ(tree.ChildAt(-1, 2), 5);
  EXPECT_EQ(tree.RowOf(4), 0);
  int item = tree.Add(4, "deep", 7, -1, 42);
  EXPECT_EQ(tree.Image(item), 7);
  EXPECT_EQ(tree.SelectedImage(item), 7);  // defaults to the image
  EXPECT_EQ(tree.Data(item), 42);
  EXPECT_EQ(tree.Depth(item), 3);
  EXPECT_EQ(tree.Image(0), 0);
  EXPECT_EQ(tree.Data(0), 0);
  tree.SetItemText(0, "X");
  tree.SetImage(0, 3);
  tree.SetSelectedImage(0, 4);
  tree.SetData(0, -9);
  EXPECT_EQ(tree.ItemText(0), "X");
  EXPECT_EQ(tree.Image(0), 3);
  EXPECT_EQ(tree.SelectedImage(0), 4);
  EXPECT_EQ(tree.Data(0), -9);
  for (int bad : {-1, tree.Count(), 1000}) {
    EXPECT_EQ(tree.ItemText(bad), "");
    EXPECT_EQ(tree.Depth(bad), 0);
    EXPECT_EQ(tree.Parent(bad), -1);
    EXPECT_FALSE(tree.HasChildren(bad));
    EXPECT_EQ(tree.Image(bad), -1);
    EXPECT_EQ(tree.SelectedImage(bad), -1);
    EXPECT_EQ(tree.Data(bad), 0);
    EXPECT_EQ(tree.RowOf(bad), -1);
    tree.SetItemText(bad, "ignored");
    tree.Delete(bad);
  }
  EXPECT_EQ(tree.Count(), 7);
  tree.Clear();
  EXPECT_EQ(tree.Count(), 0);
  EXPECT_EQ(tree.ChildCount(-1), 0);
  EXPECT_EQ(tree.Add(-1, "again"), 0);
}

TEST_F(SmallTree, TheSelectionFollowsItsItemWithoutAnEvent) {
  tree.Select(5, 1);
  EXPECT_EQ(events, (std::vector<Event>{{5, 6, 1}}));
  tree.Add(0, "A3");
  EXPECT_EQ(tree.Selection(), 6);
  tree.Delete(1);
  tree.Delete(1);
  EXPECT_EQ(tree.Selection(), 4);
  EXPECT_EQ(tree.ItemText(tree.Selection()), "C");
  tree.Select(4);  // already selected: nothing happens
  EXPECT_EQ(events.size(), 1u);
}

TEST_F(SmallTree, DeletingTheSelectionMovesItLikeATreeControl) {
  tree.Select(1);  // A1: its next sibling A2 takes over
  tree.Delete(1);
  EXPECT_EQ(tree.ItemText(tree.Selection()), "A2");
  tree.Select(1);  // A2, the last child: its parent
  tree.Delete(1);
  EXPECT_EQ(tree.ItemText(tree.Selection()), "A");
  tree.Select(3);  // C, the last top-level item: the previous sibling
  tree.Delete(3);
  EXPECT_EQ(tree.ItemText(tree.Selection()), "B");
  tree.Select(2);  // B1 inside the deleted B: B's own neighbours count
  events.clear();
  tree.Delete(1);
  EXPECT_EQ(tree.ItemText(tree.Selection()), "A");
  // Each move raised the event at once, seeing the tree after the delete.
  EXPECT_EQ(events, (std::vector<Event>{{0, 1, 2}}));
  tree.Delete(0);  // the only item
  EXPECT_EQ(tree.Selection(), -1);
  EXPECT_EQ(events.back(), (Event{-1, 0, 2}));
}

TEST_F(SmallTree, ClearingDropsTheSelectionWithoutAnEvent) {
  tree.Select(2);
  events.clear();
  tree.Clear();
  EXPECT_EQ(tree.Selection(), -1);
  EXPECT_TRUE(events.empty());
  tree.Select(-1);
  EXPECT_TRUE(events.empty());
}

TEST_F(SmallTree, TheListenerRunsNestedAndMaySelectAgain) {
  std::vector<int> seen;
  tree.SetSelectionListener([&](int) {
    seen.push_back(tree.Selection());
    if (tree.Selection() == 1) tree.Select(2);  // an operation reacting to the change
  });
  tree.Select(1);
  EXPECT_EQ(seen, (std::vector<int>{1, 2}));
  EXPECT_EQ(tree.Selection(), 2);
  tree.Select(99);  // a bad index selects nothing
  EXPECT_EQ(tree.Selection(), -1);
}

class RecordingObserver : public TreeObserver {
 public:
  explicit RecordingObserver(const TreeModel& tree) : tree_(tree) {}
  std::vector<std::string> log;
  void BeforeInsert(int parent, int row) override { Note("+?", parent, row); }
  void AfterInsert() override { Note("+!", -9, -9); }
  void BeforeRemove(int parent, int row) override { Note("-?", parent, row); }
  void AfterRemove() override { Note("-!", -9, -9); }
  void BeforeClear() override { Note("0?", -9, -9); }
  void AfterClear() override { Note("0!", -9, -9); }
  void ItemChanged(int index) override { Note("c", index, -9); }
  void SelectionMoved(int index) override { Note("s", index, -9); }

 private:
  // Each call with its arguments and the item count at that moment.
  void Note(const char* what, int a, int b) {
    std::string line = what;
    if (a != -9) line += " " + std::to_string(a);
    if (b != -9) line += " " + std::to_string(b);
    log.push_back(line + " n" + std::to_string(tree_.Count()));
  }
  const TreeModel& tree_;
};

TEST_F(SmallTree, ObserversHearEveryChangeBeforeAndAfter) {
  RecordingObserver observer(tree);
  tree.AddObserver(&observer);
  tree.Add(3, "B2");
  tree.Add(-1, "D");
  tree.Select(4);
  tree.Delete(3);  // B with B1 and B2; the selection (B1) moves to C
  tree.SetItemText(0, "A!");
  tree.SetImage(1, 2);
  tree.Clear();
  tree.RemoveObserver(&observer);
  tree.Add(-1, "unheard");
  EXPECT_EQ(observer.log, (std::vector<std::string>{"+? 3 1 n6", "+! n7", "+? -1 3 n7", "+! n8", "s 4 n8", "-? -1 1 n8",
                                                    "-! n5", "s 3 n5", "c 0 n5", "c 1 n5", "0? n5", "0! n0"}));
}

// A plain tree of child lists, walked from the root on every question.
class NaiveTree {
 public:
  std::vector<int> Order() const {
    std::vector<int> order;
    Walk(top_, &order);
    return order;
  }
  int IndexOf(int id) const {
    std::vector<int> order = Order();
    auto it = std::find(order.begin(), order.end(), id);
    return it == order.end() ? -1 : static_cast<int>(it - order.begin());
  }
  int Add(int parent_index, int id) {
    int parent = parent_index < 0 ? -1 : Order()[parent_index];
    parent_[id] = parent;
    children_[id];
    Children(parent).push_back(id);
    return IndexOf(id);
  }
  // Removes the item and its subtree; returns where a selection inside it
  // goes: next sibling, else parent, else previous sibling, else -1 (ids).
  int Delete(int index) {
    int id = Order()[index];
    std::vector<int>& siblings = Children(parent_[id]);
    auto pos = std::find(siblings.begin(), siblings.end(), id) - siblings.begin();
    int heir = -1;
    if (pos + 1 < static_cast<long>(siblings.size())) heir = siblings[pos + 1];
    else if (parent_[id] != -1) heir = parent_[id];
    else if (pos > 0) heir = siblings[pos - 1];
    siblings.erase(siblings.begin() + pos);
    Forget(id);
    return heir;
  }
  bool Contains(int id) const { return parent_.count(id) > 0; }
  int ParentOf(int id) const { return parent_.at(id); }
  const std::vector<int>& ChildrenOf(int id) const { return id == -1 ? top_ : children_.at(id); }
  int Depth(int id) const { return id == -1 ? 0 : 1 + Depth(parent_.at(id)); }
  int Size(int id) const {
    int n = 1;
    for (int c : ChildrenOf(id)) n += Size(c);
    return n;
  }

 private:
  void Walk(const std::vector<int>& items, std::vector<int>* order) const {
    for (int id : items) {
      order->push_back(id);
      Walk(children_.at(id), order);
    }
  }
  std::vector<int>& Children(int id) { return id == -1 ? top_ : children_[id]; }
  void Forget(int id) {
    for (int c : children_[id]) Forget(c);
    children_.erase(id);
    parent_.erase(id);
  }
  std::vector<int> top_;
  std::map<int, std::vector<int>> children_;
  std::map<int, int> parent_;
};

TEST(TreeModelRandom, AgreesWithANaiveTreeOnRandomEdits) {
  std::mt19937 rng(31337);
  TreeModel tree;
  NaiveTree naive;
  int next_id = 0, selected = -1, events = 0, expected_events = 0;
  std::map<int, const void*> handles;
  tree.SetSelectionListener([&](int) { ++events; });
  for (int step = 0; step < 4000; ++step) {
    int count = tree.Count();
    unsigned op = rng() % 10;
    if (op < 6 || count < 3) {
      int parent = count == 0 || rng() % 4 == 0 ? -1 : static_cast<int>(rng() % count);
      int id = next_id++;
      int index = tree.Add(parent, "item" + std::to_string(id), id % 5, -1, id);
      ASSERT_EQ(index, naive.Add(parent, id));
      handles[id] = tree.Handle(index);
    } else if (op < 8 && count > 60) {
      int index = static_cast<int>(rng() % count);
      int id = static_cast<int>(tree.Data(index));
      int heir = naive.Delete(index);
      bool inside = selected != -1 && !naive.Contains(selected);
      if (inside) {
        selected = heir;
        ++expected_events;
      }
      tree.Delete(index);
      handles.erase(id);
    } else if (count > 0) {
      int index = static_cast<int>(rng() % count);
      int id = static_cast<int>(tree.Data(index));
      if (id != selected) ++expected_events;
      tree.Select(index);
      selected = id;
    }
    ASSERT_EQ(events, expected_events) << "step " << step;
    if (step % 7 != 0) continue;
    std::vector<int> order = naive.Order();
    ASSERT_EQ(tree.Count(), static_cast<int>(order.size()));
    ASSERT_EQ(tree.Selection(), selected == -1 ? -1 : naive.IndexOf(selected));
    ASSERT_EQ(tree.ChildCount(-1), static_cast<int>(naive.ChildrenOf(-1).size()));
    for (int i = 0; i < static_cast<int>(order.size()); ++i) {
      int id = order[i];
      int parent = naive.ParentOf(id);
      int parent_index = parent == -1 ? -1 : naive.IndexOf(parent);
      const std::vector<int>& siblings = naive.ChildrenOf(parent);
      int row = static_cast<int>(std::find(siblings.begin(), siblings.end(), id) - siblings.begin());
      ASSERT_EQ(tree.Data(i), id);
      ASSERT_EQ(tree.ItemText(i), "item" + std::to_string(id));
      ASSERT_EQ(tree.Parent(i), parent_index);
      ASSERT_EQ(tree.Depth(i), naive.Depth(id));
      ASSERT_EQ(tree.RowOf(i), row);
      ASSERT_EQ(tree.ChildAt(parent_index, row), i);
      ASSERT_EQ(tree.ChildCount(i), static_cast<int>(naive.ChildrenOf(id).size()));
      ASSERT_EQ(tree.HasChildren(i), !naive.ChildrenOf(id).empty());
      ASSERT_EQ(tree.DescendantCount(i), naive.Size(id) - 1);
      ASSERT_EQ(tree.IndexOf(handles.at(id)), i);
    }
  }
}

TEST(TreeModelLarge, AHundredThousandItemsAreBuiltAndQueried) {
  TreeModel tree;
  std::mt19937 rng(5);
  std::vector<int> path;  // the open folders, outermost first
  const int kItems = 100000;
  while (tree.Count() < kItems) {
    while (!path.empty() && rng() % 8 == 0) path.pop_back();
    int parent = path.empty() ? -1 : path.back();
    int index = tree.Add(parent, "page.htm", 1, 2, tree.Count());
    ASSERT_EQ(index, tree.Count() - 1);
    if (rng() % 6 == 0 && path.size() < 12) path.push_back(index);
  }
  long long rows = 0;
  for (int i = 0; i < kItems; ++i) {
    int parent = tree.Parent(i);
    ASSERT_EQ(tree.Depth(i), parent == -1 ? 1 : tree.Depth(parent) + 1);
    ASSERT_EQ(tree.ChildAt(parent, tree.RowOf(i)), i);
    rows += tree.RowOf(i);
  }
  EXPECT_GT(rows, 0);
  // Edits in the middle keep every count consistent.
  for (int n = 0; n < 50; ++n) {
    tree.Add(static_cast<int>(rng() % tree.Count()), "new");
    tree.Delete(static_cast<int>(rng() % tree.Count()));
  }
  int total = 0;
  for (int row = 0; row < tree.ChildCount(-1); ++row) total += 1 + tree.DescendantCount(tree.ChildAt(-1, row));
  EXPECT_EQ(total, tree.Count());
}

}  // namespace
}  // namespace qm

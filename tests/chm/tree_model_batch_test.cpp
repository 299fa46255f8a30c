// Adding a block of items and deleting many items in one step give the tree
// that adding and deleting them one at a time gives.
#include <gtest/gtest.h>

#include <random>

#include "runtime/tree_model.h"
#include "tree_test_support.h"

namespace qm {
namespace {

using test::BuildRandom;
using test::DumpStructure;

// A random block in pre-order: every item hangs off the path to the latest.
std::vector<NewTreeItem> RandomBlock(std::mt19937& rng, int size) {
  std::vector<NewTreeItem> block;
  std::vector<int> path;
  for (int i = 0; i < size; ++i) {
    path.resize(rng() % (path.size() + 1));
    int parent = path.empty() ? -1 : path.back();
    block.push_back({"n" + std::to_string(i),
                     static_cast<int>(rng() % 2),
                     static_cast<int>(rng() % 3),
                     static_cast<long long>(i),
                     parent,
                     TreeItemKind::kOther,
                     {}});
    path.push_back(i);
  }
  return block;
}

TEST(TreeModelAddBlock, GivesTheTreeOfAddingEachItemInTurn) {
  std::mt19937 rng(7);
  for (int round = 0; round < 300; ++round) {
    TreeModel fast, slow;
    int size = static_cast<int>(rng() % 30);
    unsigned seed = rng();
    std::mt19937 a(seed), b(seed);
    BuildRandom(fast, a, size, 4);
    BuildRandom(slow, b, size, 4);
    int parent = static_cast<int>(rng() % (fast.Count() + 1)) - 1;
    std::vector<NewTreeItem> block = RandomBlock(rng, 1 + static_cast<int>(rng() % 12));

    std::vector<int> added;
    for (const NewTreeItem& item : block) {
      int up = item.parent == -1 ? parent : added[static_cast<std::size_t>(item.parent)];
      added.push_back(slow.Add(up, item.text, item.image, item.selected_image, item.data));
    }
    int first = fast.AddBlock(parent, block);
    EXPECT_EQ(first, added.front());
    ASSERT_EQ(DumpStructure(fast), DumpStructure(slow)) << "round " << round;
  }
}

TEST(TreeModelAddBlock, RefusesABlockThatWouldNotStayInOrder) {
  TreeModel tree;
  tree.Add(-1, "a");
  // Item 2 names item 0 as its parent although item 1 (a child of item 0)
  // was added in between: fine. Item 3 names item 1 after item 2 closed it.
  std::vector<NewTreeItem> block = {{"x", 0, 0, 0, -1, TreeItemKind::kOther, {}},
                                    {"y", 0, 0, 0, 0, TreeItemKind::kOther, {}},
                                    {"z", 0, 0, 0, 0, TreeItemKind::kOther, {}},
                                    {"w", 0, 0, 0, 1, TreeItemKind::kOther, {}}};
  EXPECT_EQ(tree.AddBlock(0, block), -1);
  EXPECT_EQ(tree.AddBlock(5, {{"x", 0, 0, 0, -1, TreeItemKind::kOther, {}}}), -1);
  EXPECT_EQ(tree.AddBlock(0, {}), -1);
  EXPECT_EQ(tree.Count(), 1);
  block.pop_back();
  EXPECT_EQ(tree.AddBlock(0, block), 1);
  EXPECT_EQ(tree.Count(), 4);
}

TEST(TreeModelDeleteItems, GivesTheTreeOfDeletingEachItemInTurn) {
  std::mt19937 rng(11);
  for (int round = 0; round < 300; ++round) {
    TreeModel fast, slow;
    int size = 1 + static_cast<int>(rng() % 40);
    unsigned seed = rng();
    std::mt19937 a(seed), b(seed);
    BuildRandom(fast, a, size, 4);
    BuildRandom(slow, b, size, 4);
    std::vector<int> indices;
    for (int i = 0; i < fast.Count(); ++i)
      if (rng() % 4 == 0) indices.push_back(i);
    indices.push_back(fast.Count() + 3);  // a bad index is skipped

    fast.DeleteItems(indices);
    // One at a time from the last: the earlier indices still hold. An item
    // inside an earlier one's subtree goes with that one.
    std::vector<int> roots;
    int covered_to = 0;
    for (int i : indices) {
      if (i >= slow.Count() || i < covered_to) continue;
      roots.push_back(i);
      covered_to = i + 1 + slow.DescendantCount(i);
    }
    for (auto it = roots.rbegin(); it != roots.rend(); ++it) slow.Delete(*it);
    ASSERT_EQ(DumpStructure(fast), DumpStructure(slow)) << "round " << round;
  }
}

struct CountingObserver : TreeObserver {
  int resets = 0, clears = 0;
  void BeforeInsert(int, int) override {}
  void AfterInsert() override {}
  void BeforeRemove(int, int) override {}
  void AfterRemove() override {}
  void BeforeClear() override { ++clears; }
  void AfterClear() override {}
  void ItemChanged(int) override {}
  void SelectionMoved(int) override {}
};

struct ResetObserver : CountingObserver {
  void BeforeReset() override { ++resets; }
  void AfterReset() override {}
};

TEST(TreeModelDeleteItems, SelectionFollowsItsItemOrBecomesNoneWithTheEvent) {
  TreeModel tree;
  test::Build(tree, {{1, "<a>"}, {2, "x"}, {2, "y"}, {1, "b"}, {1, "c"}});
  int events = 0;
  tree.SetSelectionListener([&](int) { ++events; });
  tree.Select(4);
  events = 0;
  tree.DeleteItems({0});
  EXPECT_EQ(tree.Selection(), 1);  // "c" moved up
  EXPECT_EQ(events, 0);
  tree.DeleteItems({1});
  EXPECT_EQ(tree.Selection(), -1);
  EXPECT_EQ(events, 1);
  tree.DeleteItems({});
  tree.DeleteItems({7});
  EXPECT_EQ(tree.Count(), 1);
}

TEST(TreeModelBatch, ObserversSeeOneResetPerStep) {
  TreeModel tree;
  ResetObserver reset;
  CountingObserver plain;  // without its own reset: told of a clear
  tree.AddObserver(&reset);
  tree.AddObserver(&plain);
  tree.AddBlock(-1, {{"a", 0, 0, 0, -1, TreeItemKind::kOther, {}},
                     {"b", 0, 0, 0, 0, TreeItemKind::kOther, {}},
                     {"c", 0, 0, 0, -1, TreeItemKind::kOther, {}}});
  tree.DeleteItems({0, 1});
  EXPECT_EQ(reset.resets, 2);
  EXPECT_EQ(reset.clears, 0);
  EXPECT_EQ(plain.clears, 2);
  EXPECT_EQ(test::Dump(tree), "1 0/0 0 c\n");
}

}  // namespace
}  // namespace qm

// Tree editing: the buttons under the document tree on the worked trees,
// and the fast operations against the step-by-step ones on random trees.
#include <gtest/gtest.h>

#include <random>

#include "chm/document_tree.h"
#include "chm/tree_editing.h"
#include "chm/tree_operations.h"
#include "chm/tree_paths.h"
#include "core/control_names.h"
#include "literal_tree_ops.h"
#include "support/operation_fixture.h"
#include "tree_test_support.h"

namespace qm {
namespace {

using test::Build;
using test::Dump;

// The window's wiring: selection changes run OnTreeSelectionChanged.
struct TreeTab : MemoryFixture {
  TreeTab() {
    tree.SetSelectionListener([this](int how) { OnTreeSelectionChanged(ctx, how); });
  }
  Text HomeBox() { return ui.GetText(chm::kHomePageBox); }
};

// <ch1> with x.htm and y.htm, then a.htm.
const test::Outline kChapter = {{1, "<ch1>"}, {2, "x.htm"}, {2, "y.htm"}, {1, "a.htm"}};

TEST(MoveButtons, MoveDownSwapsAFolderWithItsNextSibling) {
  TreeTab t;
  Build(t.tree, kChapter);
  t.tree.Select(0);
  OnMoveDownClicked(t.ctx);
  EXPECT_EQ(Dump(t.tree), "1 1/1 0 a.htm\n1 0/0 0 <ch1>\n2 1/1 0 x.htm\n2 1/1 0 y.htm\n");
  EXPECT_EQ(t.tree.Selection(), 1);
  EXPECT_EQ(t.HomeBox(), "<ch1>\\");
  EXPECT_EQ(t.ui.focused, chm::kTree);
}

TEST(MoveButtons, MoveUpOfTheLaterSiblingGivesTheSameTree) {
  TreeTab t;
  Build(t.tree, kChapter);
  t.tree.Select(3);
  OnMoveUpClicked(t.ctx);
  EXPECT_EQ(Dump(t.tree), "1 1/1 0 a.htm\n1 0/0 0 <ch1>\n2 1/1 0 x.htm\n2 1/1 0 y.htm\n");
  EXPECT_EQ(t.tree.Selection(), 0);
  EXPECT_EQ(t.HomeBox(), "a.htm\\");
  EXPECT_EQ(t.ui.focused, chm::kTree);
}

TEST(MoveButtons, EndsOfTheSiblingListChangeNothing) {
  TreeTab t;
  Build(t.tree, {{1, "<ch1>"}, {2, "x.htm"}, {2, "y.htm"}, {1, "<ch2>"}, {2, "z.htm"}, {1, "a.htm"}});
  const std::string before = Dump(t.tree);

  t.tree.Select(0);  // first item of the tree: no selection afterwards
  OnMoveUpClicked(t.ctx);
  EXPECT_EQ(t.tree.Selection(), -1);
  EXPECT_EQ(t.HomeBox(), "");
  t.tree.Select(1);  // first child of the first item: the same
  OnMoveUpClicked(t.ctx);
  EXPECT_EQ(t.tree.Selection(), -1);
  t.tree.Select(4);  // first child of another folder: stays selected
  OnMoveUpClicked(t.ctx);
  EXPECT_EQ(t.tree.Selection(), 4);
  t.tree.Select(2);  // last child of a folder
  OnMoveDownClicked(t.ctx);
  EXPECT_EQ(t.tree.Selection(), 2);
  t.tree.Select(5);  // last top-level item
  OnMoveDownClicked(t.ctx);
  EXPECT_EQ(t.tree.Selection(), 5);
  EXPECT_EQ(Dump(t.tree), before);

  t.tree.Select(-1);  // nothing selected: nothing changes, the tree gets the focus
  t.ui.focused.clear();
  OnMoveDownClicked(t.ctx);
  OnMoveUpClicked(t.ctx);
  OnDeleteItemClicked(t.ctx);
  OnDeleteChildrenClicked(t.ctx);
  EXPECT_EQ(Dump(t.tree), before);
  EXPECT_EQ(t.tree.Selection(), -1);
  EXPECT_EQ(t.ui.focused, chm::kTree);
}

TEST(MoveButtons, DocumentMovesUpPastAFolderWithAllItsChildren) {
  TreeTab t;
  Build(t.tree, {{1, "a.htm"}, {1, "<ch1>"}, {2, "<sub>"}, {3, "s.htm"}, {2, "x.htm"}, {1, "b.htm"}});
  t.tree.Select(5);
  OnMoveUpClicked(t.ctx);
  EXPECT_EQ(Dump(t.tree), "1 1/1 0 a.htm\n1 1/1 0 b.htm\n1 0/0 0 <ch1>\n2 0/0 0 <sub>\n3 1/1 0 s.htm\n2 1/1 0 x.htm\n");
  EXPECT_EQ(t.tree.Selection(), 1);
  t.tree.SetData(1, 42);  // item data travels with the move
  OnMoveDownClicked(t.ctx);
  EXPECT_EQ(t.tree.Selection(), 5);
  EXPECT_EQ(t.tree.ItemText(5), "b.htm");
  EXPECT_EQ(t.tree.Data(5), 42);
}

TEST(DeleteButtons, DeleteChildrenEmptiesAFolderAndLeavesLeavesAlone) {
  TreeTab t;
  Build(t.tree, {{1, "<ch1>"}, {2, "x.htm"}, {2, "y.htm"}, {1, "<empty>"}, {1, "a.htm"}});
  t.tree.Select(4);
  OnDeleteChildrenClicked(t.ctx);
  t.tree.Select(3);
  OnDeleteChildrenClicked(t.ctx);
  EXPECT_EQ(t.tree.Count(), 5);
  t.tree.Select(0);
  OnDeleteChildrenClicked(t.ctx);
  EXPECT_EQ(Dump(t.tree), "1 0/0 0 <ch1>\n1 0/0 0 <empty>\n1 1/1 0 a.htm\n");
  EXPECT_EQ(t.tree.Selection(), 0);
}

TEST(DeleteButtons, DeleteChildrenWithTheSelectionBelowEndsOnTheItem) {
  TreeTab t;
  Build(t.tree, {{1, "<ch1>"}, {2, "<sub>"}, {3, "s.htm"}, {2, "x.htm"}, {1, "a.htm"}});
  t.tree.Select(2);
  DeleteChildren(t.tree, 0);
  EXPECT_EQ(t.tree.Selection(), 0);
  EXPECT_EQ(t.HomeBox(), "<ch1>\\");
}

TEST(DeleteButtons, DeleteItemTakesTheSubtreeAndTheSelectionMovesOn) {
  TreeTab t;
  Build(t.tree, kChapter);
  t.tree.Select(0);
  OnDeleteItemClicked(t.ctx);
  EXPECT_EQ(Dump(t.tree), "1 1/1 0 a.htm\n");
  EXPECT_EQ(t.tree.Selection(), 0);
  EXPECT_EQ(t.HomeBox(), "a.htm\\");
}

TEST(FilterButton, InheritedEmptiedFoldersGoOnlyOnTheNextPress) {
  TreeTab t;
  Build(t.tree, {{1, "<img>"}, {2, "c.gif"}, {1, "a.htm"}, {1, "b.txt"}, {1, "readme.HTM"}});
  OnFilterClicked(t.ctx);
  EXPECT_EQ(Dump(t.tree), "1 0/0 0 <img>\n1 1/1 0 a.htm\n1 1/1 0 readme.HTM\n");
  OnFilterClicked(t.ctx);
  EXPECT_EQ(Dump(t.tree), "1 1/1 0 a.htm\n1 1/1 0 readme.HTM\n");
}

TEST(FilterButton, InheritedFoldersNamedLikePagesStay) {
  TreeTab t;
  Build(t.tree, {{1, "<pages.htm>"}, {1, "<empty>"}, {1, "c.html"}, {1, "style.css"}});
  t.tree.Select(3);
  OnFilterClicked(t.ctx);
  EXPECT_EQ(Dump(t.tree), "1 0/0 0 <pages.htm>\n1 1/1 0 c.html\n");
  // The selected style sheet went; the tree chose the previous top-level item.
  EXPECT_EQ(t.tree.Selection(), 1);
  EXPECT_EQ(t.HomeBox(), "c.html\\");
}

TEST(FindSiblingAndCount, EdgesOfTheTree) {
  TreeModel tree;
  Build(tree, {{1, "only"}});
  EXPECT_EQ(FindSibling(tree, 0, false), -1);
  EXPECT_EQ(CountDescendants(tree, 0), 0);
  EXPECT_EQ(CountDescendants(tree, -1), -1);
  Build(tree, kChapter);
  EXPECT_EQ(FindSibling(tree, 0, false), 3);
  EXPECT_EQ(FindSibling(tree, 3, true), 0);
  EXPECT_EQ(FindSibling(tree, 2, false), -1);
  EXPECT_EQ(FindSibling(tree, 1, true), -1);
  EXPECT_EQ(FindSibling(tree, -1, false), -1);
  EXPECT_EQ(CountDescendants(tree, 0), 2);
  EXPECT_EQ(CountDescendants(tree, 3), 0);
}

TEST(RebuildSubtree, ListsThatLeaveTheItemAreFollowedStepByStep) {
  // A hand-made list whose depths climb above the item: the items land
  // where adding them one by one puts them.
  TreeModel fast, slow;
  for (TreeModel* tree : {&fast, &slow}) Build(*tree, {{1, "<a>"}, {2, "<b>"}, {1, "c"}});
  std::vector<TreeItemSnapshot> list = {{"<b>", 0, 0, 0, 2, TreeItemKind::kOther, {}},
                                        {"x", 1, 1, 0, 5, TreeItemKind::kOther, {}},
                                        {"y", 1, 1, 0, 3, TreeItemKind::kOther, {}},
                                        {"z", 1, 1, 0, 1, TreeItemKind::kOther, {}}};
  RebuildSubtree(fast, 1, list);
  literal::RebuildSubtree(slow, 1, list);
  EXPECT_EQ(test::DumpStructure(fast), test::DumpStructure(slow));
}

// Runs one operation on two copies of a random tree, the fast one and the
// step-by-step one, each with a listener that records the selection events,
// and compares trees, results, selections and what the listener saw last.
struct Twin {
  TreeModel tree;
  int events = 0;
  Text last_path;
  Twin() {
    tree.SetSelectionListener([this](int) {
      ++events;
      last_path = literal::TreeItemPath(tree, tree.Selection());
    });
  }
};

class RandomTrees : public ::testing::TestWithParam<int> {};

TEST_P(RandomTrees, FastOperationsMatchTheStepByStepOnes) {
  const int operation = GetParam();
  std::mt19937 rng(1000 + operation);
  for (int round = 0; round < 400; ++round) {
    Twin fast, slow;
    const int size = 1 + static_cast<int>(rng() % 40);
    const unsigned seed = rng();
    std::mt19937 a(seed), b(seed);
    test::BuildRandom(fast.tree, a, size, 5);
    test::BuildRandom(slow.tree, b, size, 5);
    const int selected = static_cast<int>(rng() % (size + 1)) - 1;
    const int target = static_cast<int>(rng() % (size + 1)) - 1;
    fast.tree.Select(selected);
    slow.tree.Select(selected);
    fast.events = slow.events = 0;

    int fast_result = 0, slow_result = 0;
    switch (operation) {
      case 0:
        fast_result = FindSibling(fast.tree, target, false) * 1000 + FindSibling(fast.tree, target, true);
        slow_result =
            literal::FindSibling(slow.tree, target, false) * 1000 + literal::FindSibling(slow.tree, target, true);
        fast_result = fast_result * 100 + CountDescendants(fast.tree, target);
        slow_result = slow_result * 100 + literal::CountDescendants(slow.tree, target);
        break;
      case 1:
        DeleteChildren(fast.tree, target);
        literal::DeleteChildren(slow.tree, target);
        break;
      case 2:
        FilterTree(fast.tree);
        literal::FilterTree(slow.tree);
        break;
      case 3:
        fast_result = MoveItemUp(fast.tree, target);
        slow_result = literal::MoveItemUp(slow.tree, target);
        break;
      case 4:
        fast_result = MoveItemDown(fast.tree, target);
        slow_result = literal::MoveItemDown(slow.tree, target);
        break;
      case 5: {
        std::vector<TreeItemSnapshot> x, y;
        if (target >= 0) {
          CollectSubtree(fast.tree, target, x);
          literal::CollectSubtree(slow.tree, target, y);
          ASSERT_EQ(x.size(), y.size());
          DeleteChildren(fast.tree, target);
          RebuildSubtree(fast.tree, target, x);
          literal::DeleteChildren(slow.tree, target);
          literal::RebuildSubtree(slow.tree, target, y);
        }
        break;
      }
      case 6:
        ASSERT_EQ(DocumentOrderListOf(fast.tree), literal::DocumentOrderList(slow.tree));
        for (int i = -1; i <= fast.tree.Count(); ++i)
          ASSERT_EQ(TreeItemPath(fast.tree, i), literal::TreeItemPath(slow.tree, i));
        break;
    }
    SCOPED_TRACE("round " + std::to_string(round));
    ASSERT_EQ(fast_result, slow_result);
    ASSERT_EQ(test::DumpStructure(fast.tree), test::DumpStructure(slow.tree));
    ASSERT_EQ(fast.tree.Selection(), slow.tree.Selection());
    ASSERT_EQ(fast.events > 0, slow.events > 0);
    ASSERT_EQ(fast.last_path, slow.last_path);
  }
}

INSTANTIATE_TEST_SUITE_P(Operations, RandomTrees, ::testing::Range(0, 7));

}  // namespace
}  // namespace qm

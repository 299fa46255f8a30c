// The tree box keeps its expanded items across the model resets that block
// additions and deletions cause.
#include <gtest/gtest.h>

#include <QAbstractItemModelTester>

#include "ui/qt_app.h"
#include "ui/tree_box.h"

namespace qm {
namespace {

class TreeExpansionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // <a>: a1, <a2>: deep ; <b>: b1, b2 ; <c>: c1
    a = tree.Add(-1, "<a>");
    tree.Add(a, "a1.htm", 1);
    a2 = tree.Add(a, "<a2>");
    tree.Add(a2, "deep.htm", 1);
    b = tree.Add(-1, "<b>");
    tree.Add(b, "b1", 1);
    tree.Add(b, "b2.htm", 1);
    c = tree.Add(-1, "<c>");
    tree.Add(c, "c1.htm", 1);
  }
  bool Expanded(const Text& text) {
    for (int i = 0; i < tree.Count(); ++i)
      if (tree.ItemText(i) == text) return box.isExpanded(box.Model().IndexFor(i));
    ADD_FAILURE() << "no item " << text;
    return false;
  }
  int Find(const Text& text) {
    for (int i = 0; i < tree.Count(); ++i)
      if (tree.ItemText(i) == text) return i;
    return -1;
  }
  void Expand(const Text& text) { box.expand(box.Model().IndexFor(Find(text))); }

  QApplication& app = TestApp();  // before any widget
  TreeModel tree;
  TreeBox box{tree, nullptr};
  QAbstractItemModelTester tester{&box.Model(), QAbstractItemModelTester::FailureReportingMode::Fatal};
  int a = -1, a2 = -1, b = -1, c = -1;
};

TEST_F(TreeExpansionTest, DeletionsKeepTheSurvivorsExpandedAndForgetTheDeleted) {
  Expand("<a>");
  Expand("<a2>");
  Expand("<b>");
  // Delete b1 and the whole <a2> subtree in one step, as the filter does.
  tree.DeleteItems({Find("<a2>"), Find("b1")});
  EXPECT_TRUE(box.Model().Settling());
  box.Model().Settle();
  EXPECT_TRUE(Expanded("<a>"));
  EXPECT_TRUE(Expanded("<b>"));
  EXPECT_FALSE(Expanded("<c>"));
  EXPECT_EQ(Find("<a2>"), -1);
  EXPECT_EQ(box.Model().rowCount(box.Model().IndexFor(Find("<b>"))), 1);
}

TEST_F(TreeExpansionTest, AMovedSubtreeComesBackCollapsedItsNewParentStaysOpen) {
  Expand("<a>");
  Expand("<a2>");
  Expand("<c>");
  // A move: the subtree goes and is added again below <c>, both in one open reset.
  tree.DeleteItems({Find("<a2>")});
  int parent = Find("<c>");
  tree.AddBlock(parent,
                {{"<a2>", 0, 0, 0, -1, TreeItemKind::kOther, {}}, {"deep.htm", 1, 1, 0, 0, TreeItemKind::kOther, {}}});
  box.Model().Settle();
  EXPECT_TRUE(Expanded("<a>"));
  EXPECT_TRUE(Expanded("<c>"));
  EXPECT_FALSE(Expanded("<a2>"));
  EXPECT_EQ(tree.Parent(Find("<a2>")), Find("<c>"));
}

TEST_F(TreeExpansionTest, ItemsDeletedOneByOneInsideAResetAreNotReExpanded) {
  Expand("<a>");
  Expand("<b>");
  Expand("<c>");
  tree.DeleteItems({Find("a1.htm")});
  // While the reset is open, <b> goes item by item and new items come.
  tree.Delete(Find("<b>"));
  int d = tree.Add(-1, "<d>");
  tree.Add(d, "d1.htm", 1);
  tree.AddBlock(Find("<c>"), {{"c2.htm", 1, 1, 0, -1, TreeItemKind::kOther, {}}});
  box.Model().Settle();
  EXPECT_TRUE(Expanded("<a>"));
  EXPECT_TRUE(Expanded("<c>"));
  EXPECT_FALSE(Expanded("<d>"));
}

TEST_F(TreeExpansionTest, AClearForgetsEverything) {
  Expand("<a>");
  tree.DeleteItems({Find("b1")});
  tree.Clear();
  int x = tree.Add(-1, "<a>");
  tree.Add(x, "a1.htm", 1);
  box.Model().Settle();
  EXPECT_FALSE(Expanded("<a>"));
  // A later reset starts from what the view shows now.
  Expand("<a>");
  tree.AddBlock(Find("<a>"), {{"a3.htm", 1, 1, 0, -1, TreeItemKind::kOther, {}}});
  box.Model().Settle();
  EXPECT_TRUE(Expanded("<a>"));
  EXPECT_EQ(box.Model().rowCount(box.Model().IndexFor(Find("<a>"))), 2);
}

}  // namespace
}  // namespace qm

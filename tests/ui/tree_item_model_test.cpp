#include "ui/tree_item_model.h"

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QSignalSpy>

#include "ui/qt_app.h"

namespace qm {
namespace {

class TreeItemModelTest : public ::testing::Test {
 protected:
  void SetUp() override { TestApp(); }
  TreeModel tree;
  TreeItemModel model{tree};
  QAbstractItemModelTester tester{&model, QAbstractItemModelTester::FailureReportingMode::Fatal};
};

TEST_F(TreeItemModelTest, FollowsAddsAndDeletesItemByItem) {
  int a = tree.Add(-1, "<a>", 0);
  tree.Add(a, "a1.htm", 1);
  int a2 = tree.Add(a, "<a2>", 0);
  tree.Add(a2, "deep.htm", 1);
  tree.Add(-1, "b.htm", 1);
  EXPECT_EQ(model.rowCount(), 2);
  QModelIndex ia = model.index(0, 0);
  EXPECT_EQ(model.rowCount(ia), 2);
  EXPECT_EQ(model.ItemFor(model.index(1, 0)), 4);
  EXPECT_EQ(model.data(model.index(1, 0, ia), Qt::DisplayRole).toString(), QString("<a2>"));

  QPersistentModelIndex b = model.index(1, 0);
  tree.Delete(1);  // a1.htm: later items move up one index
  EXPECT_EQ(model.ItemFor(b), 3);
  EXPECT_EQ(model.rowCount(model.index(0, 0)), 1);
  tree.Delete(0);
  EXPECT_EQ(model.rowCount(), 1);
  EXPECT_EQ(model.data(model.index(0, 0), Qt::DisplayRole).toString(), QString("b.htm"));
}

TEST_F(TreeItemModelTest, IndicesAndItemsMapBothWays) {
  int a = tree.Add(-1, "<a>");
  int x = tree.Add(a, "x");
  tree.Add(-1, "y");
  for (int i = 0; i < tree.Count(); ++i) EXPECT_EQ(model.ItemFor(model.IndexFor(i)), i);
  EXPECT_FALSE(model.IndexFor(-1).isValid());
  EXPECT_FALSE(model.IndexFor(3).isValid());
  EXPECT_EQ(model.parent(model.IndexFor(x)), model.IndexFor(a));
  EXPECT_FALSE(model.data(model.IndexFor(x), Qt::DecorationRole).isNull());
}

TEST_F(TreeItemModelTest, ARefillAfterClearIsOneResetEndedBySettle) {
  tree.Add(-1, "old");
  QSignalSpy inserts(&model, &QAbstractItemModel::rowsInserted);
  QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
  std::vector<int> followed;
  model.SetSelectionFollower([&](int i) { followed.push_back(i); });
  tree.Clear();
  int a = tree.Add(-1, "<a>");
  for (int i = 0; i < 1000; ++i) tree.Add(a, "p.htm", 1);
  tree.Select(5);
  EXPECT_TRUE(model.Settling());
  EXPECT_TRUE(followed.empty());
  model.Settle();
  EXPECT_FALSE(model.Settling());
  EXPECT_EQ(inserts.count(), 0);
  EXPECT_EQ(resets.count(), 1);
  EXPECT_EQ(followed, std::vector<int>{5});
  EXPECT_EQ(model.rowCount(model.index(0, 0)), 1000);
  // After the reset, changes are reported one by one again.
  tree.Add(-1, "z");
  EXPECT_EQ(inserts.count(), 1);
}

TEST_F(TreeItemModelTest, TextAndPictureChangesAreReported) {
  tree.Add(-1, "a", 0);
  QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
  tree.SetItemText(0, "b");
  tree.SetImage(0, 1);
  EXPECT_EQ(changed.count(), 2);
  EXPECT_EQ(model.data(model.index(0, 0), Qt::DisplayRole).toString(), QString("b"));
}

}  // namespace
}  // namespace qm

// What is shown is what gets built: tree edits can be taken back, a compile
// after an edit writes the contents of the tree as it stands, and closing
// asks before unbuilt edits are lost.
#include "chm/tree_history.h"

#include <gtest/gtest.h>

#include <random>

#include "chm/compile.h"
#include "chm/document_tree.h"
#include "chm/project_files.h"
#include "chm/tree_editing.h"
#include "chm/tree_operations.h"
#include "chm/tree_paths.h"
#include "core/control_names.h"
#include "runtime/encoding.h"
#include "support/operation_fixture.h"
#include "tree_test_support.h"

namespace qm {
namespace {

using test::Dump;

struct ChmTab : MemoryFixture {
  ChmTab() {
    tree.SetSelectionListener([this](int how) { OnTreeSelectionChanged(ctx, how); });
    fs.AddFile("/books/MyBook/ch1/x.htm", "x");
    fs.AddFile("/books/MyBook/a.htm", "a");
    fs.AddFile("/books/MyBook/b.htm", "b");
    fs.AddFile("/books/MyBook/c.htm", "c");
    processes.on_run = [this](const Text&, bool) {
      fs.AddFile("/books/MyBook/MyBook.chm", "ITSF");
      RunResult r;
      r.started = r.finished = true;
      r.exit_status = 0;
      return r;
    };
    OnChmFolderDrop(ctx, "/books/MyBook");
  }
  // Selects a page as the home page and lets the preview tick.
  void ChooseHomePage(int index) {
    tree.Select(index);
    RefreshProjectPreview(ctx);
  }
};

TEST(TreeHistoryTest, UndoTakesBackEachEditInTurnUpToTheDepth) {
  std::mt19937 rng(24);
  ChmTab t;
  test::BuildRandom(t.tree, rng, 150, 4);
  std::vector<std::string> shown{Dump(t.tree)};
  void (*const buttons[])(Context&) = {&OnMoveUpClicked, &OnMoveDownClicked, &OnDeleteItemClicked,
                                       &OnDeleteChildrenClicked, &OnFilterClicked};
  for (int step = 0; step < 200 && t.tree.Count() > 1; ++step) {
    t.tree.Select(static_cast<int>(rng() % static_cast<unsigned>(t.tree.Count())));
    if (step % 4 == 3) {
      const int item = t.tree.Selection();
      const int onto = FindSibling(t.tree, item, rng() % 2 == 0);
      DragTreeItem(t.ctx, item, onto);
    } else {
      buttons[rng() % 5](t.ctx);
    }
    if (Dump(t.tree) != shown.back()) shown.push_back(Dump(t.tree));
  }
  ASSERT_GT(shown.size(), kUndoDepth + 1);
  for (std::size_t i = 0; i < kUndoDepth; ++i) {
    ASSERT_TRUE(UndoTreeEdit(t.ctx));
    EXPECT_EQ(Dump(t.tree), shown[shown.size() - 2 - i]) << "undo " << i + 1;
  }
  EXPECT_FALSE(UndoTreeEdit(t.ctx));  // older edits are forgotten
}

TEST(TreeHistoryTest, ADragIsTheMovesThatBringTheItemThere) {
  ChmTab t;  // <ch1> with x.htm, then a.htm, b.htm and c.htm
  ChmTab by_buttons;
  by_buttons.tree.Select(0);
  for (int i = 0; i < 3; ++i) OnMoveDownClicked(by_buttons.ctx);
  DragTreeItem(t.ctx, 0, t.tree.ChildAt(-1, 3));
  EXPECT_EQ(Dump(t.tree), Dump(by_buttons.tree));
  EXPECT_EQ(t.tree.Selection(), by_buttons.tree.Selection());
  DragTreeItem(t.ctx, t.tree.Selection(), t.tree.ChildAt(-1, 0));  // and back up
  UndoTreeEdit(t.ctx);
  EXPECT_EQ(Dump(t.tree), Dump(by_buttons.tree));  // one drag is one step
  const std::string before = Dump(t.tree);
  DragTreeItem(t.ctx, 4, 0);  // x.htm inside <ch1> and a top-level page: nothing
  EXPECT_EQ(Dump(t.tree), before);
}

TEST(TreeHistoryTest, CompilingAfterATreeEditWritesTheContentsOfTheTreeFirst) {
  ChmTab t;
  t.ChooseHomePage(2);
  BuildContents(t.ctx);
  EXPECT_FALSE(HasUnbuiltTreeEdits(t.state));
  const Text built = t.fs.Contents("/books/MyBook/MyBook.hhc");

  t.tree.Select(2);
  OnDeleteItemClicked(t.ctx);
  EXPECT_TRUE(HasUnbuiltTreeEdits(t.state));
  CompileChm(t.ctx);
  const Text rebuilt = t.fs.Contents("/books/MyBook/MyBook.hhc");
  EXPECT_NE(rebuilt, built);
  EXPECT_EQ(rebuilt, ContentsText(t.tree));
  EXPECT_FALSE(HasUnbuiltTreeEdits(t.state));
  EXPECT_EQ(t.ui.messages.back().content, "ok");

  // Taking the edit back is a change the contents file does not show yet;
  // with "不自建目录" ticked the project is compiled as it is.
  UndoTreeEdit(t.ctx);
  EXPECT_TRUE(HasUnbuiltTreeEdits(t.state));
  t.ui.SetTicked(chm::kNoOwnContentsBox, true);
  CompileChm(t.ctx);
  EXPECT_EQ(t.fs.Contents("/books/MyBook/MyBook.hhc"), rebuilt);
}

TEST(TreeHistoryTest, ClosingAsksOnlyWhenEditsWouldBeLost) {
  ChmTab t;
  EXPECT_TRUE(MayCloseWindow(t.ctx));  // a fresh drop: nothing to lose
  EXPECT_TRUE(t.ui.messages.empty());
  t.tree.Select(1);
  OnMoveUpClicked(t.ctx);  // nothing to pass: no edit
  EXPECT_TRUE(MayCloseWindow(t.ctx));
  t.tree.Select(4);
  OnMoveUpClicked(t.ctx);
  EXPECT_FALSE(MayCloseWindow(t.ctx));  // the memory box answers OK, not Yes
  ASSERT_EQ(t.ui.messages.size(), 1u);
  EXPECT_EQ(t.ui.messages[0].flags, 4 | 0x20);
  UndoTreeEdit(t.ctx);
  EXPECT_TRUE(MayCloseWindow(t.ctx));
  OnFilterClicked(t.ctx);
  OnChmFolderDrop(t.ctx, "/books/MyBook");  // a new drop starts afresh
  EXPECT_TRUE(MayCloseWindow(t.ctx));
  EXPECT_FALSE(UndoTreeEdit(t.ctx));
}

TEST(TreeHistoryTest, TheHomePageNamesANodeOfTheTree) {
  ChmTab t;
  t.tree.Select(1);
  EXPECT_EQ(HomePageItem(t.ctx), 1);
  t.ui.SetText(chm::kHomePageBox, Gbk("gone.htm\\"));
  EXPECT_EQ(HomePageItem(t.ctx), -1);
  KeepHomePageInTree(t.ctx);
  EXPECT_EQ(t.ui.GetText(chm::kHomePageBox), TreeItemPath(t.tree, 1));
  EXPECT_EQ(t.ui.Interval(chm::kPreviewTimer), chm::kPreviewDelayMs);
}

}  // namespace
}  // namespace qm

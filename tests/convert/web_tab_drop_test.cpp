// Drops on the web-pages tab: which path box and button each mode fills,
// the order list of the paged book, and drops of single files.

#include "convert/web_tab_drop.h"

#include <gtest/gtest.h>

#include "core/control_names.h"
#include "runtime/encoding.h"
#include "support/operation_fixture.h"

namespace qm {
namespace {

using namespace controls;

class WebTabDropTest : public ::testing::Test {
 protected:
  WebTabDropTest() {
    f.fs.AddFile("/b/2.txt", "");
    f.fs.AddFile("/b/1.txt", "");
    f.fs.AddFile("/b/notes.doc", "");
    f.fs.AddFile("/b/sub.txt/inner.txt", "");  // a folder named like a text
    f.fs.AddFile("/one.htm", "");
    for (auto button : {kSimplifyButton, kReencodeButton, kRenameButton, kBatchConvertButton, kBatchUndoButton}) {
      f.ui.SetDisabled(button, true);
    }
    f.ui.SetText(kOrderListBox, "old list\r\n");
  }
  void Choose(std::string_view radio) { f.ui.SetTicked(radio, true); }

  MemoryFixture f;
};

TEST_F(WebTabDropTest, PagedBookModeListsTheTextFiles) {
  Choose(kBookModeRadio);
  OnWebTabDrop(f.ctx, "/b");
  EXPECT_EQ(f.ui.GetText(kBookFolderBox), "/b");
  EXPECT_EQ(f.ui.GetText(kOrderListBox), "1.txt\r\n2.txt\r\n");
  EXPECT_TRUE(f.ui.messages.empty());
}

TEST_F(WebTabDropTest, PagedBookModeAtTheRootDoesNotDoubleTheSeparator) {
  f.fs.AddFile("/r.txt", "");
  Choose(kBookModeRadio);
  OnWebTabDrop(f.ctx, "/");
  EXPECT_EQ(f.ui.GetText(kOrderListBox), "r.txt\r\n");
  EXPECT_NE(std::find(f.fs.log.begin(), f.fs.log.end(), "list /"), f.fs.log.end());
}

TEST_F(WebTabDropTest, PagedBookModeTakesASingleFileWithAnEmptyList) {
  Choose(kBookModeRadio);
  OnWebTabDrop(f.ctx, "/one.htm");
  EXPECT_EQ(f.ui.GetText(kBookFolderBox), "/one.htm");
  EXPECT_EQ(f.ui.GetText(kOrderListBox), "");
}

TEST_F(WebTabDropTest, SimplifierModeRefusesASingleFile) {
  Choose(kSimplifyModeRadio);
  f.ui.SetText(kSimplifyFolderBox, "before");
  OnWebTabDrop(f.ctx, "/one.htm");
  ASSERT_EQ(f.ui.messages.size(), 1u);
  EXPECT_EQ(f.ui.messages[0].content, Gbk("不处理单一文件！"));
  EXPECT_EQ(f.ui.GetText(kSimplifyFolderBox), "before");
  EXPECT_TRUE(f.ui.IsDisabled(kSimplifyButton));
  EXPECT_EQ(f.ui.GetText(kOrderListBox), "");
}

TEST_F(WebTabDropTest, InheritedSeveralDroppedItemsCountAsAFolder) {
  Choose(kSimplifyModeRadio);
  OnWebTabDrop(f.ctx, "/b/1.txt\r\n/b/2.txt\r\n");
  EXPECT_EQ(f.ui.GetText(kSimplifyFolderBox), "/b/1.txt\r\n/b/2.txt\r\n");
  EXPECT_FALSE(f.ui.IsDisabled(kSimplifyButton));
  EXPECT_TRUE(f.ui.messages.empty());
}

TEST_F(WebTabDropTest, ReencodeAndRenameModesIgnoreASingleFile) {
  Choose(kReencodeModeRadio);
  OnWebTabDrop(f.ctx, "/one.htm");
  EXPECT_TRUE(f.ui.IsDisabled(kReencodeButton));
  EXPECT_EQ(f.ui.GetText(kReencodeFolderBox), "");
  OnWebTabDrop(f.ctx, "/b");
  EXPECT_FALSE(f.ui.IsDisabled(kReencodeButton));
  EXPECT_EQ(f.ui.GetText(kReencodeFolderBox), "/b");

  f.ui.SetTicked(kReencodeModeRadio, false);
  Choose(kRenameModeRadio);
  OnWebTabDrop(f.ctx, "/one.htm");
  EXPECT_TRUE(f.ui.IsDisabled(kRenameButton));
  OnWebTabDrop(f.ctx, "/b");
  EXPECT_FALSE(f.ui.IsDisabled(kRenameButton));
  EXPECT_EQ(f.ui.GetText(kRenameFolderBox), "/b");
  EXPECT_TRUE(f.ui.messages.empty());
}

TEST_F(WebTabDropTest, BatchModeEnablesBothButtonsForAFolderAndUndoForAFile) {
  Choose(kBatchModeRadio);
  OnWebTabDrop(f.ctx, "/one.htm");
  EXPECT_TRUE(f.ui.IsDisabled(kBatchConvertButton));
  EXPECT_FALSE(f.ui.IsDisabled(kBatchUndoButton));
  EXPECT_EQ(f.ui.GetText(kBatchFolderBox), "/one.htm");

  OnWebTabDrop(f.ctx, "/b");
  EXPECT_FALSE(f.ui.IsDisabled(kBatchConvertButton));
  EXPECT_EQ(f.ui.GetText(kBatchFolderBox), "/b");
  EXPECT_EQ(f.ui.GetText(kOrderListBox), "");
}

TEST_F(WebTabDropTest, FirstCheckedModeWinsAndNoModeOnlyClearsTheList) {
  OnWebTabDrop(f.ctx, "/b");
  EXPECT_EQ(f.ui.GetText(kOrderListBox), "");
  EXPECT_EQ(f.ui.GetText(kBookFolderBox), "");
  EXPECT_EQ(f.ui.GetText(kBatchFolderBox), "");
  EXPECT_TRUE(f.ui.IsDisabled(kBatchUndoButton));

  Choose(kBatchModeRadio);
  Choose(kSimplifyModeRadio);
  OnWebTabDrop(f.ctx, "/b");
  EXPECT_EQ(f.ui.GetText(kSimplifyFolderBox), "/b");
  EXPECT_EQ(f.ui.GetText(kBatchFolderBox), "");
}

}  // namespace
}  // namespace qm

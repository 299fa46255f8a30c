// The in-memory controls that operation tests read their results from.
#include "support/memory_controls.h"

#include <gtest/gtest.h>

#include "runtime/encoding.h"

namespace qm {
namespace {

TEST(MemoryControls, UnknownControlsReadEmptyEnabledAndUnticked) {
  MemoryControls ui;
  EXPECT_EQ(ui.GetText("编辑框1"), "");
  EXPECT_FALSE(ui.IsDisabled("按钮转CHM"));
  EXPECT_FALSE(ui.IsTicked("单选框1"));
  EXPECT_EQ(ui.Interval("时钟1"), 0);
  EXPECT_FALSE(ui.AlwaysShowSelection("树型框1"));
}

TEST(MemoryControls, PropertiesKeepWhatWasWrittenPerControl) {
  MemoryControls ui;
  const Text lines = Gbk("第一行\r\n第二行");
  ui.SetText("编辑框11", lines);
  ui.SetDisabled("按钮转网页", true);
  ui.SetTicked("选择框1", true);
  ui.SetAlwaysShowSelection("树型框1", true);
  ui.SetFocus("编辑框4");
  EXPECT_EQ(ui.GetText("编辑框11"), lines);
  EXPECT_EQ(ui.GetText("编辑框1"), "");
  EXPECT_TRUE(ui.IsDisabled("按钮转网页"));
  EXPECT_TRUE(ui.IsTicked("选择框1"));
  EXPECT_TRUE(ui.AlwaysShowSelection("树型框1"));
  EXPECT_EQ(ui.focused, "编辑框4");
}

TEST(MemoryControls, TheTimerRestartsOnlyWhenItsIntervalChanges) {
  MemoryControls ui;
  ui.SetInterval("时钟1", 1000);
  ui.SetInterval("时钟1", 1000);
  EXPECT_EQ(ui.timer_restarts, 1);
  ui.SetInterval("时钟1", -1);  // stops it
  EXPECT_EQ(ui.Interval("时钟1"), 0);
  ui.SetInterval("时钟1", 1000);
  EXPECT_EQ(ui.timer_restarts, 2);
}

TEST(MemoryControls, MessagesAndCursorAreRecorded) {
  MemoryControls ui;
  Dialogs& dialogs = ui;
  EXPECT_EQ(dialogs.MessageBox("ok"), 0);
  dialogs.MessageBox(Gbk("出错"), 0x30, "caption");
  ASSERT_EQ(ui.messages.size(), 2u);
  EXPECT_EQ(ui.messages[0].content, "ok");
  EXPECT_EQ(ui.messages[0].caption, Gbk("信息："));
  EXPECT_EQ(ui.messages[1].flags, 0x30);
  EXPECT_EQ(ui.messages[1].caption, "caption");
  Cursor& cursor = ui;
  cursor.SetWaitCursor();
  EXPECT_TRUE(ui.wait_cursor);
  cursor.RestoreCursor();
  EXPECT_FALSE(ui.wait_cursor);
  EXPECT_EQ(ui.cursor_log, (std::vector<std::string>{"wait", "restore"}));
}

}  // namespace
}  // namespace qm

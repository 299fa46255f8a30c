#include "ui/qt_controls.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCursor>

#include "core/control_names.h"
#include "runtime/encoding.h"
#include "ui/main_window.h"
#include "ui/qt_app.h"
#include "ui/tree_box.h"

namespace qm {
namespace {

struct NoEvents : WindowEvents {
  void OnClicked(std::string_view) override {}
  void OnTimerTick(std::string_view) override {}
  void OnFilesDropped(std::string_view, const Text&) override {}
  void OnWindowClosed() override {}
};

class QtControlsTest : public ::testing::Test {
 protected:
  // The application must exist before the window.
  struct AppFirst {
    AppFirst() { TestApp(); }
  } app_first;
  TreeModel tree;
  NoEvents events;
  MainWindow window{tree, events};
  std::vector<std::string> printed;
  QtControls ui{window, [this](const std::string& line) { printed.push_back(line); }};
};

TEST_F(QtControlsTest, PropertiesByControlName) {
  ui.SetText(chm::kProjectBox, "[OPTIONS]\r\nTitle=x");
  EXPECT_EQ(ui.GetText(chm::kProjectBox), "[OPTIONS]\r\nTitle=x");
  ui.SetDisabled(chm::kCompileButton, false);
  EXPECT_FALSE(ui.IsDisabled(chm::kCompileButton));
  ui.SetDisabled(chm::kBuildButton, true);
  EXPECT_TRUE(ui.IsDisabled(chm::kBuildButton));
  ui.SetInterval(chm::kPreviewTimer, 1000);
  EXPECT_EQ(ui.Interval(chm::kPreviewTimer), 1000);
  ui.SetAlwaysShowSelection(chm::kTree, true);
  EXPECT_TRUE(ui.AlwaysShowSelection(chm::kTree));
  EXPECT_FALSE(ui.IsTicked(chm::kNoOwnContentsBox));
  window.Button(chm::kNoOwnContentsBox)->click();
  EXPECT_TRUE(ui.IsTicked(chm::kNoOwnContentsBox));
  // Unknown names read as empty and change nothing.
  EXPECT_EQ(ui.GetText("编辑框99"), "");
  EXPECT_FALSE(ui.IsDisabled("按钮99"));
  ui.SetText(controls::kBookConvertButton, "x");
}

TEST_F(QtControlsTest, MessageBoxesArePrintedAndAnsweredOkInScriptMode) {
  EXPECT_EQ(ui.MessageBox(Gbk("ok")), 0);
  EXPECT_EQ(ui.MessageBox(Gbk("出错\r\n了"), 4, Gbk("标题")), 0);
  EXPECT_EQ(printed, (std::vector<std::string>{"message 信息：: ok", "message 标题: 出错\\r\\n了"}));
}

TEST_F(QtControlsTest, WaitCursorNestsAndRestoresTheFormerCursor) {
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  ui.SetWaitCursor();
  ui.SetWaitCursor();
  ASSERT_NE(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
  ui.RestoreCursor();
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  ui.RestoreCursor();
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

}  // namespace
}  // namespace qm

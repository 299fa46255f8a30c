#include "ui/script_driver.h"

#include <gtest/gtest.h>

#include <sstream>

#include "app/scoped_env.h"
#include "core/control_names.h"
#include "support/temp_dir.h"
#include "ui/qt_app.h"
#include "ui/shell.h"

namespace qm {
namespace {

// Runs a script on a fresh shell whose system directory is a scratch
// folder.
class ScriptDriverTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TestApp();
    env.Set("windir", dir.path() + "/windows");
  }
  int Run(const std::string& script) {
    Shell shell([this](const std::string& line) { out << line << '\n'; });
    ScriptDriver driver(shell, out);
    shell.Start();
    std::istringstream in(script);
    return driver.Run(in, err);
  }
  ScopedEnv env;
  TempDir dir;
  std::ostringstream out, err;
};

TEST_F(ScriptDriverTest, ShowPrintsEachKindOfControl) {
  EXPECT_EQ(Run("show 编辑框原类型\nshow 按钮转CHM\nshow 单选框utf8gb2312\nshow 时钟1\nshow 树型框1\n"), 0);
  EXPECT_EQ(out.str(),
            "编辑框原类型 text=\".txt\" disabled=0\n"
            "按钮转CHM disabled=1\n"
            "单选框utf8gb2312 ticked=0 disabled=0\n"
            "时钟1 interval=0\n"
            "树型框1 selection=-1 always_show_selection=0 count=0\n");
}

TEST_F(ScriptDriverTest, ClickingADisabledButtonRunsNothing) {
  EXPECT_EQ(Run("click 按钮CHM解包\ntick 选择框自动换行\ntick 选择框自动换行\nshow 选择框自动换行\n"
                "untick 选择框自动换行\nshow 选择框自动换行\n"),
            0);
  EXPECT_EQ(out.str(),
            "disabled 按钮CHM解包\n"
            "选择框自动换行 ticked=1 disabled=0\n"
            "选择框自动换行 ticked=0 disabled=0\n");
}

TEST_F(ScriptDriverTest, TypedTextComesBackExactly) {
  EXPECT_EQ(Run("type 编辑框11 一\\r\\n二\\xB0\nshow 编辑框11\ntype 编辑框11\nshow 编辑框11\n"), 0);
  EXPECT_EQ(out.str(), "编辑框11 text=\"一\\r\\n二\\xB0\" disabled=0\n编辑框11 text=\"\" disabled=0\n");
}

TEST_F(ScriptDriverTest, TypeLeavesTheCaretAfterTheTypedText) {
  EXPECT_EQ(Run("type 编辑框11 a.txt\\r\\nb.txt\nkey 编辑框11 Enter\nshow 编辑框11\n"), 0);
  EXPECT_EQ(out.str(), "编辑框11 text=\"a.txt\\r\\nb.txt\\r\\n\" disabled=0\n");
}

TEST_F(ScriptDriverTest, EscEndsTheScriptWithClosed) {
  EXPECT_EQ(Run("key 编辑框4 Esc\nshow 编辑框4\n"), 0);
  EXPECT_EQ(out.str(), "closed\n");
}

TEST_F(ScriptDriverTest, ErrorsNameTheLineAndExitWith2) {
  EXPECT_EQ(Run("# comment\n\nshow 编辑框1\nfrobnicate\nshow 编辑框1\n"), 2);
  EXPECT_EQ(err.str(), "error: line 4: unknown command \"frobnicate\"\n");
  EXPECT_EQ(out.str().find(chm::kFolderBox), 0u);
  EXPECT_EQ(out.str().find(chm::kFolderBox, 1), std::string::npos);
}

TEST_F(ScriptDriverTest, SelectingAMissingTreeItemIsAWrongArgument) {
  EXPECT_EQ(Run("select -1\nselect 0\n"), 2);
  EXPECT_EQ(err.str(), "error: line 2: wrong argument: tree item 0 does not exist (0 items)\n");
}

TEST_F(ScriptDriverTest, StartUpInstallsTheWorkingFilesItCarries) {
  EXPECT_EQ(Run("state\n"), 0);
  EXPECT_EQ(out.str().rfind("DateText=\"", 0), 0u);
  EXPECT_NE(out.str().find("BookName=\"\"\nDocumentOrderList=\"\"\n"), std::string::npos);
}

}  // namespace
}  // namespace qm

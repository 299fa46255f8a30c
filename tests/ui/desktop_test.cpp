// What a desktop user reaches without dragging: the folder chooser of each
// drop box does exactly what a drop of the folder does, a path on the
// command line lands in the CHM tab's folder box, and Tab moves the focus
// out of the order list.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QFont>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <fstream>

#include "app/scoped_env.h"
#include "core/control_names.h"
#include "core/window_layout.h"
#include "support/temp_dir.h"
#include "ui/progress_dialog.h"
#include "ui/qt_app.h"
#include "ui/shell.h"
#include "ui/tree_box.h"

namespace qm {
namespace {

class DesktopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TestApp();
    env.Set("windir", dir.path() + "/windows");
    book = dir.path() + "/书";
    std::filesystem::create_directory(book);
    std::ofstream(book + "/a.txt") << "x";
    std::ofstream(book + "/b.htm") << "y";
  }
  std::unique_ptr<Shell> NewShell() {
    auto shell = std::make_unique<Shell>([](const std::string&) {});
    shell->Start();
    return shell;
  }
  // Every control property an operation can read, one line each.
  static std::string Snapshot(Shell& shell) {
    std::string s;
    for (const ControlInfo& c : WindowControls()) {
      std::string name(c.name);
      if (c.kind == ControlKind::kEditBox) s += name + "=" + shell.Ui().GetText(name) + "\n";
      if (c.kind == ControlKind::kButton || c.kind == ControlKind::kRadioButton || c.kind == ControlKind::kCheckBox)
        s +=
            name + " " + std::to_string(shell.Ui().IsDisabled(name)) + std::to_string(shell.Ui().IsTicked(name)) + "\n";
    }
    return s + "tree " + std::to_string(shell.Tree().Count()) + "\n";
  }
  static void Settle() {
    for (int i = 0; i < 3; ++i) QCoreApplication::sendPostedEvents();
  }
  ScopedEnv env;
  TempDir dir;
  std::string book;
};

TEST_F(DesktopTest, ChoosingAFolderDoesWhatDroppingItDoes) {
  for (const FolderBox& f : FolderBoxes()) {
    SCOPED_TRACE(std::string(f.box));
    auto chosen = NewShell();
    chosen->Window().Button(controls::kSimplifyModeRadio)->click();  // another tool is selected
    chosen->Window().ChooseFolder(f.box, book);
    Settle();
    auto dropped = NewShell();
    dropped->Window().Button(controls::kSimplifyModeRadio)->click();
    if (!f.radio.empty()) {
      // The user selects the box's tool and drops the folder on the page.
      dropped->Window().Button(f.radio)->click();
      dropped->Window().DropFiles(controls::kTabControl, {book});
    } else {
      dropped->Window().DropFiles(f.box, {book});
    }
    Settle();
    EXPECT_EQ(Snapshot(*chosen), Snapshot(*dropped));
    EXPECT_NE(chosen->Ui().GetText(f.box).find("/"), std::string::npos);
    EXPECT_EQ(qobject_cast<QLineEdit*>(chosen->Window().Control(f.box))->actions().size(), 1);
  }
}

TEST_F(DesktopTest, APathOnTheCommandLineIsDroppedOnTheChmFolderBox) {
  auto shell = NewShell();
  std::filesystem::current_path(dir.path());
  shell->OpenPaths({"书"});
  Settle();
  EXPECT_EQ(shell->Window().Tabs().currentIndex(), 1);
  EXPECT_EQ(shell->Ui().GetText(chm::kFolderBox), dir.path() + "/" + shell->State().BookName);
  EXPECT_EQ(shell->Tree().Count(), 2);
}

TEST_F(DesktopTest, TabLeavesTheOrderListWithoutTypingATab) {
  auto shell = NewShell();
  shell->Window().show();
  QWidget* list = shell->Window().Control(controls::kOrderListBox);
  list->setFocus();
  QTest::keyClick(list, Qt::Key_Tab);
  EXPECT_EQ(shell->Ui().GetText(controls::kOrderListBox), "");
  EXPECT_NE(QApplication::focusWidget(), list);
}

TEST_F(DesktopTest, WhileAnOperationRunsOnlyTheProgressDialogTakesInput) {
  auto shell = NewShell();
  MainWindow& window = shell->Window();
  window.show();
  ProgressDialog progress(window);
  progress.Begin();
  QProgressDialog* dialog = nullptr;
  QElapsedTimer clock;
  clock.start();
  for (long done = 0; !dialog && clock.elapsed() < 5000; ++done) {
    ASSERT_TRUE(progress.Step(done % 100, 100, "a.txt"));
    dialog = window.findChild<QProgressDialog*>();
  }
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
  // A click on the window and a drop on it do nothing while the work runs.
  QAbstractButton* build = window.Button(chm::kBuildButton);
  int clicks = 0;
  QObject::connect(build, &QAbstractButton::clicked, [&] { ++clicks; });
  QTest::mouseClick(build, Qt::LeftButton);
  window.DropFiles(chm::kFolderBox, {book});
  EXPECT_TRUE(progress.Step(1, 2, "b.txt"));
  QCoreApplication::sendPostedEvents();
  EXPECT_EQ(clicks, 0);
  EXPECT_EQ(shell->Tree().Count(), 0);
  // The dialog's Cancel button does reach it: the next step says stop.
  QTest::mouseClick(dialog->findChild<QPushButton*>(), Qt::LeftButton);
  EXPECT_FALSE(progress.Step(1, 2, "b.txt"));
  progress.Close();
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  QTest::mouseClick(build, Qt::LeftButton);
  EXPECT_EQ(clicks, 1);
}

TEST_F(DesktopTest, EveryBoxIsReadableWhateverTheDesktopTheme) {
  // Every colour role is the program's own, so no desktop theme fills any in.
  const QPalette app = QApplication::palette();
  for (int r = 0; r < QPalette::NColorRoles; ++r) {
    if (r == QPalette::NoRole) continue;
    EXPECT_TRUE(app.isBrushSet(QPalette::Active, QPalette::ColorRole(r))) << r;
  }
  auto shell = NewShell();
  for (const ControlInfo& c : WindowControls()) {
    QWidget* w = shell->Window().Control(c.name);
    if (!w || (c.kind != ControlKind::kEditBox && c.kind != ControlKind::kTreeBox && c.kind != ControlKind::kLabel))
      continue;
    const QPalette p = w->palette();
    QColor fg = c.kind == ControlKind::kLabel ? p.color(QPalette::WindowText) : p.color(QPalette::Text);
    QColor bg = c.kind == ControlKind::kLabel ? p.color(QPalette::Window) : p.color(QPalette::Base);
    EXPECT_GT(bg.lightness() - fg.lightness(), 120) << c.name;  // dark text on a light ground
  }
}

TEST_F(DesktopTest, TheTitleBarNamesTheOpenBookAndTheTreeMarksTheHomePage) {
  auto shell = NewShell();
  EXPECT_EQ(shell->Window().windowTitle(), QString("Quillmere"));
  shell->OpenPaths({book});
  Settle();
  EXPECT_EQ(shell->Window().windowTitle(), QString::fromStdString("书 (" + book + ") - Quillmere"));
  TreeBox& view = shell->Window().Tree();
  view.SelectByUser(1);
  Settle();
  const QModelIndex home = view.Model().IndexFor(1);
  EXPECT_TRUE(view.Model().data(home, Qt::FontRole).value<QFont>().bold());
  EXPECT_FALSE(view.Model().data(view.Model().IndexFor(0), Qt::FontRole).value<QFont>().bold());
}

}  // namespace
}  // namespace qm

#include "ui/main_window.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QRadioButton>
#include <QTest>
#include <QUrl>

#include "app/window_growth.h"
#include "core/control_names.h"
#include "core/window_layout.h"
#include "runtime/encoding.h"
#include "ui/folder_line_edit.h"
#include "ui/progress_dialog.h"
#include "ui/qt_app.h"
#include "ui/tree_box.h"

namespace qm {
namespace {

struct RecordingEvents : WindowEvents {
  void OnClicked(std::string_view c) override { clicks.push_back(std::string(c)); }
  void OnTimerTick(std::string_view) override { ++ticks; }
  void OnFilesDropped(std::string_view target, const Text& dropped) override {
    drops.emplace_back(std::string(target), dropped);
  }
  void OnWindowClosed() override { closed = true; }
  void OnTreeItemDragged(int item, int onto) override { dragged.emplace_back(item, onto); }
  std::vector<std::string> clicks;
  std::vector<std::pair<int, int>> dragged;
  std::vector<std::pair<std::string, Text>> drops;
  int ticks = 0;
  bool closed = false;
};

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TestApp();
    window = std::make_unique<MainWindow>(tree, events);
    window->RegisterDropArea(controls::kWebDropArea, controls::kTabControl);
    window->RegisterDropArea(controls::kChmDropArea, chm::kFolderBox);
    window->show();
    QCoreApplication::sendPostedEvents();
    window->PlacePageControls();
  }
  void Drop(std::string_view control, std::vector<std::string> paths) {
    window->DropFiles(control, paths);
    QCoreApplication::sendPostedEvents();
  }
  void Key(std::string_view control, Qt::Key key) {
    QWidget* w = window->Control(control);
    w->setFocus();
    QTest::keyClick(w, key);
  }
  // Types text the way an input method delivers it.
  static void TypeChars(QWidget* w, const QString& text) {
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, text);
    QApplication::sendEvent(w, &press);
  }
  TreeModel tree;
  RecordingEvents events;
  std::unique_ptr<MainWindow> window;
};

TEST_F(WindowTest, StartWindowWithEveryControlNamedAndPlaced) {
  EXPECT_EQ(window->windowTitle(), QString("Quillmere"));
  EXPECT_EQ(window->size(), QSize(kClientWidth, kClientHeight));
  // The start size is the smallest; the window may grow and be maximised.
  EXPECT_EQ(window->minimumSize(), QSize(kClientWidth, kClientHeight));
  EXPECT_TRUE(window->windowFlags() & Qt::WindowMaximizeButtonHint);
  QWidget* tabs = window->Control(controls::kTabControl);
  for (const ControlInfo& c : WindowControls()) {
    if (c.kind == ControlKind::kTimer || c.kind == ControlKind::kDropTarget) continue;
    QWidget* w = window->Control(c.name);
    ASSERT_NE(w, nullptr) << c.name;
    EXPECT_EQ(w->objectName().toStdString(), c.name);
    if (c.kind == ControlKind::kRadioButton || c.kind == ControlKind::kCheckBox) {
      // Boxes grow to show their whole caption, never shrink.
      EXPECT_GE(w->width(), c.width) << c.name;
      EXPECT_GE(w->width(), w->sizeHint().width()) << c.name;
      EXPECT_EQ(w->height(), c.height) << c.name;
    } else {
      EXPECT_EQ(w->size(), QSize(c.width, c.height)) << c.name;
    }
    // Page controls are placed relative to the tab control's rectangle,
    // group box children relative to their group box.
    bool on_page = c.parent == kWebPage || c.parent == kChmPage;
    QPoint at = on_page ? w->mapTo(tabs, QPoint(0, 0)) : w->pos();
    EXPECT_EQ(at, QPoint(c.left, c.top)) << c.name;
    EXPECT_EQ(w->isEnabled(), !c.disabled) << c.name;
  }
  EXPECT_EQ(window->Timer().objectName().toStdString(), chm::kPreviewTimer);
  EXPECT_TRUE(window->Control(chm::kHomePageBox)->isHidden());
  EXPECT_EQ(window->Tabs().currentIndex(), 0);
  EXPECT_EQ(window->Tabs().tabText(1), QString("CHM制作"));
}

TEST_F(WindowTest, StartTextsStylesAndTicks) {
  EXPECT_EQ(window->EditText(chm::kFolderBox), Gbk("  ---拖进来---"));
  EXPECT_EQ(window->EditText(controls::kNewExtensionBox), ".htm");
  EXPECT_EQ(window->EditText(controls::kOrderListBox), "");
  auto* box = static_cast<QLineEdit*>(window->Control(controls::kBookFolderBox));
  EXPECT_EQ(box->palette().color(QPalette::Text), QColor(128, 0, 0));
  EXPECT_EQ(box->palette().color(QPalette::Base), QColor(236, 236, 236));
  auto* order = static_cast<QPlainTextEdit*>(window->Control(controls::kOrderListBox));
  EXPECT_NE(order->palette().color(QPalette::Base), QColor(236, 236, 236));
  for (const ControlInfo& c : WindowControls()) {
    if (c.kind == ControlKind::kRadioButton || c.kind == ControlKind::kCheckBox) {
      EXPECT_FALSE(window->Button(c.name)->isChecked()) << c.name;
    }
  }
  EXPECT_EQ(window->TimerInterval(), 0);
  EXPECT_FALSE(window->Tree().AlwaysShowSelection());
}

TEST_F(WindowTest, RadioButtonsFormOneGroup) {
  window->Button(controls::kBatchModeRadio)->click();
  window->Button(controls::kSimplifyModeRadio)->click();
  EXPECT_FALSE(window->Button(controls::kBatchModeRadio)->isChecked());
  EXPECT_TRUE(window->Button(controls::kSimplifyModeRadio)->isChecked());
  window->Button(controls::kBookConvertButton)->click();
  window->Button(chm::kNoOwnContentsBox)->click();
  window->Button(chm::kCompileButton)->click();  // disabled: no event
  EXPECT_EQ(events.clicks,
            (std::vector<std::string>{"单选框TXT2HTMa", "单选框精简网页", "按钮转网页", "选择框不建目录"}));
}

TEST_F(WindowTest, EditBoxesGiveBackTheirBytesUntilTheUserEdits) {
  Text odd = "a\xB0\r\nb\x80";
  window->SetEditText(controls::kOrderListBox, odd);
  window->SetEditText(controls::kBookFolderBox, Gbk("目录"));
  EXPECT_EQ(window->EditText(controls::kOrderListBox), odd);
  EXPECT_EQ(window->EditText(controls::kBookFolderBox), Gbk("目录"));

  window->SetEditText(controls::kOrderListBox, "one\r\ntwo");
  auto* order = static_cast<QPlainTextEdit*>(window->Control(controls::kOrderListBox));
  order->moveCursor(QTextCursor::End);
  Key(controls::kOrderListBox, Qt::Key_Return);  // a multi-line box takes Enter
  TypeChars(order, QString::fromUtf8("三"));
  EXPECT_EQ(window->EditText(controls::kOrderListBox), "one\r\ntwo\r\n" + Gbk("三"));

  auto* line = static_cast<QLineEdit*>(window->Control(controls::kBookFolderBox));
  line->setFocus();
  line->end(false);
  TypeChars(line, "x");
  EXPECT_EQ(window->EditText(controls::kBookFolderBox), Gbk("目录x"));
  EXPECT_FALSE(events.closed);
}

// A name with a character code page 936 lacks (U+30FB) is held as a name
// escape; the window shows the character in the boxes, the tree and the
// progress dialog, and an edit by hand keeps it.
TEST_F(WindowTest, NamesWithoutAGbkFormShowAsTheyAreAndSurviveEditing) {
  const Text name = TextFromNativeName("001感遇・其一.txt");
  ASSERT_TRUE(HasNameEscape(name));
  window->SetEditText(controls::kOrderListBox, name + "\r\n" + Gbk("002静夜思.txt"));
  auto* order = static_cast<QPlainTextEdit*>(window->Control(controls::kOrderListBox));
  EXPECT_EQ(order->toPlainText(), QString::fromUtf8("001感遇・其一.txt\n002静夜思.txt"));
  order->moveCursor(QTextCursor::End);
  TypeChars(order, QString::fromUtf8("・"));
  EXPECT_EQ(window->EditText(controls::kOrderListBox), name + "\r\n" + TextFromNativeName("002静夜思.txt・"));

  auto* line = static_cast<QLineEdit*>(window->Control(controls::kBookFolderBox));
  window->SetEditText(controls::kBookFolderBox, TextFromNativeName("/书/😀"));
  EXPECT_EQ(line->text(), QString::fromUtf8("/书/😀"));
  line->setFocus();
  line->end(false);
  TypeChars(line, "x");
  EXPECT_EQ(window->EditText(controls::kBookFolderBox), TextFromNativeName("/书/😀x"));

  tree.Add(-1, name, 1);
  window->Settle();
  EXPECT_EQ(window->Tree().model()->index(0, 0).data().toString(), QString::fromUtf8("001感遇・其一.txt"));

  ProgressDialog progress(*window);
  progress.Begin();
  QProgressDialog* dialog = nullptr;
  QElapsedTimer clock;
  clock.start();
  while (!dialog && clock.elapsed() < 5000) {
    progress.Step(1, 2, name);
    dialog = window->findChild<QProgressDialog*>();
  }
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(dialog->labelText().contains(QString::fromUtf8("001感遇・其一.txt")))
      << dialog->labelText().toStdString();
  progress.Close();
}

TEST_F(WindowTest, InheritedEscClosesTheWindowFromAnyControl) {
  Key(controls::kOrderListBox, Qt::Key_Escape);
  EXPECT_TRUE(events.closed);
  EXPECT_FALSE(window->isVisible());
}

TEST_F(WindowTest, InheritedEscInTheTreeClosesToo) {
  window->Tabs().setCurrentIndex(1);
  Key(chm::kTree, Qt::Key_Escape);
  EXPECT_TRUE(events.closed);
}

TEST_F(WindowTest, DropsGoToTheInnermostRegisteredArea) {
  Drop("编辑框21", {"/books/a"});
  Drop("标签4", {"/books/b"});
  Drop("选择夹1", {"/books/c"});
  Drop("编辑框1", {"/books/d"});
  Drop(chm::kTree, {"/books/e"});
  Drop("按钮转CHM", {"/books/f"});
  using P = std::pair<std::string, Text>;
  EXPECT_EQ(events.drops, (std::vector<P>{{"拖放对象1", "/books/a"},
                                          {"拖放对象1", "/books/b"},
                                          {"拖放对象1", "/books/c"},
                                          {"拖放对象2", "/books/d"},
                                          {"拖放对象1", "/books/e"},
                                          {"拖放对象1", "/books/f"}}));
  // A drop does not paste the path into the edit box under it.
  EXPECT_EQ(window->EditText(controls::kBookFolderBox), Gbk("  ---拖进来---"));
}

TEST_F(WindowTest, SeveralFilesArriveCrLfJoinedWithNamesKept) {
  Drop(chm::kFolderBox, {"/书/a b", "/x", "/bad\xFFname"});
  ASSERT_EQ(events.drops.size(), 1u);
  EXPECT_EQ(events.drops[0].second, Gbk("/书/a b") + "\r\n/x\r\n" + TextFromNativeName("/bad\xFFname") + "\r\n");
}

TEST_F(WindowTest, TimerIntervalSemantics) {
  window->SetTimerInterval(1000);
  int id = window->Timer().timerId();
  EXPECT_TRUE(window->Timer().isActive());
  window->SetTimerInterval(1000);  // the same value does not restart it
  EXPECT_EQ(window->Timer().timerId(), id);
  window->SetTimerInterval(-5);
  EXPECT_EQ(window->TimerInterval(), 0);
  EXPECT_FALSE(window->Timer().isActive());
  window->SetTimerInterval(20);
  QTest::qWait(500);
  EXPECT_GE(events.ticks, 1);
}

TEST_F(WindowTest, TreeSelectionFollowsBothWays) {
  std::vector<int> hows;
  tree.SetSelectionListener([&](int how) { hows.push_back(how); });
  int a = tree.Add(-1, "<a>");
  tree.Add(a, "x.htm", 1);
  tree.Add(-1, "y.htm", 1);
  window->Settle();
  tree.Select(1);  // the program selects: the view shows it
  TreeBox& view = window->Tree();
  EXPECT_EQ(view.Model().ItemFor(view.currentIndex()), 1);
  view.SelectByUser(2);  // the user clicks
  EXPECT_EQ(tree.Selection(), 2);
  EXPECT_EQ(hows, (std::vector<int>{2, 1}));
  tree.Delete(2);  // the selection moves like a tree control's
  EXPECT_EQ(tree.Selection(), 0);
  EXPECT_EQ(view.Model().ItemFor(view.currentIndex()), 0);
  tree.Clear();
  tree.Add(-1, "new");
  window->Settle();
  EXPECT_EQ(view.model()->rowCount(), 1);
  EXPECT_TRUE(view.selectionModel()->selectedIndexes().isEmpty());
}

TEST_F(WindowTest, LabelsAndGroupBoxesDragTheWindow) {
  for (const char* grip : {"标签4", "分组框2"}) {
    QWidget* w = window->Control(grip);
    QPoint before = window->pos();
    QTest::mousePress(w, Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
    QMouseEvent move(QEvent::MouseMove, QPointF(32, 22), w->mapToGlobal(QPointF(32, 22)), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(w, &move);
    QTest::mouseRelease(w, Qt::LeftButton, Qt::NoModifier, QPoint(32, 22));
    EXPECT_EQ(window->pos(), before + QPoint(30, 20)) << grip;
  }
  QPoint before = window->pos();
  QTest::mouseClick(window->Control(controls::kBookFolderBox), Qt::LeftButton);
  EXPECT_EQ(window->pos(), before);
}

TEST_F(WindowTest, AGrownWindowGrowsItsBoxesAndMovesItsButtonsAlong) {
  window->resize(kClientWidth + 317, kClientHeight + 211);
  QCoreApplication::sendPostedEvents();
  ASSERT_EQ(window->size(), QSize(kClientWidth + 317, kClientHeight + 211));
  QWidget* tabs = window->Control(controls::kTabControl);
  for (const ControlInfo& c : WindowControls()) {
    QWidget* w = window->Control(c.name);
    if (!w || c.kind == ControlKind::kRadioButton || c.kind == ControlKind::kCheckBox) continue;
    const ControlRect r = GrownRect(c, 317, 211);
    const bool on_page = c.parent == kWebPage || c.parent == kChmPage;
    EXPECT_EQ(QRect(on_page ? w->mapTo(tabs, QPoint(0, 0)) : w->pos(), w->size()),
              QRect(r.left, r.top, r.width, r.height))
        << c.name;
  }
  EXPECT_GT(window->Tree().width(), FindControl(chm::kTree)->width);
  EXPECT_GT(window->Control(controls::kOrderListBox)->height(), FindControl(controls::kOrderListBox)->height);
}

TEST_F(WindowTest, ADropOnAToolsFolderBoxSelectsThatToolAndAnUnusableOneSaysWhy) {
  Drop("标签4", {"/books/a"});  // no tool selected: the order list is cleared, and why
  EXPECT_TRUE(window->Status().contains(QString::fromUtf8("没有选择工具")));
  Drop(controls::kSimplifyFolderBox, {"/books/b"});
  EXPECT_TRUE(window->Button(controls::kSimplifyModeRadio)->isChecked());
  EXPECT_EQ(window->Status(), QString());
  Drop(controls::kRenameFolderBox, {"/books/c"});
  EXPECT_TRUE(window->Button(controls::kRenameModeRadio)->isChecked());
  using P = std::pair<std::string, Text>;
  EXPECT_EQ(events.drops,
            (std::vector<P>{{"拖放对象1", "/books/a"}, {"拖放对象1", "/books/b"}, {"拖放对象1", "/books/c"}}));
  // Text from another program is no file: refused with a reason.
  QMimeData text;
  text.setText("hello");
  QWidget* box = window->Control(controls::kBookFolderBox);
  QDragEnterEvent enter(box->rect().center(), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(box, &enter);
  EXPECT_FALSE(enter.isAccepted());
  EXPECT_TRUE(window->Status().contains(QString::fromUtf8("只能拖入本机")));
}

TEST_F(WindowTest, TreeKeysPressTheButtonsUnderTheTree) {
  window->Tabs().setCurrentIndex(1);
  QWidget* t = window->Control(chm::kTree);
  t->setFocus();
  QTest::keyClick(t, Qt::Key_Delete);
  QTest::keyClick(t, Qt::Key_Up, Qt::ControlModifier);
  QTest::keyClick(t, Qt::Key_Down, Qt::ControlModifier);
  QTest::keyClick(t, Qt::Key_Z, Qt::ControlModifier);
  QTest::keyClick(t, Qt::Key_Down);  // plain arrows still move the selection
  EXPECT_EQ(events.clicks, (std::vector<std::string>{"按钮删除节点", "按钮上移", "按钮下移", "按钮撤销"}));
}

TEST_F(WindowTest, FolderBoxesElideTheMiddleAndShowTheFullPathAsTooltip) {
  const std::string path = "/home/user/书/一个很长很长的文件夹名字/第一卷/第二部分/正文";
  window->SetEditText(chm::kFolderBox, Gbk(path));
  auto* box = static_cast<FolderLineEdit*>(window->Control(chm::kFolderBox));
  EXPECT_TRUE(box->toolTip().startsWith(QString::fromStdString("<p>" + path + "</p>"))) << box->toolTip().toStdString();
  const QString shown = box->ShownText(120);
  EXPECT_TRUE(shown.contains(QChar(0x2026))) << shown.toStdString();
  EXPECT_TRUE(shown.startsWith("/h")) << shown.toStdString();
  EXPECT_TRUE(shown.endsWith(QString::fromUtf8("正文"))) << shown.toStdString();
  EXPECT_EQ(window->EditText(chm::kFolderBox), Gbk(path));  // the text itself is whole
  EXPECT_FALSE(window->Control(chm::kBuildButton)->toolTip().isEmpty());
}

TEST_F(WindowTest, TheGuideLinkOpensTheChineseGuideInstalledBesideTheProgram) {
  const QString html = static_cast<QLabel*>(window->Control(controls::kGuideLink))->text();
  const QString address = html.section('"', 1, 1);
  EXPECT_TRUE(address.endsWith("/share/doc/quillmere/docs/guide.html")) << address.toStdString();
  EXPECT_TRUE(QFileInfo(QUrl(address).toLocalFile()).isFile()) << address.toStdString();
}

TEST_F(WindowTest, DraggingANodeOntoASiblingReportsTheDrag) {
  window->Tabs().setCurrentIndex(1);
  int a = tree.Add(-1, "<a>");
  tree.Add(a, "x.htm", 1);
  tree.Add(-1, "y.htm", 1);
  tree.Add(-1, "z.htm", 1);
  window->Settle();
  TreeBox& view = window->Tree();
  view.expandAll();
  auto centre = [&](int item) { return view.visualRect(view.Model().IndexFor(item)).center(); };
  auto drag = [&](int from, int to) {
    QTest::mousePress(view.viewport(), Qt::LeftButton, Qt::NoModifier, centre(from));
    QTest::mouseMove(view.viewport(), centre(from) + QPoint(0, 12));
    QTest::mouseMove(view.viewport(), centre(to));
    QTest::mouseRelease(view.viewport(), Qt::LeftButton, Qt::NoModifier, centre(to));
  };
  drag(3, 0);  // z.htm onto <a>
  drag(1, 2);  // x.htm inside <a> onto y.htm: no siblings
  QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::NoModifier, centre(2));  // a click is no drag
  EXPECT_EQ(events.dragged, (std::vector<std::pair<int, int>>{{3, 0}}));
  EXPECT_EQ(tree.Selection(), 2);
}

}  // namespace
}  // namespace qm

// Long texts reach the multi-line boxes in slices, the box read-only until
// it is whole; the text property gives the written bytes all along.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QPlainTextEdit>

#include "core/control_names.h"
#include "runtime/encoding.h"
#include "ui/box_filler.h"
#include "ui/main_window.h"
#include "ui/qt_app.h"

namespace qm {
namespace {

struct NoEvents : WindowEvents {
  void OnClicked(std::string_view) override {}
  void OnTimerTick(std::string_view) override {}
  void OnFilesDropped(std::string_view, const Text&) override {}
  void OnWindowClosed() override {}
};

// About 30,000 lines of contents with Chinese names: several slices.
Text LongContents(const char* name) {
  Text text;
  for (int i = 0; i < 30000; ++i) text += Gbk("<PARAM name=\"Name\" value=\"") + Gbk(name) + ToText(i) + "\">\r\n";
  return text;
}

QString Shown(const Text& gbk) {
  QString s = QString::fromStdString(Utf8FromGbk(gbk));
  s.remove(QLatin1Char('\r'));
  return s;
}

class LongTextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TestApp();
    window = std::make_unique<MainWindow>(tree, events);
    window->show();
    box = qobject_cast<QPlainTextEdit*>(window->Control(chm::kContentsBox));
    ASSERT_NE(box, nullptr);
  }
  void RunEventsUntilWhole() {
    for (int i = 0; i < 10000 && box->isReadOnly(); ++i) QCoreApplication::processEvents();
  }
  TreeModel tree;
  NoEvents events;
  std::unique_ptr<MainWindow> window;
  QPlainTextEdit* box = nullptr;
};

TEST_F(LongTextTest, ArrivesWholeAndUneditedWhileTheTextPropertyIsExactAllAlong) {
  const Text text = LongContents("第章");
  window->SetEditText(chm::kContentsBox, text);
  EXPECT_EQ(window->EditText(chm::kContentsBox), text);
  EXPECT_TRUE(box->isReadOnly());
  EXPECT_LT(box->document()->characterCount(), Shown(text).size());
  RunEventsUntilWhole();
  EXPECT_FALSE(box->isReadOnly());
  EXPECT_EQ(box->toPlainText(), Shown(text));
  EXPECT_EQ(window->EditText(chm::kContentsBox), text);
  // Typing afterwards counts as the user's edit again.
  box->moveCursor(QTextCursor::End);
  box->insertPlainText("x");
  EXPECT_EQ(window->EditText(chm::kContentsBox), text + "x");
}

TEST_F(LongTextTest, ANewTextReplacesOneStillArriving) {
  window->SetEditText(chm::kContentsBox, LongContents("旧"));
  QCoreApplication::processEvents();
  const Text second = LongContents("新");
  window->SetEditText(chm::kContentsBox, second);
  RunEventsUntilWhole();
  EXPECT_EQ(box->toPlainText(), Shown(second));
  window->SetEditText(chm::kContentsBox, "short\r\ntext");
  EXPECT_FALSE(box->isReadOnly());
  EXPECT_EQ(box->toPlainText(), QString("short\ntext"));
}

TEST_F(LongTextTest, FinishPutsTheRestInAtOnceAndKeepsAReadOnlyBoxReadOnly) {
  bool changing = false;
  QPlainTextEdit own;
  own.setReadOnly(true);
  BoxFiller filler(changing, nullptr);
  const QString text = Shown(LongContents("页"));
  filler.Fill(&own, text);
  EXPECT_TRUE(filler.Filling(&own));
  filler.Finish(&own);
  EXPECT_FALSE(filler.Filling(&own));
  EXPECT_EQ(own.toPlainText(), text);
  EXPECT_TRUE(own.isReadOnly());
  EXPECT_FALSE(changing);
}

}  // namespace
}  // namespace qm

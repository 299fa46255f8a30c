// quillmere_screenshot FOLDER: shows the real main window on the display
// (for example under Xvfb) and saves a picture of each tab page as
// FOLDER/screenshot-web.png and FOLDER/screenshot-chm.png, one of the
// progress dialog over the window as FOLDER/screenshot-progress.png, of the
// maximised window as FOLDER/screenshot-maximised.png, of a tooltip as
// FOLDER/screenshot-tooltip.png and of the folder chooser in Chinese as
// FOLDER/screenshot-file-dialog.png.

#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFont>
#include <QScreen>
#include <QStyleFactory>
#include <QTest>
#include <QToolTip>
#include <QWindow>
#include <iostream>

#include "chm/tree_paths.h"
#include "core/control_names.h"
#include "runtime/encoding.h"
#include "ui/look.h"
#include "ui/progress_dialog.h"
#include "ui/shell.h"
#include "ui/translations.h"
#include "ui/tree_box.h"

namespace {

// Saves the part `area` of the screen as FOLDER/NAME.
bool SaveScreen(const QString& folder, const char* name, const QRect& area) {
  QTest::qWait(400);
  QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(0, area.x(), area.y(), area.width(), area.height());
  if (shot.isNull() || !shot.save(folder + "/" + name)) {
    std::cerr << "cannot save " << name << "\n";
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: quillmere_screenshot FOLDER\n";
    return 2;
  }
  QApplication app(argc, argv);
  qm::LoadQtTranslations(app);
  qm::ApplyLook(app);

  qm::Shell shell([](const std::string&) {});
  shell.Start();
  qm::MainWindow& window = shell.Window();
  // A small book in the tree so that its pictures and lines show.
  qm::TreeModel& tree = shell.Tree();
  tree.AddBlock(-1, {qm::FolderItem(qm::Gbk("第一卷")), qm::PageItem("000.htm", 0), qm::PageItem("001.htm", 0),
                     qm::PageItem("index.htm")});
  window.Settle();
  window.Tree().expandAll();

  const QString folder = QString::fromLocal8Bit(argv[1]);
  const char* names[] = {"screenshot-web.png", "screenshot-chm.png"};
  for (int page = 0; page < 2; ++page) {
    window.Tabs().setCurrentIndex(page);
    QTest::qWait(300);
    QPixmap shot = window.screen()->grabWindow(window.winId());
    if (shot.isNull() || !shot.save(folder + "/" + names[page])) {
      std::cerr << "cannot save " << names[page] << "\n";
      return 1;
    }
  }

  // The progress dialog as a long batch conversion shows it.
  window.Tabs().setCurrentIndex(0);
  qm::ProgressDialog progress(window);
  progress.Begin();
  QElapsedTimer clock;
  clock.start();
  for (long done = 0; clock.elapsed() < 1500; done = clock.elapsed() / 10)
    progress.Step(done, 420, qm::Gbk("/home/user/小说/第三卷/第") + qm::ToText(done) + qm::Gbk("章.txt"));
  QTest::qWait(300);
  QRect area = window.frameGeometry();
  QPixmap shot = window.screen()->grabWindow(0, area.x(), area.y(), area.width(), area.height());
  progress.Close();
  if (shot.isNull() || !shot.save(folder + "/screenshot-progress.png")) {
    std::cerr << "cannot save screenshot-progress.png\n";
    return 1;
  }

  // A tooltip over the convert button of the paged book.
  QWidget* button = window.Control(qm::controls::kBookConvertButton);
  QToolTip::showText(button->mapToGlobal(button->rect().center()), button->toolTip(), button);
  area = window.frameGeometry();
  if (!SaveScreen(folder, "screenshot-tooltip.png", area.adjusted(0, 0, 160, 60))) return 1;
  QToolTip::hideText();

  // The folder chooser, in the user's language.
  QFileDialog chooser(&window, QString::fromUtf8("选择文件夹"), QDir::homePath());
  chooser.setFileMode(QFileDialog::Directory);
  chooser.setOption(QFileDialog::ShowDirsOnly);
  chooser.setOption(QFileDialog::DontUseNativeDialog);
  chooser.show();
  if (!SaveScreen(folder, "screenshot-file-dialog.png", chooser.frameGeometry())) return 1;
  chooser.hide();

  // The maximised window on the CHM tab with a long folder path.
  shell.Ui().SetText(qm::chm::kFolderBox, qm::Gbk("/home/user/书/一部很长的小说/第一卷"));
  window.ShowTitle(qm::Gbk("第一卷 (/home/user/书/一部很长的小说/第一卷) - Quillmere"));
  window.Tabs().setCurrentIndex(1);
  window.showMaximized();
  QTest::qWait(300);
  // Without a window manager nothing maximises: fill the screen instead.
  if (!window.isMaximized() || window.width() <= qm::kClientWidth)
    window.setGeometry(window.screen()->availableGeometry());
  QTest::qWait(300);
  return SaveScreen(folder, "screenshot-maximised.png", window.frameGeometry()) ? 0 : 1;
}

// quillmere_screenshot FOLDER: shows the real main window on the display
// (for example under Xvfb) and saves a picture of each tab page as
// FOLDER/screenshot-web.png and FOLDER/screenshot-chm.png.

#include <QApplication>
#include <QFont>
#include <QScreen>
#include <QStyleFactory>
#include <QTest>
#include <QWindow>
#include <iostream>

#include "runtime/encoding.h"
#include "ui/look.h"
#include "ui/shell.h"
#include "ui/tree_box.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: quillmere_screenshot FOLDER\n";
    return 2;
  }
  QApplication app(argc, argv);
  qm::ApplyLook(app);

  qm::Shell shell([](const std::string&) {});
  shell.Start();
  qm::MainWindow& window = shell.Window();
  // A small book in the tree so that its pictures and lines show.
  qm::TreeModel& tree = shell.Tree();
  int ch1 = tree.Add(-1, qm::Gbk("<第一卷>"), 0, 0);
  tree.Add(ch1, "000.htm", 1, 1);
  tree.Add(ch1, "001.htm", 1, 1);
  tree.Add(-1, "index.htm", 1, 1);
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
  return 0;
}

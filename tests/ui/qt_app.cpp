#include "ui/qt_app.h"

#include <cstdlib>

#include "ui/look.h"

namespace qm {

QApplication& TestApp() {
  static int argc = 1;
  static char name[] = "ui_tests";
  static char* argv[] = {name, nullptr};
  static QApplication* app = [] {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    auto* a = new QApplication(argc, argv);
    ApplyLook(*a);
    return a;
  }();
  return *app;
}

}  // namespace qm

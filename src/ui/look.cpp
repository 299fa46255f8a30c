#include "ui/look.h"

#include <QApplication>
#include <QFont>
#include <QIcon>
#include <QStyle>
#include <QStyleFactory>

namespace qm {

void ApplyLook(QApplication& app) {
  app.setStyle(QStyleFactory::create("Fusion"));
  app.setPalette(app.style()->standardPalette());
  // The window's geometry is laid out for a 12-pixel interface font.
  QFont font = app.font();
  font.setFamilies({"WenQuanYi Micro Hei", "Noto Sans CJK SC", font.family()});
  font.setPixelSize(12);
  app.setFont(font);
  QApplication::setApplicationName("quillmere");
  QApplication::setApplicationDisplayName("Quillmere");
  QGuiApplication::setDesktopFileName("quillmere");
  QApplication::setWindowIcon(QIcon(":/quillmere/quillmere.svg"));
}

}  // namespace qm

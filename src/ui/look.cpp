#include "ui/look.h"

#include <QApplication>
#include <QFont>
#include <QIcon>
#include <QPalette>
#include <QStyleFactory>

namespace qm {

void ApplyLook(QApplication& app) {
  app.setStyle(QStyleFactory::create("Fusion"));
  // A light palette with every role given, built from the window grey:
  // Fusion's own standard palette follows a dark desktop, and a role left
  // unset would come from the desktop theme.
  const QColor grey(239, 239, 239);
  QPalette palette(grey, grey);
  palette.setColor(QPalette::Base, Qt::white);
  palette.setColor(QPalette::AlternateBase, QColor(247, 247, 247));
  palette.setColor(QPalette::Highlight, QColor(48, 140, 198));
  palette.setColor(QPalette::HighlightedText, Qt::white);
  palette.setColor(QPalette::Link, QColor(0, 0, 255));
  palette.setColor(QPalette::LinkVisited, QColor(128, 0, 128));
  palette.setColor(QPalette::ToolTipBase, QColor(255, 255, 220));
  palette.setColor(QPalette::ToolTipText, Qt::black);
  palette.setColor(QPalette::PlaceholderText, QColor(128, 128, 128));
  app.setPalette(palette);
  // The window's geometry is laid out for a 12-pixel interface font.
  QFont font = app.font();
  font.setFamilies({"WenQuanYi Micro Hei", "Noto Sans CJK SC", font.family()});
  font.setPixelSize(12);
  app.setFont(font);
  QApplication::setApplicationName("quillmere");
  QGuiApplication::setDesktopFileName("quillmere");
  QApplication::setWindowIcon(QIcon(":/quillmere/quillmere.svg"));
}

}  // namespace qm

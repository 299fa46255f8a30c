#include "ui/tree_pictures.h"

#include <QPainter>

namespace qm {
namespace {

QPixmap ClosedBook() {
  QPixmap pixmap(16, 16);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  // The page block showing at the fore edge and the bottom.
  p.setPen(QColor(120, 120, 120));
  p.setBrush(QColor(250, 250, 240));
  p.drawRect(4, 2, 10, 12);
  p.setPen(QColor(190, 190, 180));
  p.drawLine(5, 12, 13, 12);
  p.drawLine(13, 3, 13, 11);
  // The front cover and its darker spine.
  p.setPen(QColor(20, 50, 120));
  p.setBrush(QColor(40, 90, 190));
  p.drawRect(2, 1, 10, 11);
  p.fillRect(3, 2, 2, 10, QColor(20, 50, 130));
  // A title label on the cover.
  p.fillRect(6, 4, 5, 2, QColor(240, 220, 120));
  return pixmap;
}

QPixmap PageOfText() {
  QPixmap pixmap(16, 16);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  // A white sheet with its top right corner folded down.
  QPolygon sheet;
  sheet << QPoint(3, 1) << QPoint(10, 1) << QPoint(13, 4) << QPoint(13, 14) << QPoint(3, 14);
  p.setPen(QColor(90, 90, 90));
  p.setBrush(Qt::white);
  p.drawPolygon(sheet);
  p.setBrush(QColor(210, 210, 210));
  QPolygon fold;
  fold << QPoint(10, 1) << QPoint(10, 4) << QPoint(13, 4);
  p.drawPolygon(fold);
  // Lines of text.
  p.setPen(QColor(60, 90, 160));
  for (int y = 5; y <= 12; y += 2) p.drawLine(5, y, y == 5 ? 8 : 11, y);
  return pixmap;
}

}  // namespace

QPixmap TreePicture(int number) {
  static const QPixmap kBook = ClosedBook();
  static const QPixmap kPage = PageOfText();
  if (number == 0) return kBook;
  if (number == 1) return kPage;
  return QPixmap();
}

}  // namespace qm

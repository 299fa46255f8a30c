#include "ui/folder_line_edit.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>

namespace qm {
namespace {

// Room that the "…" button at the right end takes.
constexpr int kActionWidth = 20;

}  // namespace

QString FolderLineEdit::ShownText(int width) const { return fontMetrics().elidedText(text(), Qt::ElideMiddle, width); }

void FolderLineEdit::paintEvent(QPaintEvent* event) {
  QStyleOptionFrame option;
  initStyleOption(&option);
  QRect room = style()->subElementRect(QStyle::SE_LineEditContents, &option, this);
  room = room.marginsRemoved(textMargins()).adjusted(2, 0, actions().isEmpty() ? -2 : -kActionWidth, 0);
  if (hasFocus() || fontMetrics().horizontalAdvance(text()) <= room.width()) {
    QLineEdit::paintEvent(event);
    return;
  }
  QPainter painter(this);
  style()->drawPrimitive(QStyle::PE_PanelLineEdit, &option, &painter, this);
  painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::Text));
  painter.drawText(room, Qt::AlignLeft | Qt::AlignVCenter, ShownText(room.width()));
}

}  // namespace qm

#pragma once
// A folder box: while it does not have the focus, a path longer than the
// box is shown with its middle elided ("/home/user/…/书/第一卷"), so that
// both the start and the folder's own name stay in view. The text itself
// is never changed; the full path is the box's tooltip.

#include <QLineEdit>

namespace qm {

class FolderLineEdit : public QLineEdit {
 public:
  explicit FolderLineEdit(QWidget* parent) : QLineEdit(parent) {}

  /// What the box shows while it lacks the focus, for `width` pixels of
  /// text.
  QString ShownText(int width) const;

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace qm

#include "ui/progress_dialog.h"

#include <QApplication>
#include <QEvent>
#include <QProgressDialog>
#include <QPushButton>
#include <QWidget>
#include <QWindow>
#include <algorithm>

#include "runtime/encoding.h"

namespace qm {
namespace {

// Input that could start something: it may reach the dialog only.
bool IsUserInput(QEvent::Type type) {
  switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::Close: return true;
    default: return false;
  }
}

}  // namespace

ProgressDialog::ProgressDialog(QWidget& window) : window_(window) {}

ProgressDialog::~ProgressDialog() { Close(); }

void ProgressDialog::Begin() {
  Close();
  Reset();
  cancel_ = false;
  running_.invalidate();
}

void ProgressDialog::Close() {
  running_.invalidate();
  if (!dialog_) return;
  qApp->removeEventFilter(this);
  delete dialog_;
  dialog_ = nullptr;
  QApplication::restoreOverrideCursor();
}

void ProgressDialog::Open() {
  dialog_ = new QProgressDialog(&window_);
  dialog_->setObjectName("进度");
  dialog_->setWindowTitle(QStringLiteral("Quillmere"));
  dialog_->setWindowModality(Qt::ApplicationModal);
  dialog_->setCancelButtonText(QStringLiteral("取消"));
  dialog_->setAutoClose(false);
  dialog_->setAutoReset(false);
  dialog_->setMinimumDuration(0);
  dialog_->setMinimumWidth(360);
  QObject::connect(dialog_, &QProgressDialog::canceled, this, [this] { cancel_ = true; });
  QApplication::setOverrideCursor(Qt::WaitCursor);
  qApp->installEventFilter(this);
  dialog_->show();
  since_paint_.invalidate();
}

bool ProgressDialog::Show(long done, long total, const Text& current) {
  if (!running_.isValid()) running_.start();
  if (!dialog_) {
    if (running_.elapsed() < kDelayMs) return true;
    Open();
  }
  // Repaint about 25 times a second; more would only slow the work down.
  if (since_paint_.isValid() && since_paint_.elapsed() < 40) return !cancel_;
  since_paint_.start();
  dialog_->setMaximum(total > 0 ? static_cast<int>(total) : 0);
  dialog_->setValue(total > 0 ? static_cast<int>(std::min(done, total)) : 0);
  QString count = total > 0 ? QStringLiteral("已完成 %1 / %2 个文件").arg(done).arg(total)
                            : QStringLiteral("已完成 %1 个文件").arg(done);
  QString name = QString::fromStdString(WindowText(current));
  dialog_->setLabelText(count + "\n" + dialog_->fontMetrics().elidedText(name, Qt::ElideMiddle, 340));
  QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  return !cancel_;
}

bool ProgressDialog::eventFilter(QObject* watched, QEvent* event) {
  if (!dialog_ || !IsUserInput(event->type())) return false;
  auto* widget = qobject_cast<QWidget*>(watched);
  if (widget && widget->window() == dialog_) return false;
  if (watched == static_cast<QObject*>(dialog_->windowHandle())) return false;
  // Anything else the user does waits for the operation: it is dropped.
  return true;
}

}  // namespace qm

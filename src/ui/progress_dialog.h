#pragma once
// The window's side of Progress: a modal dialog with the files done, the
// current name and a Cancel button, shown once an operation has run for
// half a second, with the wait cursor. The operation still runs on the one
// window thread: while the dialog is up, each report lets the event loop
// paint, but every input event meant for anything other than the dialog is
// dropped, so no other control event can start while the operation runs.

#include <QElapsedTimer>
#include <QObject>

#include "runtime/progress.h"

class QProgressDialog;
class QWidget;

namespace qm {

class ProgressDialog : public QObject, public Progress {
 public:
  explicit ProgressDialog(QWidget& window);
  ~ProgressDialog() override;

  /// A new operation starts: no dialog, the half second starts again.
  void Begin();
  /// Takes the dialog down (before a message box, and when the operation
  /// ends); a later report waits another half second before showing it.
  void Close();

  /// How long an operation runs before the dialog shows.
  static constexpr int kDelayMs = 500;

 protected:
  bool Show(long done, long total, const Text& current) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Open();

  QWidget& window_;
  QElapsedTimer running_;
  QElapsedTimer since_paint_;
  QProgressDialog* dialog_ = nullptr;
  bool cancel_ = false;
};

}  // namespace qm

#include "ui/qt_controls.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

#include "app/script_syntax.h"
#include "runtime/encoding.h"
#include "ui/main_window.h"
#include "ui/tree_box.h"

namespace qm {
namespace {

QString Q(const Text& text) { return QString::fromStdString(WindowText(text)); }

// The answer codes of a message box's buttons.
enum Answer { kOk = 0, kCancel = 1, kAbort = 2, kRetry = 3, kIgnore = 4, kYes = 5, kNo = 6 };

struct ButtonChoice {
  QMessageBox::StandardButton button;
  Answer answer;
};

// The buttons of the Windows button bits (flags & 0x0F).
std::vector<ButtonChoice> ButtonsFor(int flags) {
  switch (flags & 0x0F) {
    case 1: return {{QMessageBox::Ok, kOk}, {QMessageBox::Cancel, kCancel}};
    case 2: return {{QMessageBox::Abort, kAbort}, {QMessageBox::Retry, kRetry}, {QMessageBox::Ignore, kIgnore}};
    case 3: return {{QMessageBox::Yes, kYes}, {QMessageBox::No, kNo}, {QMessageBox::Cancel, kCancel}};
    case 4: return {{QMessageBox::Yes, kYes}, {QMessageBox::No, kNo}};
    case 5: return {{QMessageBox::Retry, kRetry}, {QMessageBox::Cancel, kCancel}};
    default: return {{QMessageBox::Ok, kOk}};
  }
}

QMessageBox::Icon IconFor(int flags) {
  switch (flags & 0xF0) {
    case 0x10: return QMessageBox::Critical;
    case 0x20: return QMessageBox::Question;
    case 0x30: return QMessageBox::Warning;
    case 0x40: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
  }
}

}  // namespace

QtControls::QtControls(MainWindow& window, std::function<void(const std::string&)> print)
    : window_(window), print_(std::move(print)) {}

Text QtControls::GetText(std::string_view control) { return window_.EditText(control); }

void QtControls::SetText(std::string_view control, const Text& text) { window_.SetEditText(control, text); }

bool QtControls::IsDisabled(std::string_view control) {
  QWidget* w = window_.Control(control);
  return w && !w->isEnabled();
}

void QtControls::SetDisabled(std::string_view control, bool disabled) {
  if (QWidget* w = window_.Control(control)) w->setEnabled(!disabled);
}

bool QtControls::IsTicked(std::string_view control) {
  QAbstractButton* b = window_.Button(control);
  return b && b->isCheckable() && b->isChecked();
}

int QtControls::Interval(std::string_view control) {
  return control == window_.Timer().objectName().toStdString() ? window_.TimerInterval() : 0;
}

void QtControls::SetInterval(std::string_view control, int milliseconds) {
  if (control == window_.Timer().objectName().toStdString()) window_.SetTimerInterval(milliseconds);
}

bool QtControls::AlwaysShowSelection(std::string_view control) {
  return control == window_.Tree().objectName().toStdString() && window_.Tree().AlwaysShowSelection();
}

void QtControls::SetAlwaysShowSelection(std::string_view control, bool on) {
  if (control == window_.Tree().objectName().toStdString()) window_.Tree().SetAlwaysShowSelection(on);
}

void QtControls::SetFocus(std::string_view control) {
  if (QWidget* w = window_.Control(control)) w->setFocus(Qt::OtherFocusReason);
}

int QtControls::MessageBox(const Text& content, int flags, const Text& caption) {
  // The box runs its own event loop: the tree view must be able to paint.
  window_.Settle();
  if (before_message_) before_message_();
  if (print_) {
    print_("message " + FormatScriptText(caption) + ": " + FormatScriptText(content));
    return kOk;
  }
  // The box belongs to the window: centred on it, with its caption.
  QMessageBox box(IconFor(flags), Q(caption), Q(content), QMessageBox::NoButton, &window_);
  box.setWindowModality(Qt::ApplicationModal);
  std::vector<ButtonChoice> choices = ButtonsFor(flags);
  for (const ButtonChoice& c : choices) box.addButton(c.button);
  box.exec();
  QAbstractButton* clicked = box.clickedButton();
  for (const ButtonChoice& c : choices) {
    if (clicked && box.standardButton(clicked) == c.button) return c.answer;
  }
  // Closed without a button: the cancelling answer, or OK for one button.
  return choices.size() == 1 ? kOk : kCancel;
}

void QtControls::SetWaitCursor() {
  if (waiting_) return;
  waiting_ = true;
  QApplication::setOverrideCursor(Qt::WaitCursor);
}

void QtControls::RestoreCursor() {
  if (!waiting_) return;
  waiting_ = false;
  QApplication::restoreOverrideCursor();
}

}  // namespace qm

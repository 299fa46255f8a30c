#pragma once
// Controls, message boxes and the cursor on the real window. In script mode
// a message box is printed instead of shown and answered with OK at once.

#include <functional>
#include <string>

#include "runtime/controls.h"

namespace qm {

class MainWindow;

class QtControls : public Controls, public Dialogs, public Cursor {
 public:
  using Dialogs::MessageBox;
  /// `print`, when set, receives each message box as the script driver's
  /// output line instead of showing it.
  QtControls(MainWindow& window, std::function<void(const std::string&)> print);

  Text GetText(std::string_view control) override;
  void SetText(std::string_view control, const Text& text) override;
  bool IsDisabled(std::string_view control) override;
  void SetDisabled(std::string_view control, bool disabled) override;
  bool IsTicked(std::string_view control) override;
  int Interval(std::string_view control) override;
  void SetInterval(std::string_view control, int milliseconds) override;
  bool AlwaysShowSelection(std::string_view control) override;
  void SetAlwaysShowSelection(std::string_view control, bool on) override;
  void SetFocus(std::string_view control) override;
  int MessageBox(const Text& content, int flags, const Text& caption) override;
  void SetWaitCursor() override;
  void RestoreCursor() override;

  /// Runs before each message box is shown (the progress dialog goes).
  void SetBeforeMessage(std::function<void()> hook) { before_message_ = std::move(hook); }

 private:
  MainWindow& window_;
  std::function<void(const std::string&)> print_;
  std::function<void()> before_message_;
  bool waiting_ = false;
};

}  // namespace qm

#pragma once
// Controls, message boxes and cursor kept in memory, for running operations
// without a window. Every property starts as the window would have it only
// when the test sets it (but for the header and notice boxes); unknown
// controls read as empty, enabled, unticked.

#include <map>
#include <string>
#include <vector>

#include "runtime/controls.h"

namespace qm {

struct ShownMessage {
  Text content;
  int flags = 0;
  Text caption;
};

class MemoryControls : public Controls, public Dialogs, public Cursor {
 public:
  using Dialogs::MessageBox;

  /// The boxes whose start text is the value an operation takes unless the
  /// user changes it (the book's header and notice) start with it, as in
  /// the window.
  MemoryControls();

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

  /// Ticks or clears a check box or radio button (no click event).
  void SetTicked(std::string_view control, bool ticked);

  /// Messages shown so far, in order.
  std::vector<ShownMessage> messages;
  /// The control that last got the focus.
  std::string focused;
  /// How many times the timer interval actually changed (restarts).
  int timer_restarts = 0;
  /// Wait cursor nesting: true while the wait cursor shows.
  bool wait_cursor = false;
  /// Every cursor change, "wait" or "restore", in order.
  std::vector<std::string> cursor_log;

 private:
  std::map<std::string, Text, std::less<>> texts_;
  std::map<std::string, bool, std::less<>> disabled_;
  std::map<std::string, bool, std::less<>> ticked_;
  std::map<std::string, int, std::less<>> intervals_;
  std::map<std::string, bool, std::less<>> always_show_;
};

}  // namespace qm

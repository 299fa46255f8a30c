#pragma once
// How operations reach the window: control properties by control name,
// message boxes and the cursor. The Qt window implements these; tests use
// MemoryControls. Control names are the window's own (UTF-8 in the source,
// for example "编辑框1"); texts are GBK.

#include <string_view>

#include "runtime/text.h"

namespace qm {

class Controls {
 public:
  virtual ~Controls() = default;
  /// The whole text of an edit box (multi-line boxes separate lines with
  /// CR LF).
  virtual Text GetText(std::string_view control) = 0;
  virtual void SetText(std::string_view control, const Text& text) = 0;
  /// True when the control is greyed out and takes no clicks.
  virtual bool IsDisabled(std::string_view control) = 0;
  virtual void SetDisabled(std::string_view control, bool disabled) = 0;
  /// Whether a check box is ticked or a radio button selected.
  virtual bool IsTicked(std::string_view control) = 0;
  /// A timer's period in milliseconds; 0 when stopped. Writing a negative
  /// value stops it; writing the value it already has changes nothing.
  virtual int Interval(std::string_view control) = 0;
  virtual void SetInterval(std::string_view control, int milliseconds) = 0;
  /// The tree box's always-show-selection style.
  virtual bool AlwaysShowSelection(std::string_view control) = 0;
  virtual void SetAlwaysShowSelection(std::string_view control, bool on) = 0;
  /// Gives the control the keyboard focus.
  virtual void SetFocus(std::string_view control) = 0;
};

/// The default caption of message boxes, "信息：" in GBK.
Text DefaultMessageCaption();

class Dialogs {
 public:
  virtual ~Dialogs() = default;
  /// Shows a modal message box and returns the button pressed (OK is 0).
  /// `flags` are the Windows button and icon bits (0: one OK button).
  virtual int MessageBox(const Text& content, int flags, const Text& caption) = 0;
  int MessageBox(const Text& content, int flags = 0) { return MessageBox(content, flags, DefaultMessageCaption()); }
};

class Cursor {
 public:
  virtual ~Cursor() = default;
  /// Shows the wait cursor for the whole program.
  virtual void SetWaitCursor() = 0;
  /// Puts back the cursor in use before the first SetWaitCursor.
  virtual void RestoreCursor() = 0;
};

}  // namespace qm

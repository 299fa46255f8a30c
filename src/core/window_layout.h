#pragma once
// The main window's controls as data: name, type, parent, place, start text
// and start state. The Qt window is built from this table; the script driver
// and the tests use it to know each control's type.

#include <span>
#include <string_view>

namespace qm {

enum class ControlKind {
  kTabControl,
  kRadioButton,
  kGroupBox,
  kLabel,
  kEditBox,
  kButton,
  kCheckBox,
  kHyperlink,
  kTreeBox,
  kTimer,       // no window of its own
  kDropTarget,  // no window of its own
  kWebView,
};

/// The two pages of the tab control, in order; controls placed on a page
/// name it as their parent.
inline constexpr std::string_view kWebPage = "网页制作";
inline constexpr std::string_view kChmPage = "CHM制作";

/// How an edit box looks; all false for other controls.
struct EditStyle {
  /// Enter makes a new line; CR LF separates lines.
  bool multi_line = false;
  /// A multi-line box without line wrapping.
  bool horizontal_scroll_bar = false;
  /// Text drawn dark red (RGB 128, 0, 0), as the drop boxes draw it.
  bool dark_red_text = false;
  /// The light grey background (RGB 236, 236, 236).
  bool grey_background = false;
};

struct ControlInfo {
  std::string_view name;
  ControlKind kind;
  /// kWebPage, kChmPage, a group box's name, or empty for the window itself.
  std::string_view parent;
  int left = 0, top = 0, width = 0, height = 0;
  /// Caption or start text (UTF-8).
  std::string_view text;
  bool disabled = false;
  bool hidden = false;
  EditStyle style;
  /// What the control does, what it needs and where results go (UTF-8),
  /// shown when the mouse rests on it; empty for none.
  std::string_view tooltip;

  /// This entry with `tip` as its tooltip.
  constexpr ControlInfo Tip(std::string_view tip) const {
    ControlInfo c = *this;
    c.tooltip = tip;
    return c;
  }
};

/// Every control of the main window, parents before their children.
std::span<const ControlInfo> WindowControls();

/// The control of that name, or nullptr.
const ControlInfo* FindControl(std::string_view name);

/// The window's title and its fixed client size. The outer size of the
/// window on its original platform, 689 x 389, is this client area plus a
/// 3-pixel fixed border and a 26-pixel caption.
inline constexpr std::string_view kWindowTitle = "Quillmere";
inline constexpr int kClientWidth = 683;
inline constexpr int kClientHeight = 360;

/// A box that takes a folder by drop, with the radio button that selects
/// its tool on the page "网页制作" (a drop there goes to the selected tool's
/// box); empty for the CHM tab's folder box, which is a drop area itself.
struct FolderBox {
  std::string_view box;
  std::string_view radio;
};

/// Every box that gets a folder chooser.
std::span<const FolderBox> FolderBoxes();

/// The tab page `name` lies on (kWebPage, kChmPage), or empty when it lies
/// outside the tab control.
std::string_view PageOf(std::string_view name);

// Edit-box styles, from the entries' `style`.
/// Multi-line boxes (Enter makes a new line; CR LF separates lines).
bool IsMultiLine(std::string_view edit_box);
/// Multi-line boxes with a horizontal scroll bar (no line wrapping).
bool HasHorizontalScrollBar(std::string_view edit_box);
/// The drop boxes that draw their text dark red (RGB 128, 0, 0).
bool HasDarkRedText(std::string_view edit_box);
/// Boxes with the light grey background (RGB 236, 236, 236).
bool HasGreyBackground(std::string_view edit_box);

}  // namespace qm

#pragma once
// Where the controls stand when the window is larger than its start size.
// At the start size every control stands where the window layout table
// puts it. Extra width and height go into a few places on each page, so
// that the boxes, the tree, the order list and the preview boxes grow
// while the buttons keep their size and move along: each page has upright
// and level lines (at coordinates between controls); a control's edge
// that lies beyond a line moves by that line's share of the growth, so a
// control that a line crosses grows and one beyond it moves.

#include <string_view>

#include "core/window_layout.h"

namespace qm {

struct ControlRect {
  int left = 0, top = 0, width = 0, height = 0;
  bool operator==(const ControlRect&) const = default;
};

/// The rectangle of `control` (relative to its parent, as in the layout
/// table) in a client area `extra_width` x `extra_height` pixels larger than
/// the start size; negative growth counts as none. The table's rectangle
/// for no growth, and for controls the table does not know.
ControlRect GrownRect(const ControlInfo& control, int extra_width, int extra_height);

}  // namespace qm

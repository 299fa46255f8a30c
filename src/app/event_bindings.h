#pragma once
// Which operation each control event runs. The window looks events up
// here, so the binding of every control can be checked without a window.

#include <span>
#include <string_view>

#include "core/context.h"

namespace qm {

enum class EventKind {
  kClick,             // button or check box clicked
  kFilesDropped,      // files dropped on a drop target's area
  kTick,              // timer period elapsed
  kSelectionChanged,  // the tree box's selection moved
};

using PlainOperation = void (*)(Context&);
using DropOperation = void (*)(Context&, const Text& dropped);
using SelectionOperation = void (*)(Context&, int how);

/// One row of the binding table: exactly one of the three operations is set,
/// matching `event`.
struct EventBinding {
  std::string_view control;
  EventKind event;
  PlainOperation plain = nullptr;
  DropOperation drop = nullptr;
  SelectionOperation selection = nullptr;
};

/// Every bound event of the main window.
std::span<const EventBinding> EventBindings();

/// The binding of that control's event, or nullptr when it is not bound.
const EventBinding* FindBinding(std::string_view control, EventKind event);

/// Runs the operation bound to a click or tick of `control`; false when the
/// event is not bound.
bool RunBoundEvent(Context& ctx, std::string_view control, EventKind event);

/// Runs the drop operation of `drop_target`; false when it has none.
bool RunDropEvent(Context& ctx, std::string_view drop_target, const Text& dropped);

/// Runs the selection-changed operation of the tree box `control`.
bool RunSelectionEvent(Context& ctx, std::string_view control, int how);

}  // namespace qm

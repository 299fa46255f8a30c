#pragma once
#include "core/context.h"

namespace qm {

/// Files dropped on the folder box of the CHM tab: fills the document tree.
void OnChmFolderDrop(Context& ctx, const Text& dropped);

/// The tree's selection changed (`how`: 0 keyboard, 1 mouse, 2 otherwise).
void OnTreeSelectionChanged(Context& ctx, int how);

/// Click on "不自建目录".
void OnNoOwnContentsToggled(Context& ctx);

/// The locations (ItemLocation::local) of the tree's items that are no
/// folders, in tree-index order, each followed by CR LF.
Text DocumentOrderListOf(const TreeModel& tree);

}  // namespace qm

#pragma once
#include "core/context.h"

namespace qm {

/// Files dropped on the folder box of the CHM tab: fills the document tree.
void OnChmFolderDrop(Context& ctx, const Text& dropped);

/// The tree's selection changed (`how`: 0 keyboard, 1 mouse, 2 otherwise).
void OnTreeSelectionChanged(Context& ctx, int how);

/// Click on "不自建目录".
void OnNoOwnContentsToggled(Context& ctx);

/// The relative paths of the tree's document nodes in tree-index order,
/// without angle brackets or the final "\", each followed by CR LF.
Text DocumentOrderListOf(const TreeModel& tree);

}  // namespace qm

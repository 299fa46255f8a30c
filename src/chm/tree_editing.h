#pragma once
#include "core/context.h"

namespace qm {

// The buttons under the document tree. Each edit is one step that "撤销"
// takes back (tree_history.h).
void OnMoveUpClicked(Context& ctx);          // "上移"
void OnMoveDownClicked(Context& ctx);        // "下移"
void OnDeleteItemClicked(Context& ctx);      // "删除节点"
void OnDeleteChildrenClicked(Context& ctx);  // "删除子节点"
void OnFilterClicked(Context& ctx);          // "过滤"
void OnUndoClicked(Context& ctx);            // "撤销": the latest tree edit

/// The user dragged `item` onto its sibling `onto`: as one step, the moves
/// up or down that bring it to where `onto` stands (the moved item ends
/// selected). Nothing for items that are not siblings.
void DragTreeItem(Context& ctx, int item, int onto);

}  // namespace qm

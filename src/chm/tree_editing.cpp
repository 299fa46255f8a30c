#include "chm/tree_editing.h"

#include "chm/tree_operations.h"
#include "core/control_names.h"

namespace qm {

using namespace chm;

void OnMoveUpClicked(Context& ctx) {
  ctx.tree.Select(MoveItemUp(ctx.tree, ctx.tree.Selection()));
  ctx.controls.SetFocus(kTree);
}

void OnMoveDownClicked(Context& ctx) {
  ctx.tree.Select(MoveItemDown(ctx.tree, ctx.tree.Selection()));
  ctx.controls.SetFocus(kTree);
}

void OnDeleteItemClicked(Context& ctx) { DeleteTreeItem(ctx.tree, ctx.tree.Selection()); }

void OnDeleteChildrenClicked(Context& ctx) { DeleteChildren(ctx.tree, ctx.tree.Selection()); }

void OnFilterClicked(Context& ctx) { FilterTree(ctx.tree); }

}  // namespace qm

#include "chm/tree_editing.h"

#include "chm/tree_history.h"
#include "chm/tree_operations.h"
#include "core/control_names.h"

namespace qm {

using namespace chm;

void OnMoveUpClicked(Context& ctx) {
  EditTree(ctx, [&] { ctx.tree.Select(MoveItemUp(ctx.tree, ctx.tree.Selection())); });
  ctx.controls.SetFocus(kTree);
}

void OnMoveDownClicked(Context& ctx) {
  EditTree(ctx, [&] { ctx.tree.Select(MoveItemDown(ctx.tree, ctx.tree.Selection())); });
  ctx.controls.SetFocus(kTree);
}

void OnDeleteItemClicked(Context& ctx) {
  EditTree(ctx, [&] { DeleteTreeItem(ctx.tree, ctx.tree.Selection()); });
}

void OnDeleteChildrenClicked(Context& ctx) {
  EditTree(ctx, [&] { DeleteChildren(ctx.tree, ctx.tree.Selection()); });
}

void OnFilterClicked(Context& ctx) {
  EditTree(ctx, [&] { FilterTree(ctx.tree); });
}

void OnUndoClicked(Context& ctx) {
  UndoTreeEdit(ctx);
  ctx.controls.SetFocus(kTree);
}

void DragTreeItem(Context& ctx, int item, int onto) {
  TreeModel& tree = ctx.tree;
  if (item < 0 || onto < 0 || item == onto || item >= tree.Count() || onto >= tree.Count() ||
      tree.Parent(item) != tree.Parent(onto))
    return;
  const bool up = onto < item;
  int hops = 0;
  for (int s = item; s != onto && s >= 0; s = FindSibling(tree, s, up)) ++hops;
  EditTree(ctx, [&] {
    int at = item;
    for (int i = 0; i < hops && at >= 0; ++i) at = up ? MoveItemUp(tree, at) : MoveItemDown(tree, at);
    tree.Select(at);
  });
}

}  // namespace qm

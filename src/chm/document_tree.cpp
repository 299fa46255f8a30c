#include "chm/document_tree.h"

#include "chm/chm_controls.h"
#include "chm/folder_scan.h"
#include "chm/tree_paths.h"
#include "runtime/encoding.h"

namespace qm {

using namespace chm;

Text DocumentOrderListOf(const TreeModel& tree) {
  Text list;
  ForEachItemPath(tree, [&list](int, const Text& path) {
    if (IsFolderPath(path)) return;
    Text p = IsInsideFolder(path) ? WithoutAll(path, ">", "<") : path;
    list += WithoutFinalBackslash(p);
    list += "\r\n";
  });
  return list;
}

void OnChmFolderDrop(Context& ctx, const Text& dropped) {
  // The attributes are read before anything changes; a path that cannot be
  // read gives -1, which passes the folder test and scans nothing.
  const int attributes = ctx.fs.Attributes(dropped);
  ctx.controls.SetInterval(kPreviewTimer, 0);
  ctx.tree.Select(-1);  // raises the selection event when a node was selected
  ctx.controls.SetText(kProjectBox, {});
  ctx.controls.SetText(kContentsBox, {});
  ctx.state.DocumentOrderList.clear();
  ctx.tree.Clear();
  ctx.controls.SetText(kFolderBox, dropped);

  if ((attributes & kDirectory) != 0) {
    Text folder = ctx.controls.GetText(kFolderBox);
    ScanFolderIntoTree(ctx, folder, -1);
    if (ctx.progress.Stopped())
      ctx.dialogs.MessageBox(Gbk("已取消：目录树只列出了 ") + ToText(ctx.tree.Count()) + Gbk(" 项，其余没有列出。"));
    ctx.state.BookName = LastPathComponent(ctx.controls.GetText(kFolderBox));
    ctx.state.DocumentOrderList = DocumentOrderListOf(ctx.tree);
  } else if (FindText(dropped, ".chm", 1, true) != -1) {
    ctx.controls.SetDisabled(kUnpackButton, false);
  }
}

void OnTreeSelectionChanged(Context& ctx, int) {
  ctx.controls.SetText(kHomePageBox, TreeItemPath(ctx.tree, ctx.tree.Selection()));
  ctx.controls.SetAlwaysShowSelection(kTree, true);
  // Writing the period the timer already has does not restart it, so the
  // preview follows one second after the first of several quick changes.
  ctx.controls.SetInterval(kPreviewTimer, kPreviewDelayMs);
}

void OnNoOwnContentsToggled(Context& ctx) {
  if (ctx.controls.IsTicked(kNoOwnContentsBox)) {
    ctx.controls.SetDisabled(kBuildButton, true);
    ctx.controls.SetDisabled(kCompileButton, false);
  } else {
    ctx.controls.SetDisabled(kBuildButton, false);
  }
}

}  // namespace qm

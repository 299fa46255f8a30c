#include "chm/document_tree.h"

#include "chm/folder_scan.h"
#include "chm/tree_history.h"
#include "chm/tree_paths.h"
#include "core/control_names.h"
#include "runtime/encoding.h"
#include "runtime/path_kind.h"

namespace qm {

using namespace chm;

Text DocumentOrderListOf(const TreeModel& tree) {
  Text list;
  ForEachItemLocation(tree, [&](int i, const Text&, const ItemLocation& location) {
    if (tree.Kind(i) == TreeItemKind::kFolder) return;
    list += location.local;
    list += "\r\n";
  });
  return list;
}

namespace {

// Names the items the scan kept out of the tree; line breaks in them are
// shown as "\r" and "\n".
Text LeftOutMessage(const std::vector<Text>& left_out) {
  Text message = Gbk("以下项目没有列入目录树（名字含有换行符，或是通向文件夹之外的链接）：");
  constexpr std::size_t kShown = 20;
  for (std::size_t i = 0; i < left_out.size() && i < kShown; ++i) {
    const Text& path = left_out[i];
    message += "\r\n";
    for (char c : path) {
      if (c == '\r') message += "\\r";
      else if (c == '\n') message += "\\n";
      else message += c;
    }
  }
  if (left_out.size() > kShown)
    message += "\r\n" + Gbk("……共 ") + ToText(static_cast<long>(left_out.size())) + Gbk(" 个");
  return message;
}

}  // namespace

void OnChmFolderDrop(Context& ctx, const Text& dropped) {
  // The path is looked at before anything changes; one that cannot be read
  // counts as a folder and scans nothing.
  const bool folder_dropped = IsFolderOrNothing(ctx.fs, dropped);
  ctx.controls.SetInterval(kPreviewTimer, 0);
  ctx.tree.Select(-1);  // raises the selection event when a node was selected
  ctx.controls.SetText(kProjectBox, {});
  ctx.controls.SetText(kContentsBox, {});
  ctx.state.DocumentOrderList.clear();
  ctx.state.BookFolder.clear();
  ctx.tree.Clear();
  ForgetTreeEdits(ctx.state);
  ctx.controls.SetText(kFolderBox, dropped);

  if (folder_dropped) {
    const Text folder_text = ctx.controls.GetText(kFolderBox);
    Text book = LastPathComponent(folder_text);
    if (HoldsLineBreak(book)) {
      // The book's name goes into the project file's lines.
      ctx.state.BookName.clear();
      ctx.dialogs.MessageBox(Gbk("文件夹的名字含有换行符，不能做成CHM，请改名后再拖进来。"));
      return;
    }
    Text folder = ctx.controls.GetText(kFolderBox);
    std::vector<Text> left_out;
    ScanFolderIntoTree(ctx, folder, -1, &left_out);
    if (ctx.progress.Stopped())
      ctx.dialogs.MessageBox(Gbk("已取消：目录树只列出了 ") + ToText(ctx.tree.Count()) + Gbk(" 项，其余没有列出。"));
    ctx.state.BookName = book;
    ctx.state.BookFolder = folder_text;
    ctx.state.DocumentOrderList = DocumentOrderListOf(ctx.tree);
    if (!left_out.empty()) ctx.dialogs.MessageBox(LeftOutMessage(left_out));
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

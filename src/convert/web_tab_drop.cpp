#include "convert/web_tab_drop.h"

#include "convert/chapter_numbers.h"
#include "core/control_names.h"
#include "runtime/encoding.h"
#include "runtime/file_ops.h"
#include "runtime/path_kind.h"
#include "runtime/paths.h"

namespace qm {

void ListTextFiles(Context& ctx, const Text& folder) {
  Text pattern = folder;
  if (pattern.empty() || pattern.back() != kPathSeparator) pattern += kPathSeparator;
  pattern += "*.txt";
  std::vector<Text> names = FindFiles(ctx.fs, pattern);
  if (names.empty()) return;
  if (ctx.controls.IsTicked(controls::kNaturalOrderBox)) SortNaturally(&names);
  Text list = ctx.controls.GetText(controls::kOrderListBox);
  for (const Text& name : names) list += name + "\r\n";
  ctx.controls.SetText(controls::kOrderListBox, list);
}

void OnWebTabDrop(Context& ctx, const Text& dropped) {
  Controls& ui = ctx.controls;
  ui.SetText(controls::kOrderListBox, Text());
  if (ui.IsTicked(controls::kBookModeRadio)) {
    ui.SetText(controls::kBookFolderBox, dropped);
    ListTextFiles(ctx, ui.GetText(controls::kBookFolderBox));
  } else if (ui.IsTicked(controls::kSimplifyModeRadio)) {
    // The folder tests below fail only for an existing entry that is no
    // folder: a path that names nothing (several items dropped at once)
    // passes them.
    if (IsFolderOrNothing(ctx.fs, dropped)) {
      ui.SetText(controls::kSimplifyFolderBox, dropped);
      ui.SetDisabled(controls::kSimplifyButton, false);
    } else {
      ctx.dialogs.MessageBox(Gbk("不处理单一文件！"));
    }
  } else if (ui.IsTicked(controls::kReencodeModeRadio)) {
    if (IsFolderOrNothing(ctx.fs, dropped)) {
      ui.SetDisabled(controls::kReencodeButton, false);
      ui.SetText(controls::kReencodeFolderBox, dropped);
    }
  } else if (ui.IsTicked(controls::kRenameModeRadio)) {
    if (IsFolderOrNothing(ctx.fs, dropped)) {
      ui.SetDisabled(controls::kRenameButton, false);
      ui.SetText(controls::kRenameFolderBox, dropped);
    }
  } else if (ui.IsTicked(controls::kBatchModeRadio)) {
    if (IsFolderOrNothing(ctx.fs, dropped)) ui.SetDisabled(controls::kBatchConvertButton, false);
    ui.SetDisabled(controls::kBatchUndoButton, false);
    ui.SetText(controls::kBatchFolderBox, dropped);
  } else if (ui.IsTicked(controls::kSplitModeRadio)) {
    ui.SetText(controls::kSplitPathBox, dropped);
    ui.SetDisabled(controls::kSplitButton, false);
  }
}

}  // namespace qm

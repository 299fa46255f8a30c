#include "core/web_folder.h"

#include "runtime/encoding.h"
#include "runtime/path_kind.h"

namespace qm {

bool RequireExistingFolder(Context& ctx, const Text& folder) {
  if (!folder.empty() && IsExistingFolder(ctx.fs, folder)) return true;
  static const Text kHint = Gbk("  ---拖进来---");
  if (TrimTrailingSpaces(folder).empty() || folder == kHint) {
    ctx.dialogs.MessageBox(Gbk("请先把文件夹拖进来！"));
  } else {
    ctx.dialogs.MessageBox(Gbk("找不到文件夹：") + folder);
  }
  return false;
}

}  // namespace qm

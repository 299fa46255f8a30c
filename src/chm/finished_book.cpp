#include "chm/finished_book.h"

#include "chm/run_outcome.h"
#include "runtime/encoding.h"
#include "runtime/path_kind.h"

namespace qm {
namespace {

// Hands `path` to the desktop's opener; a message says why when that
// failed.
void OpenOnDesktop(Context& ctx, const Text& path, const char* none_yet) {
  if (path.empty()) {
    ctx.dialogs.MessageBox(Gbk(none_yet));
    return;
  }
  if (!PathExists(ctx.fs, path)) {
    ctx.dialogs.MessageBox(path + Gbk(" 已经不在了。"));
    return;
  }
  RunResult run = ctx.processes.Run("xdg-open " + QuotedArgument(path), false);
  if (!run.started) ctx.dialogs.MessageBox(Gbk("无法启动 xdg-open，没有打开：") + path);
}

}  // namespace

void OfferFinishedBook(Context& ctx, const Text& book, const Text& folder) {
  ctx.state.FinishedBook = book;
  ctx.state.FinishedFolder = folder;
}

void OnOpenBookClicked(Context& ctx) { OpenOnDesktop(ctx, ctx.state.FinishedBook, "还没有编译好的书：先按“转CHM”。"); }

void OnOpenFolderClicked(Context& ctx) {
  OpenOnDesktop(ctx, ctx.state.FinishedFolder, "还没有编译好的书或解包出的网页。");
}

}  // namespace qm

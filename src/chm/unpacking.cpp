#include "chm/unpacking.h"

#include "core/control_names.h"

#include "chm/finished_book.h"
#include "chm/run_outcome.h"
#include "runtime/encoding.h"
#include "runtime/paths.h"

namespace qm {

void ChmUnpacking(Context& ctx) {
  const Text p = ctx.controls.GetText(chm::kFolderBox);
  const Text q = ReplaceSubtext(p, " ", {}, 1, -1, true);
  const long k = FindTextBackwards(q, kPathSeparatorText);
  const Text n = TextRight(q, TextLength(q) - k);
  const Text f = ReplaceSubtext(q, n, {}, 1, -1, true);
  const Text b = ReplaceSubtext(n, ".chm", {}, 1, -1, false);
  // The target folder F+B must be a folder of its own beside the book: a
  // name that leaves nothing (".chm"), or names the book's folder ("..chm")
  // or its parent ("...chm"), would unpack over files that are not the
  // book's. Nothing is renamed or written then.
  if (b.empty() || b == "." || b == ".." || b.find(kPathSeparatorText) != Text::npos) {
    ctx.dialogs.MessageBox(p + Gbk(" 的书名去掉 .chm 后不能作为文件夹名，没有解包。"));
    return;
  }
  // A link at the target folder could lead anywhere: the book is not
  // unpacked through it.
  if (ctx.fs.IsLink(f + b)) {
    ctx.dialogs.MessageBox(f + b + Gbk(" 是一个链接，没有解包。"));
    return;
  }
  // The file takes its space-free name; the rename never replaces a file.
  // A link at that name could lead anywhere: it is neither replaced nor
  // unpacked in the book's place.
  if (q != p && ctx.fs.IsLink(q)) {
    ctx.dialogs.MessageBox(q + Gbk(" 是一个链接，没有改名，也没有解包。"));
    return;
  }
  ctx.fs.Rename(p, q);
  // The command names the book F+B+".chm"; on a disk that tells letter
  // cases apart a book named BOOK.CHM is not found under that name, so the
  // unpacker then gets the file's real (space-free) name.
  const Text named = f + b + ".chm";
  const Text book = ctx.fs.Attributes(named) < 0 && ctx.fs.Attributes(q) >= 0 ? q : named;
  const Text command = "hh.exe -decompile " + f + b + " " + book;
  RunResult run = ctx.processes.Run(command, true);
  Text failure = DescribeFailedRun(run, "hh.exe", Gbk("解包"));
  if (run.stopped && !run.stalled) failure = ctx.progress.ClosingMessage("ok");
  if (failure.empty()) OfferFinishedBook(ctx, {}, f + b);
  ctx.dialogs.MessageBox(failure.empty() ? Text("ok") : failure);
}

}  // namespace qm

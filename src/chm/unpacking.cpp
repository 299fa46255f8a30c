#include "chm/unpacking.h"

#include "core/control_names.h"

#include "chm/finished_book.h"
#include "chm/run_outcome.h"
#include "runtime/encoding.h"
#include "runtime/path_kind.h"
#include "runtime/paths.h"

namespace qm {

namespace {

// The name of a book with every ".chm" taken out (any letter case); empty
// when what is left cannot name a folder of its own beside the book: a
// name that leaves nothing (".chm"), or names the book's folder ("..chm")
// or its parent ("...chm"), would unpack over files that are not the
// book's.
Text FolderNameOf(const Text& book_name) {
  Text b = ReplaceSubtext(book_name, ".chm", {}, 1, -1, false);
  if (b == "." || b == ".." || b.find(kPathSeparatorText) != Text::npos) return {};
  return b;
}

// The closing message after hh.exe ran: its failure and the files it did
// not put under their own names (kept files of other bytes, second
// entries of one name), or "ok"; after `note` when there is one.
Text UnpackingOutcome(Context& ctx, const RunResult& run, const Text& note) {
  Text outcome = DescribeFailedRun(ctx.fs, run, "hh.exe", Gbk("解包"));
  if (run.stopped && !run.stalled) outcome = ctx.progress.ClosingMessage("ok");
  if (!run.left_out.empty()) {
    // Also after a failure: the files kept beside are named either way.
    Text listed =
        Gbk("以下文件没有放在原来的名字下（文件夹中已有内容不同的同名文件，原文件保留；"
            "或书中有两项同名）：");
    for (const Text& line : run.left_out) listed += "\r\n" + line;
    outcome = outcome.empty() ? Gbk("解包完成。") + listed : outcome + "\r\n" + listed;
  }
  if (!note.empty()) return outcome.empty() ? note : note + "\r\n" + outcome;
  return outcome.empty() ? Text("ok") : outcome;
}

// `arg` as one argument of the command line: as it is when it holds no
// white space and no quote, in quotes otherwise.
Text Argument(const Text& arg) { return arg.find_first_of(" \t\"") == Text::npos ? arg : QuotedArgument(arg); }

}  // namespace

void ChmUnpacking(Context& ctx) {
  // Only the book's own file name loses its spaces: the book stays in its
  // folder (F, with its separator), and the target folder is beside it.
  const Text p = ctx.controls.GetText(chm::kFolderBox);
  const Text f = p.substr(0, p.size() - NameOf(p).size());
  const Text n = ReplaceSubtext(NameOf(p), " ", {}, 1, -1, true);
  const Text q = f + n;
  const Text b = FolderNameOf(n);
  if (b.empty()) {
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
  Text note;
  Text command;
  Text folder = f + b;
  if (q != p && !ctx.fs.Rename(p, q) && PathExists(ctx.fs, p) && NameTaken(ctx.fs, q)) {
    // The space-free name belongs to another file (another book, say):
    // the dropped book is unpacked under its own name, into the folder
    // that bears it, and nothing else is touched.
    const Text own = FolderNameOf(NameOf(p));
    if (own.empty() || ctx.fs.IsLink(JoinPath(FolderOf(p), own))) {
      ctx.dialogs.MessageBox(q + Gbk(" 已是另一个文件，") + p + Gbk(" 没有改名，也没有解包。"));
      return;
    }
    const Text target = JoinPath(FolderOf(p), own);
    folder = target;
    note = q + Gbk(" 已是另一个文件，") + p + Gbk(" 没有改名，按原名解包到 ") + target + Gbk("。");
    command = "hh.exe -decompile " + QuotedArgument(target) + " " + QuotedArgument(p);
  } else {
    // The command names the book F+B+".chm"; on a disk that tells letter
    // cases apart a book named BOOK.CHM is not found under that name, so
    // the unpacker then gets the file's real (space-free) name.
    const Text named = f + b + ".chm";
    const Text book = !PathExists(ctx.fs, named) && PathExists(ctx.fs, q) ? q : named;
    command = "hh.exe -decompile " + Argument(f + b) + " " + Argument(book);
  }
  RunResult run = ctx.processes.Run(command, true);
  const bool unpacked = DescribeFailedRun(ctx.fs, run, "hh.exe", Gbk("解包")).empty() && !(run.stopped && !run.stalled);
  if (unpacked) OfferFinishedBook(ctx, {}, folder);
  ctx.dialogs.MessageBox(UnpackingOutcome(ctx, run, note));
}

}  // namespace qm

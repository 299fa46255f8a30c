// "转网页": the listed text files of the web folder become numbered, linked
// pages 000.htm, 001.htm, ... and a contents page index.htm, dressed in the
// book template (with the maker's header and notice from 编辑框页眉 and
// 编辑框声明), with three images beside them; the text files move into the
// backup folder.
//
// Nothing is lost on the way: a text file leaves the web folder only by a
// rename into the backup folder, or after its copy there is completely
// written. A listed file that is missing (listed twice, or converted by an
// earlier run) gets an empty page, is named in the closing message and
// leaves its backup copy alone; a text
// whose name the backup folder already holds gets its page but stays. What
// could not be done is listed in the closing message instead of "ok".
//
// Each text is read in its own encoding (UTF-16 or UTF-8 with a mark,
// unmarked UTF-8, else GBK) and becomes GBK as its page is built. Texts are
// read and pages written in pieces, so that a text of any size takes
// little memory.

#include "convert/paged_book.h"

#include <deque>
#include <utility>

#include "convert/book_page_file.h"
#include "convert/book_run.h"
#include "convert/conversion_report.h"
#include "convert/page_queue.h"
#include "core/book_page.h"
#include "core/control_names.h"
#include "core/page_images.h"
#include "core/web_folder.h"
#include "runtime/encoding.h"
#include "runtime/file_ops.h"
#include "runtime/path_kind.h"
#include "runtime/paths.h"

namespace qm {
namespace {

void WriteBookImages(FileSystem& fs, const Text& folder, ConversionReport& report) {
  const std::pair<std::string_view, const ByteSet*> images[] = {
      {kDividerImageName, &DividerImage()},
      {kPaperImageName, &PaperImage()},
      {kBulletImageName, &BulletImage()},
  };
  for (const auto& [name, image] : images) {
    if (!WriteFileSafely(fs, JoinPath(folder, name), image->View())) {
      report.Add(name, WithReason(Gbk("图片无法写入"), fs.LastError()));
    }
  }
}

// Chooses the listed text file for the page (its first piece read) and
// moves it into the backup folder, unless a file of its name is there
// already (then it stays, reported). On a resumed run a text that an earlier
// run already moved there is read there. No text is chosen (an empty page) when
// it is missing, cannot be read (then it stays) or the entry is not a bare
// file name (reported).
void TakeTextFile(FileSystem& fs, const Text& folder, const Text& backup, const Text& name, const BookRun& run,
                  ConversionReport& report, BookPageFile& text) {
  text.Close();
  // Entries are bare names of the folder's files: a path would read a file
  // elsewhere into the book and move it into the backup folder.
  if (name.find('/') != Text::npos || name == "." || name == "..") {
    report.Add(name, Gbk("不是文件夹中的文件名，未读取"));
    return;
  }
  Text source = JoinPath(folder, name);
  // A link leading out of the folder would put a file from elsewhere into
  // the book: it is left alone. A link inside is read at the file it leads
  // to, resolved once. Either way the file read is never a link itself, so
  // a link swapped in after this look is not followed.
  const bool link = fs.IsLink(source);
  Text read_from = source;
  if (link) {
    read_from = fs.RealPath(source);
    if (read_from.empty()) {
      report.Add(name, Gbk("是链接，它指向的文件已不在（也许已移入备份文件夹），未读取"));
      return;
    }
    if (!InsideFolder(fs, read_from, folder)) {
      report.Add(name, Gbk("是指向文件夹之外的链接，未读取"));
      return;
    }
  }
  Text kept = JoinPath(backup, name);
  if (MovedByEarlierRun(fs, folder, run, name)) {
    text.Open(kept);
    return;
  }
  if (!text.Open(read_from)) {
    const FileError read_error = fs.LastError();
    const PathKind kind = KindOfPath(fs, source);
    if (kind == PathKind::kFile) {
      report.Add(name, WithReason(Gbk("无法读取，原文件未动，它的网页是空的"), read_error));
    } else if (kind == PathKind::kFolder && !name.empty()) {
      report.Add(name, Gbk("是文件夹，不是文本，它的网页是空的"));
    } else if (kind == PathKind::kNothing && !fs.IsLink(source)) {
      report.Add(name, Gbk("文件夹中没有这个文件，它的网页是空的"));
    }
    return;
  }
  // The move never replaces: an older backup of the same name is kept, and
  // the text then stays here.
  if (fs.Rename(source, kept)) {
    if (!link) text.MovedTo(kept);  // a link moves, and the file it led to stays
    return;
  }
  if (NameTaken(fs, kept)) {
    report.Add(name, Gbk("备份文件夹中已有同名文件，原文件未动"));
    return;
  }
  // Another file system: the text is copied, and removed once its copy is
  // complete.
  if (!text.CopyTo(kept) || !fs.SyncAll(backup)) {
    report.Add(name, WithReason(Gbk("无法存入备份文件夹，原文件未动"), fs.LastError()));
  } else if (!fs.Delete(source)) {
    report.Add(name, WithReason(Gbk("已存入备份文件夹，但原文件无法删除"), fs.LastError()));
  } else {
    text.MovedTo(kept);
  }
}

// What the closing message says of a page written from `entry`.
void ReportPageNotes(ConversionReport& report, const Text& entry, bool dropped_odd_byte, bool ended_at_zero_byte) {
  if (dropped_odd_byte) report.Add(entry, Gbk(kOddByteNote));
  if (ended_at_zero_byte) report.Add(entry, Gbk("含有0字节，网页只到这个字节为止；完整的文本在 bak 中"));
}

// Why nothing was converted when bak is a link: the texts would move
// wherever it leads.
constexpr char kBackupIsLink[] = "备份文件夹 bak 是一个链接，可能通向文件夹之外：没有转换。";

}  // namespace

void PagedBookConversion(Context& ctx) { PagedBookConversionInPieces(ctx, kTextPieceSize); }

void PagedBookConversionInPieces(Context& ctx, std::size_t piece_size) {
  Text folder = ctx.controls.GetText(controls::kBookFolderBox);
  if (!RequireExistingFolder(ctx, folder)) return;
  Text backup = BackupFolder(folder);
  if (ctx.fs.IsLink(backup)) {
    ctx.dialogs.MessageBox(Gbk(kBackupIsLink));
    return;
  }
  // The folder and the backup folder stay the ones the run began with: one
  // swapped meanwhile (for a link leading elsewhere, say) stops the run.
  // They are known before anything is written; a backup folder made by the
  // run is known once made.
  FileId folder_id, backup_id;
  const bool folder_known = ctx.fs.Identify(folder, &folder_id);
  bool backup_known = ctx.fs.Identify(backup, &backup_id);
  auto unchanged = [&] {
    FileId now;
    return (!folder_known || (ctx.fs.Identify(folder, &now) && now == folder_id)) &&
           (!backup_known || (ctx.fs.Identify(backup, &now) && now == backup_id));
  };
  const Text swapped = Gbk("文件夹或 bak 在转换中被换掉了，其余文本没有转换");
  ConversionReport report;
  const BookRun run =
      StartBookRun(ctx.fs, folder, backup, SplitText(ctx.controls.GetText(controls::kOrderListBox), "\r\n"));
  if (run.busy_with != 0) {
    ctx.dialogs.MessageBox(BusyBookRunMessage(run));
    return;
  }
  const std::vector<Text> entries = ReadableBookEntries(ctx.fs, folder, backup, run, report);
  BookPageOptions options;
  options.wrap_lines = ctx.controls.IsTicked(controls::kWrapLinesBox);
  options.decorate = options.wrap_lines && ctx.controls.IsTicked(controls::kDecorateBox);
  options.header = ctx.controls.GetText(controls::kHeaderBox);
  options.notice = ctx.controls.GetText(controls::kNoticeBox);

  // The pages can be made again from the texts in the backup folder while
  // the run's record is there: they are put on the disk together, once,
  // before the record goes.
  DeferredSyncs deferred(ctx.fs);
  if (!unchanged()) {
    ctx.dialogs.MessageBox(Gbk("（整本书）：") + swapped);
    return;
  }
  WriteBookImages(ctx.fs, folder, report);
  if (!backup_known) {
    ctx.fs.CreateDirectory(backup);
    if (ctx.fs.IsLink(backup)) {
      ctx.dialogs.MessageBox(Gbk(kBackupIsLink));
      return;
    }
    backup_known = ctx.fs.Identify(backup, &backup_id);
  }
  ctx.random.Seed();

  const long count = static_cast<long>(entries.size());
  BookPageFile text(ctx.fs, piece_size);
  bool pages_missing = false;  // a page could not be written: the run is not done
  FileError missing_why;       // the reason the first of them gave
  auto write_failed = [&](const Text& page_name) {
    if (!pages_missing) missing_why = ctx.fs.LastError();
    report.Add(page_name, WithReason(Gbk("网页无法写入"), ctx.fs.LastError()));
    pages_missing = true;
  };
  // What the take step said of texts whose pages are still being made: it
  // goes into the report just before what their pages' step says, so that
  // the report keeps the order of the texts.
  std::deque<std::pair<long, ConversionReport>> taken_reports;
  auto report_taken = [&](long index) {
    for (; !taken_reports.empty() && taken_reports.front().first <= index; taken_reports.pop_front())
      report.Append(taken_reports.front().second);
  };
  // A text whole in one piece has its page made beside the file work.
  PageQueue made_pages(entries, count, options, ctx.state.DateText, ctx.random, [&](MadePage& page) {
    report_taken(page.index);
    const Text page_name = PageFileName(page.index);
    if (!WriteFileSafely(ctx.fs, JoinPath(folder, page_name), page.bytes)) return write_failed(page_name);
    ReportPageNotes(report, entries[page.index], page.dropped_odd_byte, page.ended_at_zero_byte);
  });
  for (long i = 0; i < count; ++i) {
    if (!ctx.progress.Step(i, count, entries[i])) break;
    if (!unchanged()) {
      report.Add(Gbk("（整本书）"), swapped);
      pages_missing = true;
      // Pages not yet written are not written into the folder now there:
      // their texts are in the backup folder, for the next run to make.
      made_pages.Drop();
      report_taken(count);
      break;
    }
    // The backup keeps the file's own bytes; the page gets them in GBK.
    ConversionReport taken;
    TakeTextFile(ctx.fs, folder, backup, entries[i], run, taken, text);
    if (text.Whole()) {
      if (!taken.Empty()) taken_reports.emplace_back(i, std::move(taken));
      made_pages.Add(i, text.TakeWhole());
      continue;
    }
    // A longer text is read and its page written in pieces, here, once the
    // pages before it are written.
    made_pages.Finish();
    report.Append(taken);
    Text page_name = PageFileName(i);
    if (!text.WritePage(JoinPath(folder, page_name), entries[i], i, count, ctx.state.DateText, options, ctx.random)) {
      write_failed(page_name);
    } else {
      ReportPageNotes(report, entries[i], text.dropped_odd_byte(), text.ended_at_zero_byte());
    }
  }
  made_pages.Finish();

  Text contents = BuildContentsPage(entries, ctx.state.DateText, options);
  if (!unchanged()) {
    pages_missing = true;  // reported above; nothing more is written there
  } else if (!ctx.progress.Stopped() && !WriteFileSafely(ctx.fs, JoinPath(folder, "index.htm"), contents)) {
    if (!pages_missing) missing_why = ctx.fs.LastError();
    report.Add("index.htm", WithReason(Gbk("网页无法写入"), ctx.fs.LastError()));
    pages_missing = true;
  } else if (!ctx.progress.Stopped() && !pages_missing) {
    pages_missing = !ctx.fs.SyncAll(folder);
    if (pages_missing) missing_why = ctx.fs.LastError();
    if (!pages_missing) FinishBookRun(ctx.fs, folder);
  }
  // A run that could not write every page (a full disk, say) is finished by
  // the next click in this folder, from the texts already in the backup
  // folder, as a run cut off midway is.
  if ((ctx.progress.Stopped() || pages_missing) && unchanged()) LeaveBookRun(ctx.fs, folder, run);
  if (pages_missing && !ctx.progress.Stopped()) {
    report.Add(Gbk("（整本书）"),
               WithReason(Gbk("网页没有全部写出；腾出空间后再点“转网页”，会用 bak 中的文本补写"), missing_why));
  }
  Text outcome = report.ClosingMessage("ok");
  if (!run.note.empty()) outcome = report.Empty() ? run.note : run.note + "\r\n" + outcome;
  ctx.dialogs.MessageBox(ctx.progress.ClosingMessage(outcome));
}

}  // namespace qm

#include "batch/page_simplifier.h"

#include "core/control_names.h"

#include <algorithm>
#include <optional>
#include <string>

#include "batch/result_file.h"
#include "batch/tool_folder.h"
#include "core/page_images.h"
#include "core/page_templates.h"
#include "runtime/deletions_after_sync.h"
#include "runtime/encoding.h"
#include "runtime/file_ops.h"
#include "runtime/path_kind.h"
#include "runtime/temporary_files.h"

namespace qm {
namespace {

// The closing message instead of "精简网页结束!" when pages were left in
// place: it names them; empty when there are none.
Text LeftInPlaceReport(const SimplificationSummary& s) {
  Text report;
  if (s.nothing_kept > 0) {
    report += Gbk("有 ") + ToText(s.nothing_kept) +
              Gbk(" 个网页在前标记和后标记之间没有内容（标记不存在或为空），没有处理，留在原目录中。");
  }
  if (s.failed > 0) {
    if (!report.empty()) report += "\r\n";
    report +=
        WithReason(Gbk("有 ") + ToText(s.failed) + Gbk(" 个网页无法读取，或无法写入“处理后”，没有处理，留在原目录中"),
                   s.failed_why) +
        Gbk("。");
  }
  if (s.not_removed > 0) {
    if (!report.empty()) report += "\r\n";
    report += WithReason(Gbk("有 ") + ToText(s.not_removed) + Gbk(" 个网页已写入“处理后”，但原网页无法删除"),
                         s.not_removed_why) +
              Gbk("。");
  }
  if (Text links = OutsideLinksReport(s.outside_links); !links.empty()) {
    if (!report.empty()) report += "\r\n";
    report += links;
  }
  if (s.output_swapped) {
    if (!report.empty()) report += "\r\n";
    report += Gbk("“处理后”文件夹在处理中被换掉了，其余网页没有处理，留在原目录中。");
  }
  return report;
}

// The first piece of a page is read smaller: most pages fit in it, and the
// buffer it fills is cleared first, byte for byte.
constexpr std::size_t kFirstPieceSize = 64 << 10;

}  // namespace

PageSimplifier::PageSimplifier(FileSystem& fs, Text front, Text back, std::size_t piece_size)
    : fs_(fs), front_(std::move(front)), back_(std::move(back)), piece_size_(std::max<std::size_t>(piece_size, 1)) {}

PageOutcome PageSimplifier::Simplify(const Text& page, const Text& result) {
  page_stamp_ = fs_.Stamp(page);  // taken first: a change while it is read shows later
  MarkerCutter cutter(front_, back_);
  // The framed page is gathered in memory; one larger than a piece goes on
  // through a writer in pieces.
  out_.assign(FramedPageHead());
  std::optional<SafeFileWriter> writer;
  std::size_t kept = 0;
  const MarkerCutter::Keep keep = [&](std::string_view bytes) {
    kept += bytes.size();
    if (writer) {
      writer->Add(bytes);
      return;
    }
    out_.append(bytes);
    if (out_.size() < piece_size_) return;
    writer.emplace(fs_, result);
    writer->Add(out_);
    out_.clear();
  };
  std::uint64_t offset = 0;
  std::size_t length = std::min(piece_size_, kFirstPieceSize);
  while (!cutter.finished()) {
    if ((writer && !writer->ok()) || !fs_.ReadPart(page, offset, length, &piece_)) return PageOutcome::kFailed;
    bool last = piece_.size() < length;
    std::string_view text(piece_);
    // The page ends before its first zero byte.
    if (std::size_t zero = text.find('\0'); zero != std::string_view::npos) {
      text = text.substr(0, zero);
      last = true;
    }
    cutter.Feed(text, last, keep);
    offset += piece_.size();
    length = piece_size_;
  }
  if (!cutter.found() || kept == 0) return PageOutcome::kNothingKept;
  const Text& tail = FramedPageTail();
  bool written;
  if (writer) {
    written = writer->Add(tail) && writer->Commit();
  } else {
    out_.append(tail);
    written = WriteResultFile(fs_, result, out_);
  }
  return written ? PageOutcome::kWritten : PageOutcome::kFailed;
}

SimplificationSummary SimplifyPagesInFolder(Context& ctx, const Text& folder, const Text& suffix) {
  SimplificationSummary summary;
  Text front = ctx.controls.GetText(controls::kFrontMarkerBox);
  Text back = ctx.controls.GetText(controls::kBackMarkerBox);
  Text output = ProcessedFolder(folder);
  ctx.fs.CreateDirectory(output);  // an existing folder is simply used
  const WatchedFolder watched_output(ctx.fs, output);
  PageSimplifier simplifier(ctx.fs, front, back);
  RemoveStaleTemporaryFiles(ctx.fs, output);
  const std::vector<DirectoryEntry> entries = FindEntries(ctx.fs, InToolFolder(folder, "*" + suffix));
  // The simplified pages go on the disk together, a group at a time, and
  // each page leaves the folder only once its result is there.
  DeferredSyncs deferred(ctx.fs);
  DeletionsAfterSync deletions(ctx.fs);
  std::size_t waiting = 0;
  auto finish_deletions = [&] {
    const std::vector<DeletionsAfterSync::Failed> failed = deletions.Finish(output);
    if (!failed.empty() && summary.not_removed == 0) summary.not_removed_why = failed.front().why;
    summary.simplified += static_cast<int>(waiting - failed.size());
    summary.not_removed += static_cast<int>(failed.size());
    waiting = 0;
  };
  long done = 0;
  for (const DirectoryEntry& entry : entries) {
    const Text& name = entry.name;
    if (name == "." || name == "..") continue;
    if (!ctx.progress.Step(done++, static_cast<long>(entries.size()), name)) break;
    // 处理后 stays the folder it was: one swapped meanwhile (for a link
    // leading elsewhere, say) gets no more results.
    if (!watched_output.Unchanged()) {
      summary.output_swapped = true;
      break;
    }
    Text path = InToolFolder(folder, name);
    if (LinkLeavesFolder(ctx.fs, entry, folder)) {
      summary.outside_links.push_back(name);
      continue;
    }
    switch (simplifier.Simplify(path, InToolFolder(output, name))) {
      case PageOutcome::kNothingKept: ++summary.nothing_kept; continue;
      case PageOutcome::kFailed:
        if (summary.failed++ == 0) summary.failed_why = ctx.fs.LastError();
        continue;
      case PageOutcome::kWritten: break;
    }
    deletions.Add(path, simplifier.PageStamp());
    if (++waiting, deletions.Full()) finish_deletions();
  }
  WriteResultFile(ctx.fs, InToolFolder(output, Text(kPaleTileImageName)), PaleTileImage().View());
  finish_deletions();
  return summary;
}

void PageSimplification(Context& ctx) {
  Text folder = ctx.controls.GetText(controls::kSimplifyFolderBox);
  Text suffix = ctx.controls.GetText(controls::kSimplifySuffixBox);
  if (Text refusal = ProcessingToolRefusal(ctx.fs, folder); !refusal.empty()) {
    ctx.dialogs.MessageBox(refusal);
    return;
  }
  ctx.cursor.SetWaitCursor();
  SimplificationSummary summary = SimplifyPagesInFolder(ctx, folder, suffix);
  ctx.cursor.RestoreCursor();
  ctx.controls.SetDisabled(controls::kSimplifyButton, true);
  Text report = LeftInPlaceReport(summary);
  ctx.dialogs.MessageBox(
      ctx.progress.ClosingMessage(report.empty() ? Gbk("精简网页结束!") : report, Gbk("精简网页结束!")));
}

}  // namespace qm

#include "batch/reencoding.h"

#include "core/control_names.h"

#include <string>

#include "batch/result_file.h"
#include "batch/tool_folder.h"
#include "runtime/encoding.h"
#include "runtime/file_ops.h"
#include "runtime/path_kind.h"
#include "runtime/temporary_files.h"

namespace qm {

namespace {

// A page is read and converted in pieces, so that a page of any size takes
// little memory. Most pages fit in the first piece and are then written in
// one go; larger ones continue in pieces of 1 MB. (Reading a piece first
// clears a buffer of the piece's size, so a small first piece keeps small
// pages quick.)
constexpr std::size_t kFirstPieceSize = 64 * 1024;
constexpr std::size_t kPieceSize = 1 << 20;

enum class PageOutcome { kConverted, kUnreadable, kUnwritten };

// Converts the page at `page` and writes the result to `result`. `piece`
// and `out` are buffers kept from page to page.
PageOutcome ReencodePage(FileSystem& fs, const Text& page, const Text& result, std::string& piece, Text& out) {
  out.clear();
  if (!fs.ReadPart(page, 0, kFirstPieceSize, &piece)) return PageOutcome::kUnreadable;
  GbkTextFromUtf8Pieces converter;
  converter.Add(piece, &out);
  if (piece.size() < kFirstPieceSize) {
    converter.Finish(&out);
    return WriteResultFile(fs, result, out) ? PageOutcome::kConverted : PageOutcome::kUnwritten;
  }
  // A large page: its result goes out piece by piece into a temporary
  // file, which takes the result's name once the page is read to its end.
  SafeFileWriter writer(fs, result);
  for (std::uint64_t offset = piece.size(); !converter.ended();) {
    if (!writer.Add(out)) return PageOutcome::kUnwritten;
    out.clear();
    if (!fs.ReadPart(page, offset, kPieceSize, &piece)) return PageOutcome::kUnreadable;
    offset += piece.size();
    converter.Add(piece, &out);
    if (piece.size() < kPieceSize) break;
  }
  converter.Finish(&out);
  return writer.Add(out) && writer.Commit() ? PageOutcome::kConverted : PageOutcome::kUnwritten;
}

}  // namespace

ReencodingSummary ReencodePagesInFolder(FileSystem& fs, const Text& folder, const Text& suffix, Progress& progress) {
  ReencodingSummary summary;
  Text output = ProcessedFolder(folder);
  fs.CreateDirectory(output);  // an existing folder is simply used
  const WatchedFolder watched_output(fs, output);
  RemoveStaleTemporaryFiles(fs, output);
  std::string piece;
  Text out;
  const std::vector<DirectoryEntry> entries = FindEntries(fs, InToolFolder(folder, "*" + suffix));
  // Nothing is deleted or replaced but earlier results: the results go on
  // the disk together, once, at the end.
  DeferredSyncs deferred(fs);
  long done = 0;
  for (const DirectoryEntry& entry : entries) {
    const Text& name = entry.name;
    if (name == "." || name == "..") continue;
    if (!progress.Step(done++, static_cast<long>(entries.size()), name)) break;
    // 处理后 stays the folder it was: one swapped meanwhile (for a link
    // leading elsewhere, say) gets no more results.
    if (!watched_output.Unchanged()) {
      summary.output_swapped = true;
      break;
    }
    if (LinkLeavesFolder(fs, entry, folder)) {
      summary.outside_links.push_back(name);
      continue;
    }
    const PageOutcome outcome = ReencodePage(fs, InToolFolder(folder, name), InToolFolder(output, name), piece, out);
    switch (outcome) {
      case PageOutcome::kConverted: ++summary.converted; break;
      case PageOutcome::kUnreadable: ++summary.unreadable; break;
      case PageOutcome::kUnwritten: ++summary.unwritten; break;
    }
    if (outcome != PageOutcome::kConverted && summary.why.code == 0) summary.why = fs.LastError();
  }
  if (summary.converted > 0 && !fs.SyncAll(output)) {  // written, but perhaps not on the disk
    summary.unwritten += summary.converted;
    summary.converted = 0;
  }
  return summary;
}

void Utf8ToGb2312Reencoding(Context& ctx) {
  Text folder = ctx.controls.GetText(controls::kReencodeFolderBox);
  Text suffix = ctx.controls.GetText(controls::kReencodeSuffixBox);
  if (Text refusal = ProcessingToolRefusal(ctx.fs, folder); !refusal.empty()) {
    ctx.dialogs.MessageBox(refusal);
    return;
  }
  ReencodingSummary summary = ReencodePagesInFolder(ctx.fs, folder, suffix, ctx.progress);
  // One closing message: "ok!" only when every page was converted.
  Text trouble;
  if (int failed = summary.unreadable + summary.unwritten; failed > 0) {
    trouble =
        WithReason(Gbk("有 ") + ToText(failed) + Gbk(" 个网页无法读取或无法写入“处理后”，没有转换"), summary.why) +
        Gbk("。");
  }
  if (Text links = OutsideLinksReport(summary.outside_links); !links.empty()) {
    trouble += (trouble.empty() ? "" : "\r\n") + links;
  }
  if (summary.output_swapped) {
    trouble += (trouble.empty() ? "" : "\r\n") + Gbk("“处理后”文件夹在转换中被换掉了，其余网页没有转换。");
  }
  ctx.dialogs.MessageBox(ctx.progress.ClosingMessage(trouble.empty() ? Text("ok!") : trouble, "ok!"));
  ctx.controls.SetDisabled(controls::kReencodeButton, true);
  ctx.controls.SetText(controls::kReencodeFolderBox, Text());
}

}  // namespace qm

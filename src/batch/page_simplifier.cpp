#include "batch/page_simplifier.h"

#include "convert/control_names.h"

#include <string>

#include "batch/result_file.h"
#include "batch/tool_folder.h"
#include "convert/page_images.h"
#include "convert/page_templates.h"
#include "runtime/encoding.h"
#include "runtime/file_ops.h"

namespace qm {
namespace {

// The second message after "精简网页结束!", naming the pages left in place.
Text LeftInPlaceReport(const SimplificationSummary& s) {
  Text report;
  if (s.nothing_kept > 0) {
    report += Gbk("有 ") + ToText(s.nothing_kept) +
              Gbk(" 个网页在前标记和后标记之间没有内容（标记不存在或为空），没有处理，留在原目录中。");
  }
  if (s.failed > 0) {
    if (!report.empty()) report += "\r\n";
    report += Gbk("有 ") + ToText(s.failed) +
              Gbk(" 个网页无法读取，或无法写入“处理后”，没有处理，留在原目录中。");
  }
  if (s.not_removed > 0) {
    if (!report.empty()) report += "\r\n";
    report += Gbk("有 ") + ToText(s.not_removed) +
              Gbk(" 个网页已写入“处理后”，但原网页无法删除。");
  }
  if (Text links = OutsideLinksReport(s.outside_links); !links.empty()) {
    if (!report.empty()) report += "\r\n";
    report += links;
  }
  return report;
}

}  // namespace

SimplificationSummary SimplifyPagesInFolder(Context& ctx, const Text& folder,
                                            const Text& suffix) {
  SimplificationSummary summary;
  Text front = ctx.controls.GetText(controls::kFrontMarkerBox);
  Text back = ctx.controls.GetText(controls::kBackMarkerBox);
  Text output = ProcessedFolder(folder);
  ctx.fs.CreateDirectory(output);  // an existing folder is simply used
  const Text& head = FramedPageHead();
  const Text& tail = FramedPageTail();
  std::string data;
  Text page;
  const std::vector<DirectoryEntry> entries = FindEntries(ctx.fs, InToolFolder(folder, "*" + suffix));
  long done = 0;
  for (const DirectoryEntry& entry : entries) {
    const Text& name = entry.name;
    if (name == "." || name == "..") continue;
    if (!ctx.progress.Step(done++, static_cast<long>(entries.size()), name)) break;
    Text path = InToolFolder(folder, name);
    if (LinkLeavesFolder(ctx.fs, entry, folder)) {
      summary.outside_links.push_back(name);
      continue;
    }
    if (!ctx.fs.Read(path, &data)) {
      ++summary.failed;
      continue;
    }
    // The page ends before its first zero byte.
    std::string_view text(data);
    text = text.substr(0, text.find('\0'));
    Text body = TextBetweenMarkers(text, front, back);
    if (body.empty()) {
      ++summary.nothing_kept;
      continue;
    }
    page.clear();
    page.reserve(head.size() + body.size() + tail.size());
    page.append(head).append(body).append(tail);
    if (!WriteResultFile(ctx.fs, InToolFolder(output, name), page)) {
      ++summary.failed;
      continue;
    }
    ++(ctx.fs.Delete(path) ? summary.simplified : summary.not_removed);
  }
  WriteResultFile(ctx.fs, InToolFolder(output, Text(kPaleTileImageName)), PaleTileImage().View());
  return summary;
}

void PageSimplification(Context& ctx) {
  Text folder = ctx.controls.GetText(controls::kSimplifyFolderBox);
  Text suffix = ctx.controls.GetText(controls::kSimplifySuffixBox);
  Text refusal = FolderRefusal(ctx.fs, folder);
  if (refusal.empty()) refusal = ProcessedFolderRefusal(ctx.fs, folder);
  if (!refusal.empty()) {
    ctx.dialogs.MessageBox(refusal);
    return;
  }
  ctx.cursor.SetWaitCursor();
  SimplificationSummary summary = SimplifyPagesInFolder(ctx, folder, suffix);
  ctx.cursor.RestoreCursor();
  ctx.controls.SetDisabled(controls::kSimplifyButton, true);
  ctx.dialogs.MessageBox(ctx.progress.ClosingMessage(Gbk("精简网页结束!"), Gbk("精简网页结束!")));
  if (Text report = LeftInPlaceReport(summary); !report.empty()) ctx.dialogs.MessageBox(report);
}

}  // namespace qm

#include "batch/reencoding.h"

#include "convert/control_names.h"

#include <string>

#include "batch/result_file.h"
#include "batch/tool_folder.h"
#include "runtime/encoding.h"
#include "runtime/file_ops.h"

namespace qm {

ReencodingSummary ReencodePagesInFolder(FileSystem& fs, const Text& folder, const Text& suffix,
                                        Progress& progress) {
  ReencodingSummary summary;
  Text output = ProcessedFolder(folder);
  fs.CreateDirectory(output);  // an existing folder is simply used
  std::string data;
  const std::vector<DirectoryEntry> entries = FindEntries(fs, InToolFolder(folder, "*" + suffix));
  long done = 0;
  for (const DirectoryEntry& entry : entries) {
    const Text& name = entry.name;
    if (name == "." || name == "..") continue;
    if (!progress.Step(done++, static_cast<long>(entries.size()), name)) break;
    if (LinkLeavesFolder(fs, entry, folder)) {
      summary.outside_links.push_back(name);
      continue;
    }
    if (!fs.Read(InToolFolder(folder, name), &data)) {
      ++summary.unreadable;
      continue;
    }
    Text page = Utf8ToGbkText(ByteSet(std::move(data)));
    data.clear();
    bool ok = WriteResultFile(fs, InToolFolder(output, name), page);
    ++(ok ? summary.converted : summary.unwritten);
  }
  return summary;
}

void Utf8ToGb2312Reencoding(Context& ctx) {
  Text folder = ctx.controls.GetText(controls::kReencodeFolderBox);
  Text suffix = ctx.controls.GetText(controls::kReencodeSuffixBox);
  Text refusal = FolderRefusal(ctx.fs, folder);
  if (refusal.empty()) refusal = ProcessedFolderRefusal(ctx.fs, folder);
  if (!refusal.empty()) {
    ctx.dialogs.MessageBox(refusal);
    return;
  }
  ReencodingSummary summary = ReencodePagesInFolder(ctx.fs, folder, suffix, ctx.progress);
  ctx.dialogs.MessageBox(ctx.progress.ClosingMessage("ok!", "ok!"));
  int failed = summary.unreadable + summary.unwritten;
  if (failed > 0) {
    ctx.dialogs.MessageBox(Gbk("有 ") + ToText(failed) +
                           Gbk(" 个网页无法读取或无法写入“处理后”，没有转换。"));
  }
  if (Text links = OutsideLinksReport(summary.outside_links); !links.empty()) ctx.dialogs.MessageBox(links);
  ctx.controls.SetDisabled(controls::kReencodeButton, true);
  ctx.controls.SetText(controls::kReencodeFolderBox, Text());
}

}  // namespace qm

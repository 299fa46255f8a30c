#include "batch/tool_folder.h"

#include "runtime/encoding.h"
#include "runtime/file_ops.h"
#include "runtime/path_kind.h"
#include "runtime/paths.h"

namespace qm {

Text FolderRefusal(FileSystem& fs, const Text& folder) {
  if (folder.empty()) return Gbk("没有指定目录：请先把要处理的目录拖放到窗口上。");
  if (!IsExistingFolder(fs, folder)) return Gbk("找不到目录：") + folder + Gbk("，没有做任何处理。");
  return {};
}

Text InToolFolder(const Text& folder, const Text& name) {
  Text path = folder;
  path.push_back(kPathSeparator);
  path.append(name);
  return path;
}

Text ProcessedFolder(const Text& folder) { return InToolFolder(folder, Gbk("处理后")); }

Text ProcessedFolderRefusal(FileSystem& fs, const Text& folder) {
  if (!fs.IsLink(ProcessedFolder(folder))) return {};
  return Gbk("“处理后”是一个链接，可能通向目录之外：没有做任何处理。请删除或改名后再试。");
}

bool LinkLeavesFolder(FileSystem& fs, const DirectoryEntry& entry, const Text& folder) {
  return entry.link && !InsideFolder(fs, InToolFolder(folder, entry.name), folder);
}

Text OutsideLinksReport(const std::vector<Text>& names) {
  if (names.empty()) return {};
  Text report = Gbk("以下网页是指向文件夹之外的链接，没有处理：");
  for (const Text& name : names) report += "\r\n" + name;
  return report;
}

Text ProcessingToolRefusal(FileSystem& fs, const Text& folder) {
  Text refusal = FolderRefusal(fs, folder);
  return refusal.empty() ? ProcessedFolderRefusal(fs, folder) : refusal;
}

}  // namespace qm

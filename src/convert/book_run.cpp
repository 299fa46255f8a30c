#include "convert/book_run.h"

#include <algorithm>

#include "runtime/encoding.h"
#include "runtime/file_ops.h"
#include "runtime/paths.h"
#include "runtime/temporary_files.h"

namespace qm {

BookRun StartBookRun(FileSystem& fs, const Text& folder, const Text& backup, const std::vector<Text>& listed) {
  RemoveStaleTemporaryFiles(fs, folder);
  RemoveStaleTemporaryFiles(fs, backup);
  BookRun run;
  const Text record = JoinPath(folder, kUnfinishedBookName);
  std::string earlier;
  if (!fs.IsLink(record) && fs.Read(record, &earlier)) {
    run.resumed = true;
    // One line an entry: "+" and the name when the text was in the folder,
    // "-" and the name when not.
    for (const Text& line : SplitText(earlier, "\r\n")) {
      run.entries.push_back(line.substr(line.empty() ? 0 : 1));
      if (!line.empty() && line[0] == '+') run.taken.insert(run.entries.back());
    }
    long added = 0;
    for (const Text& name : listed) {
      if (std::find(run.entries.begin(), run.entries.end(), name) != run.entries.end()) continue;
      run.entries.push_back(name);
      ++added;
    }
    run.note = Gbk("上次的转换中断了：这次按上次的目录顺序（") + ToText(static_cast<long long>(run.entries.size())) +
               Gbk(" 项）做完，已在备份文件夹 bak 中的文本照样做成网页");
    if (added > 0) run.note += Gbk("；目录中另有 ") + ToText(static_cast<long long>(added)) + Gbk(" 项排在最后");
    run.note += Gbk("。");
    return run;
  }
  run.entries = listed;
  Text list;
  for (const Text& name : listed) {
    const bool there =
        !name.empty() && name.find(kPathSeparator) == Text::npos && fs.Attributes(JoinPath(folder, name)) != -1;
    list += (there ? "+" : "-") + name + "\r\n";
  }
  WriteFileSafely(fs, record, list);  // without it a cut-off run is simply done again
  return run;
}

void FinishBookRun(FileSystem& fs, const Text& folder) { fs.Delete(JoinPath(folder, kUnfinishedBookName)); }

bool MovedByEarlierRun(FileSystem& fs, const Text& folder, const BookRun& run, const Text& name) {
  const Text source = JoinPath(folder, name);
  return run.taken.count(name) && fs.Attributes(source) == -1 && !fs.IsLink(source);
}

std::vector<Text> ReadableBookEntries(FileSystem& fs, const Text& folder, const Text& backup, const BookRun& run,
                                      ConversionReport& report) {
  std::vector<Text> readable;
  std::string probe;
  for (const Text& name : run.entries) {
    const Text path = JoinPath(MovedByEarlierRun(fs, folder, run, name) ? backup : folder, name);
    const int attributes = name.empty() || name.find(kPathSeparator) != Text::npos ? -1 : fs.Attributes(path);
    if (attributes != -1 && (attributes & kDirectory) == 0 && !fs.ReadPart(path, 0, 1, &probe)) {
      report.Add(name, Gbk("无法读取（不是普通文件或没有读取权限），原文件未动，没有做网页"));
      continue;
    }
    readable.push_back(name);
  }
  return readable;
}

}  // namespace qm

#include "convert/book_run.h"

#include <algorithm>
#include <cstdlib>

#include "core/book_page.h"
#include "core/page_images.h"
#include "runtime/encoding.h"
#include "runtime/file_ops.h"
#include "runtime/path_kind.h"
#include "runtime/paths.h"
#include "runtime/temporary_files.h"

namespace qm {
namespace {

// The record of `run`, naming this process as the one running it.
std::string RecordText(const BookRun& run) {
  return "#" + ToText(static_cast<long long>(OwnProcessId())) + "\r\n" + run.record;
}

// Writes the run's record, naming this process as the one running it.
void RecordBookRun(FileSystem& fs, const Text& record, const BookRun& run) {
  WriteFileSafely(fs, record, RecordText(run));
}

// The live process other than this one that a record's text names in its
// first line "#PID" as running its run, or 0: while it lives, its run is
// not cut off, only busy.
long LiveOwner(std::string_view record_text) {
  if (record_text.empty() || record_text[0] != '#') return 0;
  const long owner = std::atol(Text(record_text.substr(1, record_text.find("\r\n") - 1)).c_str());
  return owner != OwnProcessId() && LiveProcess(owner) ? owner : 0;
}

}  // namespace

BookRun StartBookRun(FileSystem& fs, const Text& folder, const Text& backup, const std::vector<Text>& listed) {
  BookRun run;
  // One listing tells which entries are plain files, so that they need no
  // look of their own.
  const std::vector<DirectoryEntry> listing = fs.ListKinds(folder);
  RemoveStaleTemporaryFiles(fs, folder, listing);
  RemoveStaleTemporaryFiles(fs, backup);
  for (const DirectoryEntry& entry : listing)
    if (!entry.link && (entry.attributes & kArchive) != 0 && !IsStaleTemporaryName(entry.name))
      run.plain_files.insert(entry.name);
  const Text record = JoinPath(folder, kUnfinishedBookName);
  // One line an entry: "+" and the name when the text is in the folder
  // (so a cut-off run moved it to the backup folder when it is gone), "-"
  // and the name when not.
  auto entry_line = [&](const Text& name) {
    const bool there = !name.empty() && name.find(kPathSeparator) == Text::npos &&
                       (run.plain_files.count(name) || PathExists(fs, JoinPath(folder, name)));
    return (there ? "+" : "-") + name + "\r\n";
  };
  std::string earlier;
  if (!fs.IsLink(record) && fs.Read(record, &earlier)) {
    run.busy_with = LiveOwner(earlier);
    if (run.busy_with != 0) return run;
    std::vector<Text> lines = SplitText(earlier, "\r\n");
    if (!lines.empty() && !lines.front().empty() && lines.front()[0] == '#') lines.erase(lines.begin());
    run.resumed = true;
    for (const Text& line : lines) {
      run.record += line + "\r\n";
      run.entries.push_back(line.substr(line.empty() ? 0 : 1));
      if (!line.empty() && line[0] == '+') run.taken.insert(run.entries.back());
    }
    long added = 0;
    for (const Text& name : listed) {
      if (std::find(run.entries.begin(), run.entries.end(), name) != run.entries.end()) continue;
      run.entries.push_back(name);
      run.record += entry_line(name);
      ++added;
    }
    run.note = Gbk("上次的转换中断了：这次按上次的目录顺序（") + ToText(static_cast<long long>(run.entries.size())) +
               Gbk(" 项）做完，已在备份文件夹 bak 中的文本照样做成网页");
    if (added > 0) run.note += Gbk("；目录中另有 ") + ToText(static_cast<long long>(added)) + Gbk(" 项排在最后");
    run.note += Gbk("。");
    RecordBookRun(fs, record, run);
    return run;
  }
  run.entries = listed;
  for (const Text& name : listed) run.record += entry_line(name);
  // Without it a cut-off run is simply done again. It is created only
  // where none is: one there now was made by a run another process began
  // in this folder at the same moment, which then goes on alone.
  if (!CreateFileSafely(fs, record, RecordText(run)) && NameTaken(fs, record)) {
    std::string now;
    if (!fs.IsLink(record) && fs.Read(record, &now)) run.busy_with = LiveOwner(now);
    if (run.busy_with != 0) return run;
    RecordBookRun(fs, record, run);
  }
  return run;
}

void FinishBookRun(FileSystem& fs, const Text& folder) { fs.Delete(JoinPath(folder, kUnfinishedBookName)); }

void LeaveBookRun(FileSystem& fs, const Text& folder, const BookRun& run) {
  WriteFileSafely(fs, JoinPath(folder, kUnfinishedBookName), run.record);
}

Text BusyBookRunMessage(const BookRun& run) {
  return Gbk("另一个 Quillmere（进程 ") + ToText(static_cast<long long>(run.busy_with)) +
         Gbk("）正在把这个文件夹转成网页：等它做完再转。这次没有转换。");
}

bool MovedByEarlierRun(FileSystem& fs, const Text& folder, const BookRun& run, const Text& name) {
  const Text source = JoinPath(folder, name);
  return run.taken.count(name) && !NameTaken(fs, source);
}

std::vector<Text> ReadableBookEntries(FileSystem& fs, const Text& folder, const Text& backup, const BookRun& run,
                                      ConversionReport& report) {
  std::vector<Text> readable;
  std::string probe;
  // The names the run writes in the folder; such an entry would be replaced
  // before it is read, or replace a page.
  std::set<Text> written = {"index.htm", Text(kDividerImageName), Text(kPaperImageName), Text(kBulletImageName)};
  for (long i = 0; i < static_cast<long>(run.entries.size()); ++i) written.insert(PageFileName(i));
  for (const Text& name : run.entries) {
    // The run's own record, and temporary files, are no texts of the book.
    if (name == kUnfinishedBookName || IsTemporaryName(name)) {
      report.Add(name, Gbk("是本程序自己的记录或临时文件，未读取，没有做网页"));
      continue;
    }
    if (written.count(name)) {
      // The file is kept in the backup folder, as the listed texts are,
      // unless a file of its name is there already.
      const Text source = JoinPath(folder, name), kept = JoinPath(backup, name);
      const bool plain_file = !fs.IsLink(source) && KindOfPath(fs, source) == PathKind::kFile;
      fs.CreateDirectory(backup);  // an existing folder is fine
      const bool moved = plain_file && fs.Rename(source, kept);
      report.Add(name, Gbk(moved ? "与这次要写的网页或图片同名，没有做网页，原文件已移入备份文件夹"
                                 : "与这次要写的网页或图片同名，没有读取，没有做网页"));
      continue;
    }
    // Not a bare file name: the page step says so.
    if (name.empty() || name == "." || name == ".." || name.find(kPathSeparator) != Text::npos) {
      readable.push_back(name);
      continue;
    }
    const bool moved = MovedByEarlierRun(fs, folder, run, name);
    const Text path = JoinPath(moved ? backup : folder, name);
    const bool plain = !moved && run.plain_files.count(name);
    if (!plain && fs.IsLink(path) && !InsideFolder(fs, path, moved ? backup : folder)) {
      report.Add(name, Gbk("是指向文件夹之外的链接，未读取，没有做网页"));
      continue;
    }
    // A file that may be read is readable (a regular file of the listing is
    // asked without being opened); only one that is not is looked at.
    if (plain ? fs.MayRead(path) : fs.ReadPart(path, 0, 1, &probe)) {
      readable.push_back(name);
      continue;
    }
    const FileError read_error = fs.LastError();
    const PathKind kind = KindOfPath(fs, path);
    if (kind == PathKind::kFile) {
      report.Add(name, WithReason(Gbk("无法读取（不是普通文件或没有读取权限），原文件未动，没有做网页"), read_error));
      continue;
    }
    if (kind == PathKind::kFolder) {
      report.Add(name, Gbk("是文件夹，不是文本，没有做网页"));
      continue;
    }
    readable.push_back(name);  // missing: its page is empty, and the page step says so
  }
  return readable;
}

}  // namespace qm

// "批量转换" and "取 消": text files of a folder tree become framed pages in
// place, and the pages of a folder become text files again.

#include "convert/batch_conversion.h"

#include <atomic>
#include <deque>
#include <optional>
#include <set>
#include <utility>

#include "convert/file_steps.h"
#include "convert/framed_page.h"
#include "core/control_names.h"
#include "core/page_images.h"
#include "core/text_decoding.h"
#include "core/web_folder.h"
#include "runtime/encoding.h"
#include "runtime/file_ops.h"
#include "runtime/path_kind.h"
#include "runtime/paths.h"
#include "runtime/temporary_files.h"

namespace qm {
namespace {

bool HoldsZeroByte(const std::string& data) { return data.find('\0') != std::string::npos; }

constexpr const char* kFolderSwapped = "文件夹在转换中被换掉了，其余文本没有转换";
constexpr const char* kFolderSwappedInUndo = "文件夹在还原中被换掉了，其余网页没有还原";

// Why a file gets no counterpart. A file in the way is named between
// `taken_head` and `taken_tail`.
struct Refusals {
  const char* unreadable;
  const char* zero_byte;
  const char* unwritable;
  const char* taken_head;
  const char* taken_tail;
};
constexpr Refusals kNoPage{"无法读取，未转换", "含有0字节，未转换", "网页无法写入，未转换", "网页会覆盖同名文件 ",
                           "，未转换"};
constexpr Refusals kNoText{"无法读取，未还原", "含有0字节，未还原", "文本无法写入，未还原", "文本会覆盖同名文件 ",
                           "，未还原"};

// What came of one file: worked out on any thread, then taken into the
// report and the deletions on the operation's own, in the listing's order.
struct FileOutcome {
  bool folder_swapped = false;  // the folder was no longer the one listed: nothing done
  Text refusal;                 // why the file got no counterpart; empty: it got one
  FileStamp read;               // the file as read, for its deletion
  FileStamp copy;               // the counterpart made, as written
  bool recoded = false;         // a UTF-8 or UTF-16 text
  bool dropped_odd_byte = false;
};

// Reads `source` (`listed_as_link` when the listing found a link there)
// and creates `target` holding what `convert(bytes, outcome, &out)` makes
// of it; `convert` answers false when the counterpart would end at a 0
// byte, which then gets none. Nothing is replaced: the target is created
// exclusively, so the common case costs no look at the name beforehand;
// only a step that fails asks whether a file was in the way, which is what
// the refusal then names.
template <class Convert>
FileOutcome CopyConverted(FileSystem& fs, const Text& source, bool listed_as_link, const Text& target,
                          const Text& target_name, const Refusals& refusals, Convert convert) {
  FileOutcome outcome;
  auto refuse = [&](std::string_view reason, FileError why = {}) {
    if (PathExists(fs, target)) outcome.refusal = Gbk(refusals.taken_head) + target_name + Gbk(refusals.taken_tail);
    else outcome.refusal = WithReason(Gbk(reason), why);
    return outcome;
  };
  std::string data, converted;
  if (!ReadOriginal(fs, source, listed_as_link, &data, &outcome.read))
    return refuse(refusals.unreadable, fs.LastError());
  if (!convert(std::move(data), outcome, &converted)) return refuse(refusals.zero_byte);
  if (!CreateCopy(fs, target, converted, &outcome.copy)) return refuse(refusals.unwritable, fs.LastError());
  return outcome;
}

// A folder of the walk, listed before any text is converted: its texts,
// and the report lines that come before them.
struct ListedFolder {
  Text folder;
  FileId id;
  bool identified = false;
  std::vector<DirectoryEntry> texts;         // the files with the old extension
  std::vector<std::pair<Text, Text>> lines;  // reported once the walk gets here
  std::atomic<bool> swapped{false};          // the folder was no longer the one listed
};

struct FolderWalk {
  Context& ctx;
  const Text& old_extension;
  const Text& new_extension;
  ConversionReport report;
  // The folders in the walk's order, depth first; a deque, since none
  // moves once made.
  std::deque<ListedFolder> folders;
  std::optional<FileId> top;             // the dropped folder, when it could be identified
  std::set<FileId> walked;               // every folder listed so far
  long recoded = 0;                      // pages made from UTF-8 or UTF-16 texts
  long done = 0;                         // files looked at so far
  DeletionsAfterSync deletions{ctx.fs};  // texts whose pages are written
  Text deletions_folder;                 // a folder holding those pages
  std::uint64_t deletions_device = 0;    // and its file system
};

// Deletes the texts whose pages are written, once the pages are on the disk.
void FinishDeletions(FolderWalk& walk) {
  for (const auto& [text, why] : walk.deletions.Finish(walk.deletions_folder)) {
    walk.report.Add(text, WithReason(Gbk("网页已写入，但原文件无法删除"), why));
  }
}

// Converts the text `name` of `folder` (`listed_as_link` when the listing
// found a link there; `outside` when that leads out of the dropped folder)
// on `fs`, while the folder is still the one `id` names (when
// `identified`). A page never replaces an existing file.
FileOutcome ConvertFile(FileSystem& fs, const Text& new_extension, const Text& folder, const Text& name,
                        bool listed_as_link, bool outside, bool identified, const FileId& id) {
  FileOutcome outcome;
  // A linked file is read only when it lies inside the dropped folder: a
  // file elsewhere would land in the folder as a page.
  if (outside) {
    outcome.refusal = Gbk("是指向文件夹之外的链接，未转换");
    return outcome;
  }
  // The folder is the one listed: one swapped meanwhile (for a link
  // leading elsewhere, say) gets no pages and loses no texts.
  if (identified && !IsFolderWithId(fs, folder, id)) {
    outcome.folder_swapped = true;
    return outcome;
  }
  const Text page_name = BaseName(name) + new_extension;
  if (page_name == name) {
    outcome.refusal = Gbk("新文件名与原文件名相同，未转换");
    return outcome;
  }
  return CopyConverted(fs, JoinPath(folder, name), listed_as_link, JoinPath(folder, page_name), page_name, kNoPage,
                       [](std::string data, FileOutcome& made, std::string* page) {
                         DecodedText text = DecodeTextFile(ByteSet(std::move(data)));
                         if (HoldsZeroByte(text.gbk.bytes)) return false;
                         made.recoded = text.encoding != TextEncoding::kGbk;
                         made.dropped_odd_byte = text.dropped_odd_byte;
                         *page = FramedPage(text.gbk);
                         return true;
                       });
}

// Lists `folder` and the folders in it into the walk's folders, depth first.
// `parent`: the identity of the folder it was listed in, when it was
// listed as a folder (not a link) there.
void ListFolder(FolderWalk& walk, const Text& folder, const FileId* parent = nullptr) {
  FileSystem& fs = walk.ctx.fs;
  auto report_here = [&walk](const Text& name, const Text& why) {
    walk.folders.emplace_back().lines.emplace_back(name, why);
  };
  FileId id;
  // A folder listed as a folder is identified as the entry itself: one
  // swapped for a link meanwhile is never taken for the folder listed (its
  // identity would be where the link leads, and every look below would
  // find that place unchanged).
  bool identified = parent ? fs.IdentifyFolderNoLink(folder, &id) : fs.Identify(folder, &id);
  if (parent && !identified) {
    report_here(folder, Gbk(kFolderSwapped));
    return;
  }
  // A folder found by its path is the one listed only while it still lies
  // in the folder it was listed in: one reached through a parent swapped
  // meanwhile (for a link leading elsewhere, say) is left alone.
  if (identified && parent && !IsFolderWithId(fs, JoinPath(folder, ".."), *parent)) {
    report_here(folder, Gbk(kFolderSwapped));
    return;
  }
  // A folder is walked once, however many paths lead to it: a link back
  // to a folder being walked would never end, and one reached again through
  // a link inside the tree would have its texts converted twice.
  if (identified && !walk.walked.insert(id).second) return;
  if (identified && walk.folders.empty()) walk.top = id;
  // One listing answers every question asked of the folder.
  const std::vector<DirectoryEntry> listing = fs.ListKinds(folder);
  RemoveStaleTemporaryFiles(fs, folder, listing);
  ListedFolder& listed = walk.folders.emplace_back();
  listed.folder = folder;
  listed.id = id;
  listed.identified = identified;
  listed.texts = MatchingEntries(listing, "*" + walk.old_extension);
  for (const DirectoryEntry& entry : MatchingEntries(listing, "*.*", kDirectory)) {
    if (entry.name.empty() || entry.name[0] == '.' || walk.ctx.progress.Stopped()) continue;
    Text sub = JoinPath(folder, entry.name);
    // A linked folder is entered only when it leads back inside the dropped
    // folder: texts elsewhere are not converted and deleted.
    if (entry.link && (!walk.top || !InsideFolder(fs, sub, *walk.top))) {
      report_here(sub, Gbk("是指向文件夹之外的链接，未进入"));
      continue;
    }
    ListFolder(walk, sub, identified && !entry.link ? &id : nullptr);
  }
}

// Converts every text the walk listed, in its order: the files of all its
// folders make one sequence, so that small folders too are shared among
// the cores. Report lines, deletions and the progress step follow the
// listing's order, whatever thread converted a file.
void ConvertListed(FolderWalk& walk) {
  FileSystem& fs = walk.ctx.fs;
  struct File {
    std::size_t folder;
    std::size_t text;
  };
  std::vector<File> files;
  for (std::size_t k = 0; k < walk.folders.size(); ++k)
    for (std::size_t t = 0; t < walk.folders[k].texts.size(); ++t) files.push_back({k, t});
  std::vector<char> outside(files.size(), 0);
  std::vector<Text> tile_failure(files.size());    // reported with the file before whose page it came
  std::size_t tiled_folder = walk.folders.size();  // the last folder given its background image
  std::size_t reached = 0;                         // folders before this one have had their lines reported
  std::size_t stopped_at = walk.folders.size();    // the folder of the file Stop came before
  // Reports the lines of the folders before `end`, and finishes the texts
  // waiting for deletion when a folder lies on another file system.
  auto reach = [&](std::size_t end) {
    for (; reached < end; ++reached) {
      const ListedFolder& listed = walk.folders[reached];
      for (const auto& [name, why] : listed.lines) walk.report.Add(name, why);
      if (listed.texts.empty()) continue;
      // One sync covers the texts waiting for deletion while the folders
      // stay on one file system.
      if (!listed.identified || listed.id.device != walk.deletions_device) FinishDeletions(walk);
      walk.deletions_folder = listed.folder;
      walk.deletions_device = listed.identified ? listed.id.device : 0;
    }
  };
  StepFilesInOrder(
      fs, files.size(),
      [&](std::size_t i) {
        const ListedFolder& listed = walk.folders[files[i].folder];
        const DirectoryEntry& text = listed.texts[files[i].text];
        const Text source = JoinPath(listed.folder, text.name);
        if (!walk.ctx.progress.Step(walk.done++, 0, source)) {
          stopped_at = files[i].folder;
          return false;
        }
        // A linked text is converted only when it lies in the dropped folder.
        outside[i] = static_cast<char>(text.link && (!walk.top || !InsideFolder(fs, source, *walk.top)));
        // The pages' background goes in before the first page, so that a
        // run cut off after its last page still leaves it beside them.
        // Not into a folder swapped meanwhile for a link leading elsewhere:
        // its texts are left alone, and so is the place it leads to.
        if (outside[i] == 0 && tiled_folder != files[i].folder &&
            (!listed.identified || IsFolderWithId(fs, listed.folder, listed.id))) {
          tiled_folder = files[i].folder;
          Text tile = JoinPath(listed.folder, kPaleTileImageName);
          if (!CreateFileSafely(fs, tile, PaleTileImage().View())) {
            const FileError why = fs.LastError();
            if (!FileExists(fs, tile)) tile_failure[i] = WithReason(Gbk("图片无法写入"), why);
          }
        }
        return true;
      },
      [&](FileSystem& own, std::size_t i) {
        ListedFolder& listed = walk.folders[files[i].folder];
        if (listed.swapped) {
          FileOutcome outcome;
          outcome.folder_swapped = true;
          return outcome;
        }
        const DirectoryEntry& text = listed.texts[files[i].text];
        return ConvertFile(own, walk.new_extension, listed.folder, text.name, text.link, outside[i] != 0,
                           listed.identified, listed.id);
      },
      [&](std::size_t i, const FileOutcome& outcome) {
        reach(files[i].folder + 1);
        ListedFolder& listed = walk.folders[files[i].folder];
        if (!tile_failure[i].empty()) walk.report.Add(JoinPath(listed.folder, kPaleTileImageName), tile_failure[i]);
        // A folder found swapped gets no more pages and loses no texts; the
        // walk goes on with the next.
        if (listed.swapped || outcome.folder_swapped) {
          if (!listed.swapped.exchange(true)) walk.report.Add(listed.folder, Gbk(kFolderSwapped));
          return true;
        }
        const Text& name = listed.texts[files[i].text].name;
        const Text source = JoinPath(listed.folder, name);
        if (!outcome.refusal.empty()) {
          walk.report.Add(source, outcome.refusal);
          return true;
        }
        // The texts go from the folder as listed, never from one swapped
        // in at its path meanwhile.
        DeleteOriginalLater(walk.deletions, source, outcome.read,
                            JoinPath(listed.folder, BaseName(name) + walk.new_extension), outcome.copy,
                            listed.identified ? &listed.id : nullptr);
        if (outcome.recoded) ++walk.recoded;
        if (outcome.dropped_odd_byte) walk.report.Note(source, Gbk(kOddByteNote));
        if (walk.deletions.Full()) FinishDeletions(walk);
        return true;
      });
  // The lines of the folders after the last file, unless Stop came first.
  if (stopped_at < walk.folders.size()) {
    reach(stopped_at);
  } else {
    while (reached < walk.folders.size() && !walk.ctx.progress.Stopped()) reach(reached + 1);
  }
}

}  // namespace

ConversionReport ConvertFolder(Context& ctx, const Text& folder, const Text& old_extension, const Text& new_extension,
                               long* recoded) {
  FolderWalk walk{ctx, old_extension, new_extension, {}, {}, {}, {}, 0, 0, DeletionsAfterSync(ctx.fs), {}, 0};
  {
    DeferredSyncs deferred(ctx.fs);
    ListFolder(walk, folder);
    ConvertListed(walk);
    FinishDeletions(walk);
  }
  if (recoded) *recoded = walk.recoded;
  return walk.report;
}

void BatchPageConversion(Context& ctx) {
  Text folder = ctx.controls.GetText(controls::kBatchFolderBox);
  Text old_extension = ctx.controls.GetText(controls::kOldExtensionBox);
  Text new_extension = ctx.controls.GetText(controls::kNewExtensionBox);
  if (!RequireExistingFolder(ctx, folder)) return;
  if (AsciiLower(old_extension) == AsciiLower(new_extension)) {
    ctx.dialogs.MessageBox(Gbk("新类型与原类型相同，不能转换！"));
    return;
  }
  // A "/" would put pages into other folders (or outside the dropped one)
  // and delete their texts here; "\\" is an ordinary character on Linux.
  if (old_extension.find('/') != Text::npos || new_extension.find('/') != Text::npos) {
    ctx.dialogs.MessageBox(Gbk("新类型和原类型不能含有“/”，不能转换！"));
    return;
  }
  ctx.cursor.SetWaitCursor();
  long recoded = 0;
  ConversionReport report = ConvertFolder(ctx, folder, old_extension, new_extension, &recoded);
  ctx.cursor.RestoreCursor();
  Text message = ctx.progress.ClosingMessage(report.ClosingMessage(Gbk("转换ok!")), Gbk("转换ok!"));
  if (recoded > 0) {
    // The original encoding is gone with the text files: say so now, since
    // the undo can only give back GBK texts.
    message += "\r\n" + ToText(static_cast<long long>(recoded)) +
               Gbk(" 个 UTF-8/UTF-16 文本已转成 GBK 网页；取消转换将还原为 GBK 文本。");
  }
  ctx.dialogs.MessageBox(message);
  ctx.controls.SetDisabled(controls::kBatchConvertButton, true);
  ctx.controls.SetDisabled(controls::kBatchUndoButton, false);
}

void UndoBatchConversion(Context& ctx) {
  Text folder = ctx.controls.GetText(controls::kBatchFolderBox);
  if (!RequireExistingFolder(ctx, folder)) return;
  // The pages go from the folder as listed, never from one swapped in at
  // its path meanwhile.
  FileId listed;
  const bool identified = ctx.fs.Identify(folder, &listed);
  const std::vector<DirectoryEntry> listing = ctx.fs.ListKinds(folder);
  RemoveStaleTemporaryFiles(ctx.fs, folder, listing);
  ConversionReport report;
  DeferredSyncs deferred(ctx.fs);
  DeletionsAfterSync deletions(ctx.fs);
  auto finish_deletions = [&] {
    for (const auto& [page, why] : deletions.Finish(folder))
      report.Add(page, WithReason(Gbk("文本已写入，但网页无法删除"), why));
  };
  const std::vector<DirectoryEntry> pages = MatchingEntries(listing, "*.htm");
  // Only the name loses its ".htm": the text file stays in this folder.
  auto text_name = [&](std::size_t i) { return ReplaceSubtext(pages[i].name, ".htm") + ".txt"; };
  bool swapped = false;
  StepFilesInOrder(
      ctx.fs, pages.size(),
      [&](std::size_t i) {
        return ctx.progress.Step(static_cast<long>(i), static_cast<long>(pages.size()), pages[i].name);
      },
      [&](FileSystem& fs, std::size_t i) {
        FileOutcome outcome;
        // The folder is the one listed: one swapped meanwhile (for a link
        // leading elsewhere, say) gets no texts written into it.
        if (identified && !IsFolderWithId(fs, folder, listed)) {
          outcome.folder_swapped = true;
          return outcome;
        }
        const Text page = JoinPath(folder, pages[i].name);
        if (pages[i].link && !InsideFolder(fs, page, folder)) {  // its text would come from elsewhere
          outcome.refusal = Gbk("是指向文件夹之外的链接，未还原");
          return outcome;
        }
        return CopyConverted(fs, page, pages[i].link, JoinPath(folder, text_name(i)), text_name(i), kNoText,
                             [](std::string data, FileOutcome&, std::string* text) {
                               if (HoldsZeroByte(data)) return false;  // its text would end at that byte
                               *text = TextFromPage(ByteSet(std::move(data)));
                               return true;
                             });
      },
      [&](std::size_t i, const FileOutcome& outcome) {
        // Said once, though the files under way on other threads find it too.
        if (outcome.folder_swapped) {
          if (!swapped) report.Add(folder, Gbk(kFolderSwappedInUndo));
          swapped = true;
          return false;
        }
        const Text page = JoinPath(folder, pages[i].name);
        if (!outcome.refusal.empty()) {
          report.Add(page, outcome.refusal);
          return true;
        }
        DeleteOriginalLater(deletions, page, outcome.read, JoinPath(folder, text_name(i)), outcome.copy,
                            identified ? &listed : nullptr);
        if (deletions.Full()) finish_deletions();
        return true;
      });
  finish_deletions();
  ctx.dialogs.MessageBox(ctx.progress.ClosingMessage(report.ClosingMessage(Gbk("取消转换ok!")), Gbk("取消转换ok!")));
}

}  // namespace qm

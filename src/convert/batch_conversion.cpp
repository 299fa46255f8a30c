// "批量转换" and "取 消": text files of a folder tree become framed pages in
// place, and the pages of a folder become text files again.

#include "convert/batch_conversion.h"

#include <algorithm>

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

struct FolderWalk {
  Context& ctx;
  const Text& old_extension;
  const Text& new_extension;
  ConversionReport report;
  std::vector<FileId> open_folders;      // the folders from the top down to the current one
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

// Converts one file of `folder` (`listed_as_link` when the listing found a
// link there); true when its page was written. A page
// never replaces an existing file, and a text that holds a 0 byte (after
// decoding) gets no page, since the page would end at that byte. The page
// is created exclusively, so the common case costs no look at the name
// beforehand; only a step that fails asks whether a file was in the way,
// which is what the report then names.
bool ConvertFile(FolderWalk& walk, const Text& folder, const Text& name, bool listed_as_link) {
  FileSystem& fs = walk.ctx.fs;
  Text source = JoinPath(folder, name);
  Text page_name = BaseName(name) + walk.new_extension;
  if (page_name == name) {
    walk.report.Add(source, Gbk("新文件名与原文件名相同，未转换"));
    return false;
  }
  Text page_path = JoinPath(folder, page_name);
  // `why`: the reason of the failed file step, none for a refused text.
  auto refuse = [&](std::string_view reason, FileError why = {}) {
    if (PathExists(fs, page_path)) walk.report.Add(source, Gbk("网页会覆盖同名文件 ") + page_name + Gbk("，未转换"));
    else walk.report.Add(source, WithReason(Gbk(reason), why));
    return false;
  };
  std::string data;
  FileStamp read;
  if (!ReadOriginal(fs, source, listed_as_link, &data, &read)) return refuse("无法读取，未转换", fs.LastError());
  DecodedText text = DecodeTextFile(ByteSet(std::move(data)));
  if (HoldsZeroByte(text.gbk.bytes)) return refuse("含有0字节，未转换");
  if (!CreateThenDeleteLater(fs, page_path, FramedPage(text.gbk), source, read, walk.deletions))
    return refuse("网页无法写入，未转换", fs.LastError());
  if (text.encoding != TextEncoding::kGbk) ++walk.recoded;
  if (text.dropped_odd_byte) walk.report.Note(source, Gbk(kOddByteNote));
  if (walk.deletions.Full()) FinishDeletions(walk);
  return true;
}

// Converts the texts of `folder` and of the folders in it. `parent`: the
// identity of the folder it was listed in, when it was listed as a folder
// (not a link) there.
void ConvertOneFolder(FolderWalk& walk, const Text& folder, const FileId* parent = nullptr) {
  FileSystem& fs = walk.ctx.fs;
  FileId id;
  bool identified = fs.Identify(folder, &id);
  // A folder found by its path is the one listed only while it still lies
  // in the folder it was listed in: one reached through a parent swapped
  // meanwhile (for a link leading elsewhere, say) is left alone.
  if (identified && parent && !IsFolderWithId(fs, JoinPath(folder, ".."), *parent)) {
    walk.report.Add(folder, Gbk(kFolderSwapped));
    return;
  }
  if (identified) {
    if (std::find(walk.open_folders.begin(), walk.open_folders.end(), id) != walk.open_folders.end()) {
      return;  // a link back to a folder being walked
    }
    walk.open_folders.push_back(id);
  }
  // One sync covers the texts waiting for deletion while the folders stay
  // on one file system.
  if (!identified || id.device != walk.deletions_device) FinishDeletions(walk);
  walk.deletions_folder = folder;
  walk.deletions_device = identified ? id.device : 0;
  // One listing answers every question asked of the folder.
  const std::vector<DirectoryEntry> listing = fs.ListKinds(folder);
  RemoveStaleTemporaryFiles(fs, folder, listing);
  bool tile_checked = false;
  for (const DirectoryEntry& entry : MatchingEntries(listing, "*" + walk.old_extension)) {
    const Text& name = entry.name;
    if (!walk.ctx.progress.Step(walk.done++, 0, JoinPath(folder, name))) return;
    // A linked file is read only when it lies inside the dropped folder:
    // a file elsewhere would land in the folder as a page.
    if (entry.link &&
        (walk.open_folders.empty() || !InsideFolder(fs, JoinPath(folder, name), walk.open_folders.front()))) {
      walk.report.Add(JoinPath(folder, name), Gbk("是指向文件夹之外的链接，未转换"));
      continue;
    }
    // The pages' background goes in before the first page, so that a run
    // cut off after its last page still leaves it beside them.
    if (!tile_checked) {
      tile_checked = true;
      Text tile = JoinPath(folder, kPaleTileImageName);
      if (!CreateFileSafely(fs, tile, PaleTileImage().View())) {
        const FileError why = fs.LastError();
        if (!FileExists(fs, tile)) walk.report.Add(tile, WithReason(Gbk("图片无法写入"), why));
      }
    }
    // The folder is the one listed: one swapped meanwhile (for a link
    // leading elsewhere, say) gets no pages and loses no texts.
    if (identified && !IsFolderWithId(fs, folder, id)) {
      walk.report.Add(folder, Gbk(kFolderSwapped));
      break;
    }
    ConvertFile(walk, folder, name, entry.link);
  }
  for (const DirectoryEntry& entry : MatchingEntries(listing, "*.*", kDirectory)) {
    if (entry.name.empty() || entry.name[0] == '.' || walk.ctx.progress.Stopped()) continue;
    Text sub = JoinPath(folder, entry.name);
    // A linked folder is entered only when it leads back inside the dropped
    // folder: texts elsewhere are not converted and deleted.
    if (entry.link && (walk.open_folders.empty() || !InsideFolder(fs, sub, walk.open_folders.front()))) {
      walk.report.Add(sub, Gbk("是指向文件夹之外的链接，未进入"));
      continue;
    }
    ConvertOneFolder(walk, sub, identified && !entry.link ? &id : nullptr);
  }
  if (identified) walk.open_folders.pop_back();
}

}  // namespace

ConversionReport ConvertFolder(Context& ctx, const Text& folder, const Text& old_extension, const Text& new_extension,
                               long* recoded) {
  FolderWalk walk{ctx, old_extension, new_extension, {}, {}, 0, 0, DeletionsAfterSync(ctx.fs), {}, 0};
  {
    DeferredSyncs deferred(ctx.fs);
    ConvertOneFolder(walk, folder);
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
  for (std::size_t i = 0; i < pages.size(); ++i) {
    const Text& name = pages[i].name;
    if (!ctx.progress.Step(static_cast<long>(i), static_cast<long>(pages.size()), name)) break;
    Text page = JoinPath(folder, name);
    if (pages[i].link && !InsideFolder(ctx.fs, page, folder)) {  // its text would come from elsewhere
      report.Add(page, Gbk("是指向文件夹之外的链接，未还原"));
      continue;
    }
    // Only the name loses its ".htm": the text file stays in this folder.
    // It is created exclusively; a step that fails asks whether a file was
    // in the way, which is what the report then names.
    Text text_name = ReplaceSubtext(name, ".htm") + ".txt";
    Text text_path = JoinPath(folder, text_name);
    auto refuse = [&](std::string_view reason, FileError why = {}) {
      if (PathExists(ctx.fs, text_path)) report.Add(page, Gbk("文本会覆盖同名文件 ") + text_name + Gbk("，未还原"));
      else report.Add(page, WithReason(Gbk(reason), why));
    };
    std::string data;
    FileStamp read;
    if (!ReadOriginal(ctx.fs, page, pages[i].link, &data, &read)) {
      refuse("无法读取，未还原", ctx.fs.LastError());
      continue;
    }
    if (HoldsZeroByte(data)) {  // its text would end at that byte
      refuse("含有0字节，未还原");
      continue;
    }
    if (!CreateThenDeleteLater(ctx.fs, text_path, TextFromPage(ByteSet(std::move(data))), page, read, deletions)) {
      refuse("文本无法写入，未还原", ctx.fs.LastError());
      continue;
    }
    if (deletions.Full()) finish_deletions();
  }
  finish_deletions();
  ctx.dialogs.MessageBox(ctx.progress.ClosingMessage(report.ClosingMessage(Gbk("取消转换ok!")), Gbk("取消转换ok!")));
}

}  // namespace qm

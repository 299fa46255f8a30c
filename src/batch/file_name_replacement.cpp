#include "batch/file_name_replacement.h"

#include "core/control_names.h"

#include <algorithm>

#include "batch/tool_folder.h"
#include "runtime/encoding.h"
#include "runtime/file_ops.h"
#include "runtime/paths.h"

namespace qm {
namespace {

// Length of the name escape that begins with the 0xFF byte at `i`: 0xFF
// 0xC0 byte 0xFF for a stray byte, else 0xFF, a UTF-8 sequence and a
// closing 0xFF when that sequence has an even length.
std::size_t EscapeLength(const Text& name, std::size_t i) {
  if (i + 1 < name.size() && static_cast<unsigned char>(name[i + 1]) == 0xC0) return 4;
  char32_t cp;
  std::size_t n = i + 1 < name.size() ? DecodeUtf8(name, i + 1, &cp) : 0;
  if (n == 0) return 1;
  return 1 + n + (n % 2 == 0 ? 1 : 0);
}

Text ReplaceAll(std::string_view text, const Text& old_text, const Text& new_text) {
  return ReplaceSubtext(text, old_text, new_text, 1, -1, /*case_sensitive=*/false);
}

// Width of the character at `i`: a whole escape, or one GBK character.
std::size_t UnitWidth(const Text& text, std::size_t i) {
  if (static_cast<unsigned char>(text[i]) == 0xFF) return std::min(EscapeLength(text, i), text.size() - i);
  return CharWidthAt(text, i);
}

// True when `old_text` is in `name` at the character start `at`, character
// for character, ASCII letters without regard to case.
bool MatchesAt(const Text& name, std::size_t at, const Text& old_text) {
  for (std::size_t k = 0; k < old_text.size();) {
    const std::size_t width = UnitWidth(old_text, k);
    if (at + k >= name.size() || UnitWidth(name, at + k) != width) return false;
    if (width == 1 ? AsciiUpperByte(name[at + k]) != AsciiUpperByte(old_text[k])
                   : name.compare(at + k, width, old_text, k, width) != 0)
      return false;
    k += width;
  }
  return true;
}

// ReplacedFileName for an old text holding characters without a GBK form:
// their escapes are matched as whole characters, as the name holds them.
Text ReplaceWithEscapes(const Text& name, const Text& old_text, const Text& new_text) {
  Text out;
  for (std::size_t i = 0; i < name.size();) {
    if (MatchesAt(name, i, old_text)) {
      out += new_text;
      i += old_text.size();
      continue;
    }
    const std::size_t width = UnitWidth(name, i);
    out.append(name, i, width);
    i += width;
  }
  return out;
}

}  // namespace

Text ReplacedFileName(const Text& name, const Text& old_text, const Text& new_text) {
  if (HasNameEscape(old_text)) return ReplaceWithEscapes(name, old_text, new_text);
  if (!HasNameEscape(name)) return ReplaceAll(name, old_text, new_text);
  // Replace within the runs of GBK characters between the escapes.
  Text out;
  std::size_t run = 0;
  std::size_t i = 0;
  while (i < name.size()) {
    if (static_cast<unsigned char>(name[i]) != 0xFF) {
      i += CharWidthAt(name, i);
      continue;
    }
    out += ReplaceAll(std::string_view(name).substr(run, i - run), old_text, new_text);
    std::size_t n = std::min(EscapeLength(name, i), name.size() - i);
    out.append(name, i, n);
    i += n;
    run = i;
  }
  out += ReplaceAll(std::string_view(name).substr(run), old_text, new_text);
  return out;
}

void NameReplacementSummary::Failed(FileError error) {
  ++failed;
  if (why.code == 0) why = error;
  auto same = std::find_if(reasons.begin(), reasons.end(), [&](const auto& r) { return r.first.code == error.code; });
  if (same == reasons.end()) reasons.push_back({error, 1});
  else ++same->second;
}

NameReplacementSummary ReplaceInFileNames(FileSystem& fs, const Text& folder, const Text& old_text,
                                          const Text& new_text, Progress& progress) {
  NameReplacementSummary summary;
  if (old_text.empty()) return summary;  // no name can change
  // The folder's identity, taken before it is listed: the renames happen
  // only in the folder listed, never in one put in its place since.
  const Text listed = FolderOf(InToolFolder(folder, "*"));
  FileId id;
  // The files' kinds are all the search needs: no look at each file. A
  // folder that can be read lists "." at least.
  std::vector<DirectoryEntry> entries;
  if (fs.Identify(listed.empty() ? Text(".") : listed, &id)) entries = fs.ListKinds(listed);
  if (entries.empty()) {
    summary.unlisted = true;
    summary.why = fs.LastError();
    return summary;
  }
  std::vector<Text> names;
  for (DirectoryEntry& entry : MatchingEntries(entries, "*")) {
    if (entry.name != "." && entry.name != "..") names.push_back(std::move(entry.name));
  }
  // A file that only changes its name loses nothing in a power cut that it
  // would not lose under its old one: no sync is needed before each rename.
  DeferredSyncs deferred(fs);
  // The renames go to the file system a batch at a time, each file's
  // progress step taken before its batch: a stop leaves the file it comes
  // at, and every later one, untouched.
  constexpr std::size_t kBatch = 64;
  std::vector<FileSystem::NameChange> batch;
  bool stopped = false;
  for (std::size_t i = 0; i < names.size() && !stopped;) {
    batch.clear();
    for (; i < names.size() && batch.size() < kBatch; ++i) {
      if (!progress.Step(static_cast<long>(i), static_cast<long>(names.size()), names[i])) {
        stopped = true;
        break;
      }
      Text new_name = ReplacedFileName(names[i], old_text, new_text);
      if (new_name == names[i]) continue;
      if (!FileSystem::PlainName(new_name)) {
        summary.Failed(FileError{kUnusableName});  // the file keeps its own name
        continue;
      }
      batch.push_back({names[i], std::move(new_name), {}});
    }
    fs.RenameIn(listed, id, batch);
    for (const FileSystem::NameChange& change : batch) {
      if (change.error.code == 0) ++summary.renamed;
      else summary.Failed(change.error);
    }
  }
  return summary;
}

void FileNameCharReplacement(Context& ctx) {
  Text folder = ctx.controls.GetText(controls::kRenameFolderBox);
  Text old_text = ctx.controls.GetText(controls::kOldNameTextBox);
  Text new_text = ctx.controls.GetText(controls::kNewNameTextBox);
  if (Text refusal = FolderRefusal(ctx.fs, folder); !refusal.empty()) {
    ctx.dialogs.MessageBox(refusal);
    return;
  }
  NameReplacementSummary summary = ReplaceInFileNames(ctx.fs, folder, old_text, new_text, ctx.progress);
  // One closing message: "ok" only when every file got its new name.
  Text message = Gbk("批量更名 ok!");
  if (summary.unlisted) {
    message = WithReason(Gbk("无法读取目录，没有文件更名"), summary.why) + Gbk("。");
  } else if (summary.failed > 0) {
    message = Gbk("有 ") + ToText(summary.failed) + Gbk(" 个文件没能更名，保留原名");
    if (summary.reasons.size() > 1) {
      // Several reasons: each with the number of files it kept.
      Text counted;
      for (const auto& [why, files] : summary.reasons)
        counted += (counted.empty() ? Text() : Gbk("；")) + why.Reason() + " " + ToText(files) + Gbk(" 个");
      message += Gbk("（") + counted + Gbk("）");
    } else {
      message = WithReason(message, summary.why);
    }
    message += Gbk("。");
  }
  ctx.dialogs.MessageBox(ctx.progress.ClosingMessage(message, Gbk("批量更名 ok!")), 0, Gbk("提示"));
  ctx.controls.SetDisabled(controls::kRenameButton, true);
  ctx.controls.SetText(controls::kRenameFolderBox, Text());
}

}  // namespace qm

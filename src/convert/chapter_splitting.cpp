#include "convert/chapter_splitting.h"

#include "convert/novel_split.h"
#include "core/control_names.h"
#include "runtime/encoding.h"
#include "runtime/file_ops.h"
#include "runtime/path_kind.h"
#include "runtime/paths.h"

namespace qm {
namespace {

constexpr std::size_t kShownNotes = 20;

// The texts the path box names: each line a text file, or a folder whose
// "*.txt" files are taken in listing order.
std::vector<Text> TextsToSplit(FileSystem& fs, const Text& paths) {
  std::vector<Text> texts;
  for (const Text& line : SplitText(paths, "\r\n")) {
    Text path = TrimTrailingSpaces(line);
    if (path.empty()) continue;
    const PathKind kind = KindOfPath(fs, path);
    if (kind == PathKind::kNothing) continue;
    if (kind == PathKind::kFile) {
      texts.push_back(path);
      continue;
    }
    for (const Text& name : FindFiles(fs, JoinPath(path, "*.txt"))) texts.push_back(JoinPath(path, name));
  }
  return texts;
}

// What the message says of one split text.
Text SplitSummary(const Text& path, const NovelSplit& split) {
  Text out = NameOf(path) + Gbk("：");
  if (!split.failure.empty()) return out + split.failure;
  out += Gbk("分成 ") + ToText(static_cast<long long>(split.names.size())) + Gbk(" 个文本，在 ") + split.folder;
  if (split.no_heading) out += "\r\n" + Gbk("  没有一行符合分章规则，全文成为一个文本；可以修改规则后再分");
  for (std::size_t i = 0; i < split.notes.size() && i < kShownNotes; ++i) out += "\r\n  " + split.notes[i];
  if (split.notes.size() > kShownNotes) {
    out += "\r\n" + Gbk("  ……序号问题共 ") + ToText(static_cast<long long>(split.notes.size())) + Gbk(" 处");
  }
  return out;
}

}  // namespace

void ChapterSplitting(Context& ctx) {
  Controls& ui = ctx.controls;
  ChapterRule rule;
  Text error;
  if (!rule.Compile(ui.GetText(controls::kChapterRuleBox), &error)) {
    ctx.dialogs.MessageBox(error + Gbk("，没有分章节。"));
    return;
  }
  const Text paths = ui.GetText(controls::kSplitPathBox);
  std::vector<Text> texts = TextsToSplit(ctx.fs, paths);
  if (texts.empty()) {
    ctx.dialogs.MessageBox(TrimTrailingSpaces(paths).empty() ? Gbk("请先把小说文本拖进来！")
                                                             : Gbk("找不到要分章节的文本：") + paths);
    return;
  }
  Text lines;
  const long count = static_cast<long>(texts.size());
  std::vector<NovelSplit> done;
  for (long i = 0; i < count; ++i) {
    if (!ctx.progress.Step(i, count, texts[i])) break;
    NovelSplit split = SplitNovel(ctx.fs, texts[i], rule);
    lines += "\r\n" + SplitSummary(texts[i], split);
    if (split.failure.empty()) done.push_back(std::move(split));
  }
  Text message = (done.empty() ? Gbk("分章节没有完成：") : Gbk("分章节完成：")) + lines;
  if (done.size() == 1 && count == 1) {
    Text list;
    for (const Text& name : done.front().names) list += name + "\r\n";
    ui.SetText(controls::kBookFolderBox, done.front().folder);
    ui.SetText(controls::kOrderListBox, list);
    message += "\r\n" + Gbk("网页制作的目录和文档顺序已经填好，可以点“转网页”。");
  }
  ctx.dialogs.MessageBox(ctx.progress.ClosingMessage(message, message));
}

}  // namespace qm

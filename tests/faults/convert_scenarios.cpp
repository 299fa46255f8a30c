// The text-to-page operations: the paged book, the batch conversion and its
// undo, and the chapter splitter. Their text files (or pages) leave the folder only as a backup copy
// or as the page made from them.

#include "faults/convert_scenarios.h"

#include "convert/batch_conversion.h"
#include "convert/chapter_rule.h"
#include "convert/chapter_splitting.h"
#include "convert/framed_page.h"
#include "convert/paged_book.h"
#include "core/book_page.h"
#include "core/control_names.h"
#include "runtime/encoding.h"
#include "runtime/paths.h"

namespace qm::faults {
namespace {

bool OnlyMessageIs(const std::vector<ShownMessage>& messages, const Text& text) {
  return messages.size() == 1 && messages[0].content == text;
}

class PagedBookScenario : public Scenario {
 public:
  std::string Name() const override { return "PagedBookConversion"; }
  void Run(Context& ctx) override { PagedBookConversion(ctx); }
  bool ToldTrouble(const std::vector<ShownMessage>& messages) const override { return !OnlyMessageIs(messages, "ok"); }

 protected:
  void Build(const Stage& stage, const Text& root) override {
    Text shelf = JoinPath(root, "books");
    Text folder = JoinPath(shelf, "novel");
    Text backup = BackupFolder(folder);
    Folder(stage.fs, shelf);
    Folder(stage.fs, folder);
    Folder(stage.fs, backup);
    const std::vector<std::pair<Text, std::string>> texts = {
        {"a.txt", "alpha\r\nbeta\r\n"},
        {Gbk("第二章.txt"), Gbk("第二章　正文")},
        {"c.TXT", std::string("c\0tail", 6)},
    };
    for (std::size_t i = 0; i < texts.size(); ++i) {
      const Text& name = texts[i].first;
      Text page = JoinPath(folder, PageFileName(static_cast<long>(i)));
      Text copy = JoinPath(backup, name);
      // In place, or moved whole into the backup folder.
      auto kept = [copy](const Probe& probe, const FileAtRisk& f) {
        return Holds(probe, f.path, f.bytes) || Holds(probe, copy, f.bytes);
      };
      // Moved, and its page holds the text (up to a 0 byte) unchanged.
      auto done = [copy, page](const Probe& probe, const FileAtRisk& f) {
        std::optional<std::string> html = probe(page);
        return Holds(probe, copy, f.bytes) && !probe(f.path) && html &&
               html->find(ToText(ByteSet(f.bytes))) != std::string::npos;
      };
      File(stage.fs, JoinPath(folder, name), texts[i].second, kept, done);
    }
    // Listed again, but converted by an earlier run: its backup copy stays.
    Untouched(stage.fs, JoinPath(backup, "z.txt"), "z from an earlier run");
    Untouched(stage.fs, JoinPath(folder, "notes.doc"), "not listed");
    stage.ui.SetText(controls::kBookFolderBox, folder);
    stage.ui.SetText(controls::kOrderListBox, "a.txt\r\n" + Gbk("第二章.txt") + "\r\nc.TXT\r\nz.txt\r\n");
    stage.state.DateText = "2024-5-7";
  }
};

class BatchConversionScenario : public Scenario {
 public:
  std::string Name() const override { return "BatchPageConversion"; }
  void Run(Context& ctx) override { BatchPageConversion(ctx); }
  // The text holding a 0 byte is always reported; any other report line
  // tells of trouble.
  bool ToldTrouble(const std::vector<ShownMessage>& messages) const override {
    if (messages.size() != 1) return true;
    std::vector<Text> lines = SplitText(messages[0].content, "\r\n");
    for (std::size_t i = 1; i < lines.size(); ++i) {
      if (lines[i].find("zero.txt") == Text::npos) return true;
    }
    return false;
  }

 protected:
  void Build(const Stage& stage, const Text& root) override {
    Text folder = JoinPath(root, "web");
    Text sub = JoinPath(folder, Gbk("第一卷"));
    Text hidden = JoinPath(folder, ".hidden");
    Folder(stage.fs, folder);
    Folder(stage.fs, sub);
    Folder(stage.fs, hidden);
    Text (*page_of)(const Text&) = [](const Text& path) {
      return JoinPath(FolderOf(path), BaseName(NameOf(path)) + ".htm");
    };
    // In place, or turned into exactly its framed page.
    auto kept = [page_of](const Probe& probe, const FileAtRisk& f) {
      return Holds(probe, f.path, f.bytes) || Holds(probe, page_of(f.path), FramedPage(ByteSet(f.bytes)));
    };
    auto done = [page_of](const Probe& probe, const FileAtRisk& f) {
      return !probe(f.path) && Holds(probe, page_of(f.path), FramedPage(ByteSet(f.bytes)));
    };
    File(stage.fs, JoinPath(folder, "a.txt"), "A\r\nB  ", kept, done);
    File(stage.fs, JoinPath(folder, Gbk("第一章.txt")), Gbk("第一章\r\n正文"), kept, done);
    File(stage.fs, JoinPath(sub, "c.txt"), "gamma", kept, done);
    // A text holding a 0 byte keeps its file: its page ends at that byte.
    auto whole = [](const Probe& probe, const FileAtRisk& f) { return Holds(probe, f.path, f.bytes); };
    File(stage.fs, JoinPath(folder, "zero.txt"), std::string("z\0tail", 6), whole, whole);
    Untouched(stage.fs, JoinPath(folder, "keep.doc"), "not a text");
    Untouched(stage.fs, JoinPath(hidden, "h.txt"), "in a hidden folder");
    stage.ui.SetText(controls::kBatchFolderBox, folder);
    stage.ui.SetText(controls::kOldExtensionBox, ".txt");
    stage.ui.SetText(controls::kNewExtensionBox, ".htm");
  }
};

class UndoScenario : public Scenario {
 public:
  std::string Name() const override { return "UndoBatchConversion"; }
  void Run(Context& ctx) override { UndoBatchConversion(ctx); }
  bool ToldTrouble(const std::vector<ShownMessage>& messages) const override {
    return !OnlyMessageIs(messages, Gbk("取消转换ok!"));
  }

 protected:
  void Build(const Stage& stage, const Text& root) override {
    Text folder = JoinPath(root, "web");
    Text sub = JoinPath(folder, "sub");
    Folder(stage.fs, folder);
    Folder(stage.fs, sub);
    Text (*text_of)(const Text&) = [](const Text& path) {
      return JoinPath(FolderOf(path), ReplaceSubtext(NameOf(path), ".htm") + ".txt");
    };
    // In place, or turned back into exactly the text the undo makes of it.
    auto kept = [text_of](const Probe& probe, const FileAtRisk& f) {
      return Holds(probe, f.path, f.bytes) || Holds(probe, text_of(f.path), TextFromPage(ByteSet(f.bytes)));
    };
    auto done = [text_of](const Probe& probe, const FileAtRisk& f) {
      return !probe(f.path) && Holds(probe, text_of(f.path), TextFromPage(ByteSet(f.bytes)));
    };
    File(stage.fs, JoinPath(folder, "a.htm"), FramedPage(ByteSet("A\r\nB")), kept, done);
    File(stage.fs, JoinPath(folder, Gbk("第一章.htm")), FramedPage(ByteSet(Gbk("第一章\r\n正文"))), kept, done);
    File(stage.fs, JoinPath(folder, "index.htm"), "<html><body>foreign</body></html>", kept, done);
    Untouched(stage.fs, JoinPath(sub, "s.htm"), "a page in a sub-folder");
    Untouched(stage.fs, JoinPath(folder, "leftbg.gif"), "GIF89a");
    stage.ui.SetText(controls::kBatchFolderBox, folder);
  }
};

// The chapter splitter only reads the novel and writes into a folder of its
// own: the novel and a file already named like the book stay as they are.
class ChapterSplittingScenario : public Scenario {
 public:
  std::string Name() const override { return "ChapterSplitting"; }
  void Run(Context& ctx) override { ChapterSplitting(ctx); }
  bool ToldTrouble(const std::vector<ShownMessage>& messages) const override {
    return messages.size() != 1 || messages[0].content.find(Gbk("分成 ")) == Text::npos ||
           messages[0].content.find(Gbk("不完整")) != Text::npos;
  }

 protected:
  void Build(const Stage& stage, const Text& root) override {
    Text shelf = JoinPath(root, "novels");
    Folder(stage.fs, shelf);
    Untouched(stage.fs, JoinPath(shelf, "rain.txt"), Gbk("前面的话\r\n第一章 山雨\r\n正文。\r\n第二章 夜\r\n"));
    Untouched(stage.fs, JoinPath(shelf, "rain"), "a file named like the book");
    stage.ui.SetText(controls::kSplitPathBox, JoinPath(shelf, "rain.txt"));
    stage.ui.SetText(controls::kChapterRuleBox, DefaultChapterRule());
  }
};

}  // namespace

std::unique_ptr<Scenario> MakeChapterSplittingScenario() { return std::make_unique<ChapterSplittingScenario>(); }
std::unique_ptr<Scenario> MakePagedBookScenario() { return std::make_unique<PagedBookScenario>(); }
std::unique_ptr<Scenario> MakeBatchConversionScenario() { return std::make_unique<BatchConversionScenario>(); }
std::unique_ptr<Scenario> MakeUndoScenario() { return std::make_unique<UndoScenario>(); }

}  // namespace qm::faults

// The batch file tools and the unpacker's rename: files renamed in place,
// pages moved into 处理后 as framed pages, pages re-encoded into 处理后, and
// the .chm file that takes its space-free name.

#include "faults/batch_scenarios.h"

#include "batch/file_name_replacement.h"
#include "batch/page_simplifier.h"
#include "batch/reencoding.h"
#include "batch/text_between_markers.h"
#include "chm/document_tree.h"
#include "chm/project_files.h"
#include "chm/unpacking.h"
#include "core/control_names.h"
#include "core/page_templates.h"
#include "core/utf8_to_gbk.h"
#include "runtime/encoding.h"
#include "runtime/paths.h"
#include "runtime/process.h"

namespace qm::faults {
namespace {

using Rule = std::function<bool(const Probe&, const FileAtRisk&)>;

bool InPlace(const Probe& probe, const FileAtRisk& f) { return Holds(probe, f.path, f.bytes); }

// The tools close with one message: their own plain success text, or what
// went wrong instead.
bool NotOnly(const std::vector<ShownMessage>& messages, const Text& success) {
  return messages.size() != 1 || messages[0].content != success;
}

Text Processed(const Text& page) { return JoinPath(JoinPath(FolderOf(page), Gbk("处理后")), NameOf(page)); }

class FileNameScenario : public Scenario {
 public:
  std::string Name() const override { return "FileNameCharReplacement"; }
  void Run(Context& ctx) override { FileNameCharReplacement(ctx); }
  bool ToldTrouble(const std::vector<ShownMessage>& messages) const override {
    return NotOnly(messages, Gbk("批量更名 ok!"));
  }

 protected:
  void Build(const Stage& stage, const Text& root) override {
    Text folder = JoinPath(root, "names");
    Folder(stage.fs, folder);
    Folder(stage.fs, JoinPath(folder, "txtsub"));
    auto renamed = [](const FileAtRisk& f) {
      return JoinPath(FolderOf(f.path), ReplacedFileName(NameOf(f.path), "txt", "htm"));
    };
    Rule kept = [renamed](const Probe& probe, const FileAtRisk& f) {
      return InPlace(probe, f) || Holds(probe, renamed(f), f.bytes);
    };
    Rule done = [renamed](const Probe& probe, const FileAtRisk& f) {
      return !probe(f.path) && Holds(probe, renamed(f), f.bytes);
    };
    File(stage.fs, JoinPath(folder, "a.txt"), "1", kept, done);  // a.htm is taken
    File(stage.fs, JoinPath(folder, "txtlist.txt"), "2", kept, done);
    File(stage.fs, JoinPath(folder, "notes.TXT"), "3", kept, done);
    File(stage.fs, JoinPath(folder, Gbk("第一章.txt")), "5", kept, done);
    Untouched(stage.fs, JoinPath(folder, "a.htm"), "4");
    Untouched(stage.fs, JoinPath(folder, "plain.doc"), "6");
    Untouched(stage.fs, JoinPath(folder, "txtsub/x.txt"), "7");
    stage.ui.SetText(controls::kRenameFolderBox, folder);
    stage.ui.SetText(controls::kOldNameTextBox, "txt");
    stage.ui.SetText(controls::kNewNameTextBox, "htm");
  }
};

class SimplifierScenario : public Scenario {
 public:
  std::string Name() const override { return "PageSimplification"; }
  void Run(Context& ctx) override { PageSimplification(ctx); }
  bool ToldTrouble(const std::vector<ShownMessage>& messages) const override {
    return NotOnly(messages, Gbk("精简网页结束!"));
  }

 protected:
  void Build(const Stage& stage, const Text& root) override {
    Text folder = JoinPath(root, "pages");
    Folder(stage.fs, folder);
    Folder(stage.fs, JoinPath(folder, Gbk("处理后")));
    Folder(stage.fs, JoinPath(folder, "sub"));
    auto result = [](std::string_view page) {
      return FramedPageHead() + TextBetweenMarkers(ToText(ByteSet(std::string(page))), "<body>", "</body>") +
             FramedPageTail();
    };
    // In place, or moved into 处理后 as exactly its simplified page.
    Rule kept = [result](const Probe& probe, const FileAtRisk& f) {
      return InPlace(probe, f) || Holds(probe, Processed(f.path), result(f.bytes));
    };
    Rule done = [result](const Probe& probe, const FileAtRisk& f) {
      return !probe(f.path) && Holds(probe, Processed(f.path), result(f.bytes));
    };
    const std::string first = "<html><BODY>keep one</body></html>";
    File(stage.fs, JoinPath(folder, "p1.htm"), first, kept, done);
    File(stage.fs, JoinPath(folder, Gbk("第二页.htm")), Gbk("<body>中文</body>后记"), kept, done);
    File(stage.fs, JoinPath(folder, "zero.htm"), std::string("<body>zz</body>\0tail", 20), kept, done);
    // A result of an earlier run is replaced only by a complete one.
    std::string fresh = result(first);
    File(
        stage.fs, JoinPath(folder, Gbk("处理后/p1.htm")), "earlier result",
        [fresh](const Probe& probe, const FileAtRisk& f) { return InPlace(probe, f) || Holds(probe, f.path, fresh); },
        [fresh](const Probe& probe, const FileAtRisk& f) { return Holds(probe, f.path, fresh); });
    Untouched(stage.fs, JoinPath(folder, "sub/s.htm"), "<body>in a sub-folder</body>");
    Untouched(stage.fs, JoinPath(folder, "notes.txt"), "<body>other suffix</body>");
    stage.ui.SetText(controls::kSimplifyFolderBox, folder);
    stage.ui.SetText(controls::kSimplifySuffixBox, ".htm");
    stage.ui.SetText(controls::kFrontMarkerBox, "<body>");
    stage.ui.SetText(controls::kBackMarkerBox, "</body>");
  }
};

class ReencodingScenario : public Scenario {
 public:
  std::string Name() const override { return "Utf8ToGb2312Reencoding"; }
  void Run(Context& ctx) override { Utf8ToGb2312Reencoding(ctx); }
  bool ToldTrouble(const std::vector<ShownMessage>& messages) const override { return NotOnly(messages, "ok!"); }

 protected:
  void Build(const Stage& stage, const Text& root) override {
    Text folder = JoinPath(root, "pages");
    Folder(stage.fs, folder);
    Folder(stage.fs, JoinPath(folder, Gbk("处理后")));
    auto result = [](std::string_view page) { return GbkTextFromUtf8(ByteSet(std::string(page))); };
    // The pages stay as they are; the result in 处理后 is exactly the re-encoded page.
    Rule done = [result](const Probe& probe, const FileAtRisk& f) {
      return InPlace(probe, f) && Holds(probe, Processed(f.path), result(f.bytes));
    };
    const std::string utf8 = "<meta charset=utf-8><p>中文</p>";  // UTF-8 in this source
    File(stage.fs, JoinPath(folder, "u.htm"), utf8, InPlace, done);
    File(stage.fs, JoinPath(folder, "a.htm"), "plain ascii", InPlace, done);
    File(stage.fs, JoinPath(folder, "e.htm"), "", InPlace, done);
    std::string fresh = result(utf8);
    File(
        stage.fs, JoinPath(folder, Gbk("处理后/u.htm")), "earlier result",
        [fresh](const Probe& probe, const FileAtRisk& f) { return InPlace(probe, f) || Holds(probe, f.path, fresh); },
        [fresh](const Probe& probe, const FileAtRisk& f) { return Holds(probe, f.path, fresh); });
    stage.ui.SetText(controls::kReencodeFolderBox, folder);
    stage.ui.SetText(controls::kReencodeSuffixBox, ".htm");
  }
};

class UnpackingScenario : public Scenario {
 public:
  std::string Name() const override { return "ChmUnpacking"; }
  void Run(Context& ctx) override { ChmUnpacking(ctx); }
  bool ToldTrouble(const std::vector<ShownMessage>& messages) const override {
    return messages.size() != 1 || messages[0].content != "ok";
  }

 protected:
  void Build(const Stage& stage, const Text& root) override {
    Text folder = JoinPath(root, "books");
    Folder(stage.fs, folder);
    Text spaced = JoinPath(folder, "my book.chm");
    Text joined = JoinPath(folder, "mybook.chm");
    File(
        stage.fs, spaced, "ITSF book one",
        [joined](const Probe& probe, const FileAtRisk& f) {
          return InPlace(probe, f) || Holds(probe, joined, f.bytes);
        },
        [joined](const Probe& probe, const FileAtRisk& f) { return !probe(f.path) && Holds(probe, joined, f.bytes); });
    Untouched(stage.fs, JoinPath(folder, "other.chm"), "ITSF book two");
    stage.ui.SetText(chm::kFolderBox, spaced);
    // The unpacker stands in for hh.exe: it succeeds when it can read the
    // book its command line names.
    FileSystem& fs = stage.fs;
    stage.processes.on_run = [&fs](const Text& command_line, bool) {
      std::vector<Text> args = SplitCommandLine(command_line);
      std::string data;
      RunResult run;
      run.started = run.finished = true;
      run.exit_status = args.size() == 4 && fs.Read(args[3], &data) ? 0 : 1;
      return run;
    };
  }
};

// Dropping a book folder on the CHM tab, choosing its home page and
// building the contents: the project and contents files of an earlier build
// are replaced only by complete new ones.
class ContentsScenario : public Scenario {
 public:
  std::string Name() const override { return "BuildContents"; }
  void Run(Context& ctx) override {
    OnChmFolderDrop(ctx, folder_);
    ctx.controls.SetText(chm::kHomePageBox, "a.htm");
    RefreshProjectPreview(ctx);
    BuildContents(ctx);
    // The build says nothing when it succeeds: this closing message lets the
    // harness tell a quiet success from a run that reported trouble.
    ctx.dialogs.MessageBox("built");
  }
  bool ToldTrouble(const std::vector<ShownMessage>& messages) const override { return messages.size() != 1; }

 protected:
  void Build(const Stage& stage, const Text& root) override {
    folder_ = JoinPath(root, "book");
    Folder(stage.fs, folder_);
    Folder(stage.fs, JoinPath(folder_, "sub"));
    auto rule = [](std::string_view head) {
      return [head = std::string(head)](const Probe& probe, const FileAtRisk& f) {
        std::optional<std::string> now = probe(f.path);
        return now && (*now == f.bytes || now->rfind(head, 0) == 0);
      };
    };
    auto fresh = [](std::string_view head) {
      return [head = std::string(head)](const Probe& probe, const FileAtRisk& f) {
        std::optional<std::string> now = probe(f.path);
        return now && now->rfind(head, 0) == 0;
      };
    };
    File(stage.fs, JoinPath(folder_, "book.hhc"), "earlier contents", rule("<HTML>"), fresh("<HTML>"));
    File(stage.fs, JoinPath(folder_, "book.hhp"), "earlier project", rule("[OPTIONS]"), fresh("[OPTIONS]"));
    Untouched(stage.fs, JoinPath(folder_, "a.htm"), "<p>a</p>");
    Untouched(stage.fs, JoinPath(folder_, "sub/b.htm"), "<p>b</p>");
  }

 private:
  Text folder_;
};

}  // namespace

std::unique_ptr<Scenario> MakeContentsScenario() { return std::make_unique<ContentsScenario>(); }
std::unique_ptr<Scenario> MakeFileNameScenario() { return std::make_unique<FileNameScenario>(); }
std::unique_ptr<Scenario> MakeSimplifierScenario() { return std::make_unique<SimplifierScenario>(); }
std::unique_ptr<Scenario> MakeReencodingScenario() { return std::make_unique<ReencodingScenario>(); }
std::unique_ptr<Scenario> MakeUnpackingScenario() { return std::make_unique<UnpackingScenario>(); }

}  // namespace qm::faults

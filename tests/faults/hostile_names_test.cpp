// Operations (most on a real disk) over names that fight back: names close to the
// system's 255-byte limit, names without a GBK form (an emoji, bytes that
// are not UTF-8) and names full of shell characters. Every file is found,
// converted and converted back, and nothing is left behind.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "batch/page_simplifier.h"
#include "chm/compile.h"
#include "chm/document_tree.h"
#include "chm/project_files.h"
#include "convert/batch_conversion.h"
#include "convert/framed_page.h"
#include "core/control_names.h"
#include "core/page_templates.h"
#include "runtime/encoding.h"
#include "runtime/process.h"
#include "support/operation_fixture.h"

namespace qm {
namespace {

namespace stdfs = std::filesystem;

class HostileNamesTest : public ::testing::Test {
 protected:
  // A folder whose name holds shell characters and an emoji.
  HostileNamesTest() : folder(f.dir.path() + "/-rf $(touch pwned); a\"b 📚") { stdfs::create_directory(folder); }
  void Put(const std::string& name, const std::string& data) {
    std::ofstream(folder + "/" + name, std::ios::binary) << data;
  }
  std::string Get(const std::string& name) {
    std::ifstream in(folder + "/" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  std::vector<std::string> Names() {
    std::vector<std::string> names;
    for (const auto& entry : stdfs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  Text FolderText() { return TextFromNativeName(folder); }

  DiskFixture f;
  std::string folder;
};

TEST_F(HostileNamesTest, BatchConversionAndUndoRoundTripEveryName) {
  const std::string longest(247, 'l');  // 251 bytes with ".txt"
  const std::string chinese = [] {
    std::string s;
    for (int i = 0; i < 82; ++i) s += "长";
    return s;
  }();
  const std::string stray = "bad\xff\xfe";
  Put(longest + ".txt", "long");
  Put(chinese + ".txt", "chinese");  // 250 bytes on disk, 168 as GBK
  Put(stray + ".txt", "stray");
  Put("📚 $(touch pwned2).txt", "emoji");
  f.ui.SetText(controls::kBatchFolderBox, FolderText());
  f.ui.SetText(controls::kOldExtensionBox, ".txt");
  f.ui.SetText(controls::kNewExtensionBox, ".htm");

  BatchPageConversion(f.ctx);

  ASSERT_EQ(f.ui.messages.back().content, Gbk("转换ok!"));
  EXPECT_EQ(Names(), (std::vector<std::string>{"bad\xff\xfe.htm", "leftbg.gif", longest + ".htm", chinese + ".htm",
                                               "📚 $(touch pwned2).htm"}));
  EXPECT_EQ(Get(longest + ".htm"), FramedPage(ByteSet("long")));
  EXPECT_EQ(Get(stray + ".htm"), FramedPage(ByteSet("stray")));

  UndoBatchConversion(f.ctx);

  ASSERT_EQ(f.ui.messages.back().content, Gbk("取消转换ok!"));
  EXPECT_EQ(Names(), (std::vector<std::string>{"bad\xff\xfe.txt", "leftbg.gif", longest + ".txt", chinese + ".txt",
                                               "📚 $(touch pwned2).txt"}));
  EXPECT_EQ(Get(chinese + ".txt"), "chinese\r\n");
  EXPECT_EQ(Get("📚 $(touch pwned2).txt"), "emoji\r\n");
  EXPECT_FALSE(stdfs::exists(f.dir.path() + "/pwned"));
  EXPECT_FALSE(stdfs::exists("pwned2"));
}

TEST_F(HostileNamesTest, AnEarlierResultWithALongNameIsReplacedWhole) {
  const std::string name = std::string(250, 'p') + ".htm";  // 254 bytes
  Put(name, "<body>new</body>");
  stdfs::create_directory(folder + "/处理后");
  Put("处理后/" + name, "earlier result");
  f.ui.SetText(controls::kSimplifyFolderBox, FolderText());
  f.ui.SetText(controls::kSimplifySuffixBox, ".htm");
  f.ui.SetText(controls::kFrontMarkerBox, "<body>");
  f.ui.SetText(controls::kBackMarkerBox, "</body>");

  PageSimplification(f.ctx);

  ASSERT_EQ(f.ui.messages.size(), 1u) << f.ui.messages.back().content;
  EXPECT_EQ(Get("处理后/" + name), FramedPageHead() + "new" + FramedPageTail());
  EXPECT_EQ(Names(), (std::vector<std::string>{"处理后"}));
}

}  // namespace
}  // namespace qm

namespace qm {
namespace {

// The compiler's command line gives back the project path whole, whatever
// the folder is called: quotes, backslashes before quotes, a trailing
// backslash, and a two-byte character whose second byte is 0x5C.
TEST(HostileCompileCommandTest, TheProjectPathComesBackWhole) {
  const Text folders[] = {"/b/a \"quoted\" book", "/b/back\\\"slash", "/b/ends in\\", "/b/" + Text("\x81\x5C") + "\"",
                          "/b/-rf $(touch pwned); `x`"};
  for (const Text& folder : folders) {
    MemoryFixture f;
    f.fs.AddDirectory(folder);
    f.ui.SetText(chm::kFolderBox, folder);
    f.state.BookName = "book\"1";
    f.state.BookFolder = folder;
    CompileChm(f.ctx);
    ASSERT_EQ(f.processes.runs.size(), 1u);
    std::vector<Text> args = SplitCommandLine(f.processes.runs[0].command_line);
    EXPECT_EQ(args, (std::vector<Text>{"hhc.exe", folder + "/book\"1.hhp"})) << folder;
  }
}

}  // namespace
}  // namespace qm

namespace qm {
namespace {

// Folder and page names that try to rewrite the project or send the book
// elsewhere, on a real disk with the real compiler: the project keeps its
// three sections and its one "Compiled file=" line, names with line breaks
// stay out of the tree (and the user is told), and the book is compiled into
// its own folder, a "\" in the folder's name being an ordinary character.
TEST(HostileProjectNamesTest, NoNameRewritesTheProjectOrSendsTheBookAway) {
  TempDir scratch;
  const std::string tag = stdfs::path(scratch.path()).filename().string();
  const std::string escaped = "/tmp/" + tag + "-escaped.chm", injected = "/tmp/" + tag + "-x";
  const bool root_book_existed = stdfs::exists("/.chm");
  const std::string books[] = {"\\tmp\\" + tag + "-escaped", "\\\\", "a\\b", "..\\up", "plain"};
  for (const std::string& name : books) {
    const std::string folder = scratch.path() + "/" + name;
    stdfs::create_directory(folder);
    std::ofstream(folder + "/a.htm") << "<p>a</p>";
    std::ofstream(folder + "/z.htm\n[OPTIONS]\nCompiled file=\\tmp\\" + tag + "-x") << "<p>z</p>";
    std::ofstream(folder + "/c\r.htm") << "<p>c</p>";
    stdfs::create_directory(folder + "/d\n[FILES]");
    BasicOperationFixture<RealFileSystem> f;
    RealProcessRunner programs({stdfs::path(HHC_EXE).parent_path().string()});
    Context ctx{f.fs, f.ui, f.ui, f.ui, programs, f.tree, f.random, f.state};

    OnChmFolderDrop(ctx, TextFromNativeName(folder));
    ASSERT_EQ(f.ui.messages.size(), 1u) << name;
    EXPECT_NE(f.ui.messages[0].content.find("z.htm\\n[OPTIONS]"), Text::npos) << name;
    EXPECT_EQ(f.tree.Count(), 1) << name;  // a.htm only
    f.ui.SetText(chm::kHomePageBox, "a.htm");
    RefreshProjectPreview(ctx);
    BuildContents(ctx);
    CompileChm(ctx);
    EXPECT_EQ(f.ui.messages.back().content, "ok") << name;

    std::ifstream project(folder + "/" + name + ".hhp");
    std::vector<std::string> sections;
    int compiled_lines = 0;
    for (std::string line; std::getline(project, line);) {
      if (!line.empty() && line[0] == '[') sections.push_back(line);
      if (line.rfind("Compiled file=", 0) == 0) ++compiled_lines;
    }
    EXPECT_EQ(sections, (std::vector<std::string>{"[OPTIONS]\r", "[WINDOWS]\r", "[FILES]\r"})) << name;
    EXPECT_EQ(compiled_lines, 1) << name;
    EXPECT_TRUE(stdfs::is_regular_file(folder + "/" + name + ".chm")) << name;
    // The book unpacks whole, contents file included.
    const std::string unpacked = scratch.path() + "/../" + tag + "-unpacked";
    RunResult unpack = programs.Run(
        TextFromNativeName("hh.exe -decompile \"" + unpacked + "\" \"" + folder + "/" + name + ".chm\""), true);
    EXPECT_EQ(unpack.exit_status, 0) << name;
    EXPECT_TRUE(stdfs::exists(unpacked + "/a.htm")) << name;
    stdfs::remove_all(unpacked);
  }
  // Nothing landed beside the book folders or anywhere else.
  std::set<std::string> beside;
  for (const auto& entry : stdfs::directory_iterator(scratch.path())) beside.insert(entry.path().filename().string());
  EXPECT_EQ(beside, std::set<std::string>(std::begin(books), std::end(books)));
  EXPECT_FALSE(stdfs::exists(escaped));
  EXPECT_FALSE(stdfs::exists(injected));
  if (!root_book_existed) {
    EXPECT_FALSE(stdfs::exists("/.chm"));
  }
}

}  // namespace
}  // namespace qm

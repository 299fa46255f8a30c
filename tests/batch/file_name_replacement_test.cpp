// Text replacement in the names of a folder's files.
#include "batch/file_name_replacement.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "core/control_names.h"
#include "runtime/encoding.h"
#include "support/operation_fixture.h"

namespace qm {
namespace {

TEST(ReplacedFileName, ReplacesEveryOccurrenceWithoutRegardToCase) {
  EXPECT_EQ(ReplacedFileName("a_A.txt", "A", "b"), "b_b.txt");
  EXPECT_EQ(ReplacedFileName("notes.TXT", "txt", "htm"), "notes.htm");
  EXPECT_EQ(ReplacedFileName("txtlist.txt", "txt", "htm"), "htmlist.htm");
  EXPECT_EQ(ReplacedFileName("a.txt", "txt", ""), "a.");
  EXPECT_EQ(ReplacedFileName("a.txt", "", "x"), "a.txt");
  // The new text goes in as typed.
  EXPECT_EQ(ReplacedFileName("ch1.txt", "CH", "Ch"), "Ch1.txt");
}

TEST(ReplacedFileName, MatchesOnlyAtCharacterStarts) {
  // 啊 is 0xB0 0xA1 and 、 is 0xA1 0xA2: the bytes 0xA1 0xA1 between them
  // are no full-width space.
  Text name = Gbk("啊、.txt");
  EXPECT_EQ(ReplacedFileName(name, Gbk("　"), "_"), name);
  EXPECT_EQ(ReplacedFileName(name, Gbk("、"), "_"), Gbk("啊_.txt"));
}

TEST(ReplacedFileName, LeavesTheEscapesOfNamesWithoutAGbkFormIntact) {
  // U+2F81 has no GBK form; its escape holds the bytes 0xBE 0x81, which
  // read as the GBK character 緛.
  Text name = TextFromNativeName("q\xE2\xBE\x81.txt");
  ASSERT_TRUE(HasNameEscape(name));
  EXPECT_EQ(ReplacedFileName(name, Gbk("緛"), "Z"), name);
  EXPECT_EQ(NativeName(ReplacedFileName(name, "Q", "y")), "y\xE2\xBE\x81.txt");
  EXPECT_EQ(NativeName(ReplacedFileName(name, "txt", "htm")), "q\xE2\xBE\x81.htm");
  // Typed into the old text, such a character matches itself, and ASCII
  // beside it still matches without regard to case.
  const Text typed = TextFromWindow("\xE2\xBE\x81.T");
  EXPECT_EQ(NativeName(ReplacedFileName(name, typed, "_")), "q_xt");
  EXPECT_EQ(NativeName(ReplacedFileName(TextFromNativeName("\xF0\x9F\x98\x80"
                                                           "a.txt"),
                                        TextFromWindow("\xF0\x9F\x98\x80"), Gbk("笑"))),
            "\xE7\xAC\x91"
            "a.txt");
  EXPECT_EQ(ReplacedFileName(Gbk("啊.txt"), typed, "_"), Gbk("啊.txt"));
}

class FileNameCharReplacementTest : public ::testing::Test {
 protected:
  void SetUp() override {
    f.ui.SetText(controls::kRenameFolderBox, "/book");
    f.ui.SetText(controls::kOldNameTextBox, "txt");
    f.ui.SetText(controls::kNewNameTextBox, "htm");
    f.ui.SetDisabled(controls::kRenameButton, false);
  }
  MemoryFixture f;
};

TEST_F(FileNameCharReplacementTest, RenamesTheFilesOfTheFolderOnly) {
  f.fs.AddFile("/book/notes.TXT", "1");
  f.fs.AddFile("/book/txtlist.txt", "2");
  f.fs.AddFile("/book/keep.doc", "3");
  f.fs.AddFile("/book/txtdir/inner.txt", "4");
  FileNameCharReplacement(f.ctx);
  EXPECT_EQ(f.fs.Contents("/book/notes.htm"), "1");
  EXPECT_EQ(f.fs.Contents("/book/htmlist.htm"), "2");
  EXPECT_EQ(f.fs.Contents("/book/keep.doc"), "3");
  EXPECT_EQ(f.fs.Contents("/book/txtdir/inner.txt"), "4");
  EXPECT_FALSE(f.fs.Exists("/book/notes.TXT"));
  ASSERT_EQ(f.ui.messages.size(), 1u);
  EXPECT_EQ(f.ui.messages[0].content, Gbk("批量更名 ok!"));
  EXPECT_EQ(f.ui.messages[0].caption, Gbk("提示"));
  EXPECT_TRUE(f.ui.IsDisabled(controls::kRenameButton));
  EXPECT_EQ(f.ui.GetText(controls::kRenameFolderBox), "");
  EXPECT_EQ(f.ui.GetText(controls::kOldNameTextBox), "txt");
  EXPECT_EQ(f.ui.GetText(controls::kNewNameTextBox), "htm");
}

TEST_F(FileNameCharReplacementTest, TheFirstFileToClaimANameGetsItAndNothingIsLost) {
  // Listed as 1HTM.TXT before 1TXT.HTM; both would become 1htm.htm.
  f.fs.AddFile("/book/1txt.htm", "first");
  f.fs.AddFile("/book/1htm.txt", "second");
  NameReplacementSummary s = ReplaceInFileNames(f.fs, "/book", "txt", "htm");
  EXPECT_EQ(s.renamed, 1);
  EXPECT_EQ(s.failed, 1);
  EXPECT_EQ(f.fs.Contents("/book/1htm.htm"), "second");
  EXPECT_EQ(f.fs.Contents("/book/1txt.htm"), "first");
}

TEST_F(FileNameCharReplacementTest, FailedRenamesAreReportedAfterTheMessage) {
  f.fs.AddFile("/book/a.txt", "old");
  f.fs.AddFile("/book/a.htm", "existing");
  f.fs.AddFile("/book/b.txt", "old");
  f.fs.AddFile("/book/c.txt", "old");
  f.fs.fail = [](std::string_view call, const Text& path) { return call == "rename" && path == "/book/b.txt"; };
  FileNameCharReplacement(f.ctx);
  EXPECT_EQ(f.fs.Contents("/book/a.txt"), "old");
  EXPECT_EQ(f.fs.Contents("/book/a.htm"), "existing");
  EXPECT_EQ(f.fs.Contents("/book/c.htm"), "old");
  // One closing message, and no "ok" before a failure; each reason counted.
  ASSERT_EQ(f.ui.messages.size(), 1u);
  EXPECT_EQ(f.ui.messages[0].content, Gbk("有 2 个文件没能更名，保留原名（已存在同名文件 1 个；读写出错 1 个）。"));
  f.fs.fail = nullptr;
  // A folder that cannot be read is no folder without such files.
  f.fs.SetUnreadable("/book");
  f.ui.SetText(controls::kRenameFolderBox, "/book");
  FileNameCharReplacement(f.ctx);
  ASSERT_EQ(f.ui.messages.size(), 2u);
  EXPECT_EQ(f.ui.messages[1].content, Gbk("无法读取目录，没有文件更名（没有权限）。"));
}

TEST_F(FileNameCharReplacementTest, EmptyAndUnsafeNewNamesAreNotUsed) {
  f.fs.AddFile("/book/txt", "whole name");
  EXPECT_EQ(ReplaceInFileNames(f.fs, "/book", "txt", "").failed, 1);
  EXPECT_EQ(f.fs.Contents("/book/txt"), "whole name");
  // A separator in the new text would move the file into another folder.
  f.fs.AddFile("/book/b.txt", "stays");
  f.fs.AddDirectory("/book/b");
  EXPECT_EQ(ReplaceInFileNames(f.fs, "/book", ".txt", "/x").failed, 1);
  EXPECT_EQ(f.fs.Contents("/book/b.txt"), "stays");
  EXPECT_FALSE(f.fs.Exists("/book/b/x"));
  // Nor can "..", and the reason says so.
  f.fs.AddFile("/book/..OLD", "dots");
  const NameReplacementSummary dots = ReplaceInFileNames(f.fs, "/book", "OLD", "");
  EXPECT_EQ(dots.failed, 1);
  EXPECT_EQ(dots.why.code, kUnusableName);
  EXPECT_EQ(f.fs.Contents("/book/..OLD"), "dots");
}

TEST_F(FileNameCharReplacementTest, EmptyOldTextChangesNoName) {
  f.fs.AddFile("/book/a.txt", "");
  f.ui.SetText(controls::kOldNameTextBox, "");
  FileNameCharReplacement(f.ctx);
  EXPECT_TRUE(f.fs.Exists("/book/a.txt"));
  EXPECT_EQ(f.ui.messages.at(0).content, Gbk("批量更名 ok!"));
}

TEST_F(FileNameCharReplacementTest, RefusesAnEmptyOrMissingFolderBeforeTouchingFiles) {
  f.fs.AddFile("/a.txt", "at the root");
  for (Text folder : {Text(), Text("/nowhere"), Text("/a.txt")}) {
    f.ui.messages.clear();
    f.fs.log.clear();
    f.ui.SetText(controls::kRenameFolderBox, folder);
    FileNameCharReplacement(f.ctx);
    ASSERT_EQ(f.ui.messages.size(), 1u);
    EXPECT_NE(f.ui.messages[0].content, Gbk("批量更名 ok!"));
    for (const std::string& call : f.fs.log) {
      EXPECT_EQ(call.rfind("list", 0), std::string::npos) << call;
      EXPECT_EQ(call.rfind("rename", 0), std::string::npos) << call;
    }
    EXPECT_FALSE(f.ui.IsDisabled(controls::kRenameButton));
    EXPECT_EQ(f.ui.GetText(controls::kRenameFolderBox), folder);
  }
  EXPECT_TRUE(f.fs.Exists("/a.txt"));
}

TEST(FileNameCharReplacementOnDisk, RenamesNamesWithAndWithoutAGbkForm) {
  DiskFixture f;
  namespace fs = std::filesystem;
  fs::path dir = f.dir.path();
  std::ofstream(dir / "\xE4\xB8\xAD.TXT") << "zh";
  std::ofstream(dir / "x\xE2\xBE\x81.txt") << "escaped";
  std::ofstream(dir / "a.txt") << "a";
  std::ofstream(dir / "a.htm") << "kept";
  fs::create_directory(dir / "sub.txt");
  NameReplacementSummary s = ReplaceInFileNames(f.fs, f.dir.path(), "txt", "htm");
  EXPECT_EQ(s.renamed, 2);
  EXPECT_EQ(s.failed, 1);
  EXPECT_TRUE(fs::exists(dir / "\xE4\xB8\xAD.htm"));
  EXPECT_TRUE(fs::exists(dir / "x\xE2\xBE\x81.htm"));
  EXPECT_TRUE(fs::exists(dir / "a.txt"));
  EXPECT_TRUE(fs::is_directory(dir / "sub.txt"));
  std::ifstream kept(dir / "a.htm");
  std::string text;
  kept >> text;
  EXPECT_EQ(text, "kept");
}

}  // namespace
}  // namespace qm

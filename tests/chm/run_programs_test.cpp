// The two buttons that run helper programs: the command lines they build
// and what they tell the user afterwards.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ctime>

#include "chm/compile.h"
#include "chm/finished_book.h"
#include "chm/unpacking.h"
#include "core/control_names.h"
#include "runtime/encoding.h"
#include "support/operation_fixture.h"

namespace qm {
namespace {

RunResult Exited(int status) {
  RunResult r;
  r.started = true;
  r.finished = true;
  r.exit_status = status;
  return r;
}

struct CompileTest : ::testing::Test, MemoryFixture {
  CompileTest() {
    fs.AddDirectory("/books/MyBook");
    ui.SetText(chm::kFolderBox, "/books/MyBook");
    state.BookName = "MyBook";
    state.BookFolder = "/books/MyBook";
    // A compiler that writes the book, as hhc.exe does.
    processes.on_run = [this](const Text&, bool) {
      fs.AddFile("/books/MyBook/MyBook.chm", "ITSF");
      return Exited(0);
    };
  }
};

TEST_F(CompileTest, RunsTheCompilerOnTheProjectAndWaits) {
  CompileChm(ctx);
  ASSERT_EQ(processes.runs.size(), 1u);
  EXPECT_EQ(processes.runs[0].command_line, "hhc.exe \"/books/MyBook/MyBook.hhp\"");
  EXPECT_TRUE(processes.runs[0].wait);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].content, "ok");
  EXPECT_EQ(ui.messages[0].caption, Gbk("信息："));
  // Without "不自建目录" the project file is not written again.
  EXPECT_FALSE(fs.Exists("/books/MyBook/MyBook.hhp"));
}

TEST_F(CompileTest, NoOwnContentsRemovesTheContentsNameInAnyCaseAndWritesTheProject) {
  ui.SetTicked(chm::kNoOwnContentsBox, true);
  ui.SetText(chm::kProjectBox, "Contents file=MyBook.hhc\r\n[WINDOWS]\r\nmain=\"t\",\"MYBOOK.HHC\",,\r\n");
  CompileChm(ctx);
  const Text expected = "Contents file=\r\n[WINDOWS]\r\nmain=\"t\",\"\",,\r\n";
  EXPECT_EQ(ui.GetText(chm::kProjectBox), expected);
  EXPECT_EQ(fs.Contents("/books/MyBook/MyBook.hhp"), expected);
  EXPECT_EQ(ui.messages.back().content, "ok");
}

TEST_F(CompileTest, EmptyBookNameTakesOutEveryContentsFileAndNamesDotHhp) {
  state.BookName.clear();
  ui.SetTicked(chm::kNoOwnContentsBox, true);
  ui.SetText(chm::kProjectBox, "a.hhc b.HHC");
  processes.on_run = [this](const Text&, bool) {
    fs.AddFile("/books/MyBook/.chm", "x");
    return Exited(0);
  };
  CompileChm(ctx);
  EXPECT_EQ(ui.GetText(chm::kProjectBox), "a b");
  EXPECT_EQ(processes.runs[0].command_line, "hhc.exe \"/books/MyBook/.hhp\"");
}

TEST_F(CompileTest, TellsWhatFailedInsteadOfOk) {
  // The compiler cannot be started.
  processes.on_run = [](const Text&, bool) { return RunResult(); };
  CompileChm(ctx);
  EXPECT_NE(ui.messages.back().content, "ok");
  EXPECT_NE(ui.messages.back().content.find("hhc.exe"), Text::npos);

  // It ran but failed.
  processes.on_run = [](const Text&, bool) { return Exited(3); };
  CompileChm(ctx);
  EXPECT_NE(ui.messages.back().content.find("3"), Text::npos);

  // It claimed success but wrote nothing.
  processes.on_run = [](const Text&, bool) { return Exited(0); };
  CompileChm(ctx);
  EXPECT_NE(ui.messages.back().content, "ok");

  // An old book from an earlier run does not count as output.
  fs.AddFile("/books/MyBook/MyBook.chm", "old");
  CompileChm(ctx);
  EXPECT_NE(ui.messages.back().content, "ok");
}

// A page whose name on disk is neither UTF-8 nor code page 936 cannot be
// stored; the message says which, instead of "ok".
TEST_F(CompileTest, PagesThatCannotBeStoredAreNamed) {
  const Text bad = TextFromNativeName("bad\xE9 page.htm");
  const Text gbk = TextFromNativeName("\xB5\xDA.htm");  // code page 936 on disk: stored
  fs.AddFile("/books/MyBook/MyBook.hhp", "[OPTIONS]\r\n[FILES]\r\n" + bad + "\r\n" + gbk + "\r\na.htm\r\n");
  CompileChm(ctx);
  const Text message = ui.messages.back().content;
  EXPECT_NE(message, "ok");
  EXPECT_NE(message.find("bad\\xE9 page.htm"), Text::npos);
  EXPECT_EQ(message.find(gbk), Text::npos);

  // Every other page the compiler reports left out is named too, each once.
  processes.on_run = [this](const Text&, bool) {
    fs.AddFile("/books/MyBook/MyBook.chm", "ITSF");
    RunResult r = Exited(0);
    r.left_out = {"bad\\xE9 page.htm", "..\\page.htm", "q:r.htm"};
    return r;
  };
  CompileChm(ctx);
  const Text all = ui.messages.back().content;
  for (const Text& name : {Text("bad\\xE9 page.htm"), Text("..\\page.htm"), Text("q:r.htm")}) {
    EXPECT_NE(all.find(name), Text::npos) << name;
    EXPECT_EQ(all.find(name), all.rfind(name)) << name;
  }
}

// Whether the book was written is the compiler's report: its exit status
// and the book its project names, whatever that book's time says.
TEST(CompileOutcome, TheBookTheProjectNamesAnyModificationTime) {
  DiskFixture f;
  const Text folder = f.dir.path() + "/Book";
  ASSERT_TRUE(f.fs.CreateDirectory(folder));
  f.ui.SetText(chm::kFolderBox, folder);
  f.state.BookName = "Book";
  f.state.BookFolder = folder;
  Text written;
  f.processes.on_run = [&](const Text&, bool) {
    if (!written.empty()) f.fs.Write(folder + "/" + written, "ITSF");
    return Exited(0);
  };
  // A hand-edited "Compiled file=" (the "\" read as a separator).
  f.fs.Write(folder + "/Book.hhp", "[OPTIONS]\r\ncompiled FILE = sub\\Manual.chm\r\n");
  f.fs.CreateDirectory(folder + "/sub");
  written = "sub/Manual.chm";
  CompileChm(f.ctx);
  EXPECT_EQ(f.ui.messages.back().content, "ok");

  // An old book whose time lies in the future, written again.
  f.fs.Write(folder + "/Book.hhp", "[OPTIONS]\r\nCompiled file=Book.chm\r\n");
  f.fs.Write(folder + "/Book.chm", "old");
  const std::string native = NativeName(folder + "/Book.chm");
  const timespec future[2] = {{std::time(nullptr) + 86400, 0}, {std::time(nullptr) + 86400, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, native.c_str(), future, 0), 0);
  written = "Book.chm";
  CompileChm(f.ctx);
  EXPECT_EQ(f.ui.messages.back().content, "ok");

  // Exit status 0 without a new book is still no book.
  written.clear();
  CompileChm(f.ctx);
  EXPECT_NE(f.ui.messages.back().content, "ok");
}

TEST_F(CompileTest, UnwritableProjectFileIsReportedAndTheOldOneKept) {
  fs.AddFile("/books/MyBook/MyBook.hhp", "old project");
  fs.SetReadOnly("/books/MyBook");
  ui.SetTicked(chm::kNoOwnContentsBox, true);
  ui.SetText(chm::kProjectBox, "new project");
  CompileChm(ctx);
  EXPECT_EQ(fs.Contents("/books/MyBook/MyBook.hhp"), "old project");
  EXPECT_TRUE(processes.runs.empty());
  EXPECT_NE(ui.messages.back().content, "ok");
}

struct UnpackTest : ::testing::Test, MemoryFixture {
  UnpackTest() {
    processes.on_run = [](const Text&, bool) { return Exited(0); };
  }
  Text Unpack(const Text& path) {
    ui.SetText(chm::kFolderBox, path);
    processes.runs.clear();
    ChmUnpacking(ctx);
    return processes.runs.empty() ? Text() : processes.runs.back().command_line;
  }
};

TEST_F(UnpackTest, BuildsTheCommandLineFromThePath) {
  fs.AddFile("/books/plain.chm", "x");
  EXPECT_EQ(Unpack("/books/plain.chm"), "hh.exe -decompile /books/plain /books/plain.chm");
  EXPECT_TRUE(fs.Exists("/books/plain.chm"));
  EXPECT_TRUE(processes.runs.back().wait);
  EXPECT_EQ(ui.messages.back().content, "ok");

  EXPECT_EQ(Unpack("/books/BOOK.CHM"), "hh.exe -decompile /books/BOOK /books/BOOK.chm");
  fs.AddFile("/books/BOOK.CHM", "x");
  EXPECT_EQ(Unpack("/books/BOOK.CHM"), "hh.exe -decompile /books/BOOK /books/BOOK.CHM");
  fs.AddFile("/books/BOOK.chm", "x");  // the command line's own name wins where it exists
  EXPECT_EQ(Unpack("/books/BOOK.CHM"), "hh.exe -decompile /books/BOOK /books/BOOK.chm");
  EXPECT_EQ(Unpack("/books/a.chm.chm"), "hh.exe -decompile /books/a /books/a.chm");
  // A folder named like the book is the book's folder all the same.
  EXPECT_EQ(Unpack("/books/x.chm/x.chm"), "hh.exe -decompile /books/x.chm/x /books/x.chm/x.chm");
  // No separator at all: the whole text is the name.
  EXPECT_EQ(Unpack("book.chm"), "hh.exe -decompile book book.chm");
}

TEST_F(UnpackTest, InheritedSpacesLeaveTheBooksNameByARenameBeforeUnpacking) {
  fs.AddFile("/books/my book.CHM", "book");
  // The book is named by its real name: "mybook.chm" is not on a disk that
  // tells letter cases apart.
  EXPECT_EQ(Unpack("/books/my book.CHM"), "hh.exe -decompile /books/mybook /books/mybook.CHM");
  EXPECT_FALSE(fs.Exists("/books/my book.CHM"));
  EXPECT_EQ(fs.Contents("/books/mybook.CHM"), "book");
  // The box keeps the text with spaces.
  EXPECT_EQ(ui.GetText(chm::kFolderBox), "/books/my book.CHM");
}

// Only the book's own name loses its spaces: a book in a folder whose name
// has spaces stays there and is unpacked beside itself, even when the
// space-free folder exists and holds a book of the space-free name.
TEST_F(UnpackTest, TheBookNeverLeavesItsFolder) {
  fs.AddFile("/my books/b.chm", "dropped b");
  fs.AddFile("/my books/a b.chm", "dropped ab");
  fs.AddFile("/mybooks/ab.chm", "other");
  EXPECT_EQ(Unpack("/my books/b.chm"), "hh.exe -decompile \"/my books/b\" \"/my books/b.chm\"");
  EXPECT_EQ(Unpack("/my books/a b.chm"), "hh.exe -decompile \"/my books/ab\" \"/my books/ab.chm\"");
  EXPECT_EQ(fs.Contents("/my books/b.chm"), "dropped b");
  EXPECT_EQ(fs.Contents("/my books/ab.chm"), "dropped ab");
  EXPECT_EQ(fs.Contents("/mybooks/ab.chm"), "other");
  EXPECT_FALSE(fs.Exists("/mybooks/b.chm"));
  EXPECT_EQ(ui.messages.back().content, "ok");
}

// When the space-free name belongs to another file, the dropped book is
// unpacked under its own name into the folder that bears it, and the
// message says so; the other file is neither renamed nor unpacked.
TEST_F(UnpackTest, RenameNeverReplacesAnotherFile) {
  fs.AddFile("/books/my book.chm", "dropped");
  fs.AddFile("/books/mybook.chm", "other");
  EXPECT_EQ(Unpack("/books/my book.chm"), "hh.exe -decompile \"/books/my book\" \"/books/my book.chm\"");
  EXPECT_EQ(fs.Contents("/books/my book.chm"), "dropped");
  EXPECT_EQ(fs.Contents("/books/mybook.chm"), "other");
  EXPECT_NE(ui.messages.back().content.find(Gbk("按原名解包到 /books/my book")), Text::npos);
  ASSERT_EQ(ui.messages.size(), 1u);
}

// Files the unpacker did not put under their own names are listed instead
// of "ok", and after a failure.
TEST_F(UnpackTest, FilesKeptBesideTheBooksAreListed) {
  processes.on_run = [](const Text&, bool) {
    RunResult run = Exited(0);
    run.left_out = {"a.htm -> a (b.chm).htm"};
    return run;
  };
  Unpack("/books/b.chm");
  EXPECT_NE(ui.messages.back().content.find("a.htm -> a (b.chm).htm"), Text::npos);
  // After a failure too.
  processes.on_run = [](const Text&, bool) {
    RunResult run = Exited(1);
    run.left_out = {"c.htm -> c (b.chm).htm"};
    return run;
  };
  Unpack("/books/b.chm");
  EXPECT_NE(ui.messages.back().content.find("c.htm -> c (b.chm).htm"), Text::npos);
  EXPECT_NE(ui.messages.back().content.find(Gbk("解包")), Text::npos);
}

// The target folder is the book's name without ".chm" beside it: a name that
// leaves no folder of its own, or a target that is a link, unpacks nothing
// and renames nothing.
TEST_F(UnpackTest, TargetThatIsNoFolderOfItsOwnIsRefused) {
  for (const char* name : {"/books/...chm", "/books/..chm", "/books/.chm", "/books/. .CHM", "/books/ .chm"}) {
    fs.AddFile(name, "x");
    EXPECT_EQ(Unpack(name), "") << name;
    EXPECT_TRUE(fs.Exists(name)) << name;
    EXPECT_NE(ui.messages.back().content, "ok") << name;
  }
  DiskFixture f;
  const Text folder = f.dir.path();
  ASSERT_TRUE(f.fs.CreateDirectory(folder + "/out"));
  ASSERT_EQ(::symlink("out", NativeName(folder + "/c").c_str()), 0);
  f.fs.Write(folder + "/c.chm", "ITSF");
  f.ui.SetText(chm::kFolderBox, folder + "/c.chm");
  ChmUnpacking(f.ctx);
  EXPECT_TRUE(f.processes.runs.empty());
  EXPECT_NE(f.ui.messages.back().content.find(Gbk("链接")), Text::npos);
}

TEST_F(UnpackTest, FailuresAreReported) {
  processes.on_run = [](const Text&, bool) { return RunResult(); };
  Unpack("/books/a.chm");
  EXPECT_NE(ui.messages.back().content, "ok");
  EXPECT_NE(ui.messages.back().content.find("hh.exe"), Text::npos);
  processes.on_run = [](const Text&, bool) { return Exited(1); };
  Unpack("/books/a.chm");
  EXPECT_NE(ui.messages.back().content, "ok");
}

}  // namespace
}  // namespace qm

namespace qm {
namespace {

// "打开书" and "打开文件夹" hand what the last successful compile or unpack
// wrote to the desktop's opener; before that, and after a failure, they say
// there is nothing yet.
TEST_F(CompileTest, TheFinishedBookAndItsFolderOpenOnTheDesktop) {
  OnOpenBookClicked(ctx);
  OnOpenFolderClicked(ctx);
  EXPECT_EQ(ui.messages.size(), 2u);
  EXPECT_TRUE(processes.runs.empty());
  CompileChm(ctx);
  EXPECT_EQ(ui.messages.back().content, "ok");
  processes.runs.clear();
  OnOpenBookClicked(ctx);
  OnOpenFolderClicked(ctx);
  ASSERT_EQ(processes.runs.size(), 2u);
  EXPECT_EQ(processes.runs[0].command_line, "xdg-open \"/books/MyBook/MyBook.chm\"");
  EXPECT_EQ(processes.runs[1].command_line, "xdg-open \"/books/MyBook\"");
  EXPECT_FALSE(processes.runs[0].wait);
}

TEST_F(UnpackTest, TheUnpackedFolderOpensOnTheDesktop) {
  fs.AddFile("/books/plain.chm", "x");
  fs.AddDirectory("/books/plain");
  Unpack("/books/plain.chm");
  processes.runs.clear();
  OnOpenFolderClicked(ctx);
  OnOpenBookClicked(ctx);  // an unpack makes no book
  ASSERT_EQ(processes.runs.size(), 1u);
  EXPECT_EQ(processes.runs[0].command_line, "xdg-open \"/books/plain\"");
}

}  // namespace
}  // namespace qm

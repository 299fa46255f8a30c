// The file operations over both file systems: searches with wildcards,
// filters and NTFS order, attributes, reads and writes, renames that never
// replace, and safe writes.
#include "runtime/file_ops.h"

#include <gtest/gtest.h>

#include <functional>
#include <type_traits>

#include <errno.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "runtime/disks.h"
#include "runtime/encoding.h"
#include "runtime/temporary_files.h"

namespace qm {
namespace {

using Names = std::vector<Text>;

template <typename Disk>
class FileOps : public ::testing::Test {
 protected:
  Disk disk;
  FileSystem& fs() { return disk.fs; }
  Text P(const Text& relative) { return disk.Path(relative); }
  Text Read(const Text& relative) { return ReadAll(fs(), P(relative)); }
};

using Disks = ::testing::Types<RealDisk, VirtualDisk>;
TYPED_TEST_SUITE(FileOps, Disks);

TYPED_TEST(FileOps, SearchWithoutFilterGivesFilesOnlyInNtfsOrder) {
  auto& d = this->disk;
  for (const char* name : {"zeta", "[x]", "beta", "Alpha", "_u.txt"}) d.File(name);
  d.File(Gbk("啊.txt"));  // U+554A, but 0xB0A1 in GBK
  d.File(Gbk("中.txt"));  // U+4E2D, but 0xD6D0 in GBK
  d.File(Gbk("Ｂ"));      // full-width and Greek letters sort by their upper case
  d.File(Gbk("ａ2"));
  d.File(Gbk("Ａ1"));
  d.File(Gbk("Γ"));
  d.File(Gbk("β"));
  d.Folder("sub");
  d.Folder("dir.txt");
  EXPECT_EQ(FindFiles(this->fs(), this->P("*.*")),
            (Names{"Alpha", "beta", "zeta", "[x]", "_u.txt", Gbk("β"), Gbk("Γ"), Gbk("中.txt"), Gbk("啊.txt"),
                   Gbk("Ａ1"), Gbk("ａ2"), Gbk("Ｂ")}));
  EXPECT_EQ(FindFiles(this->fs(), this->P("*.txt")), (Names{"_u.txt", Gbk("中.txt"), Gbk("啊.txt")}));
  // The same folder always gives the same order.
  EXPECT_EQ(FindFiles(this->fs(), this->P("*")), FindFiles(this->fs(), this->P("*")));
}

TYPED_TEST(FileOps, FilterSixteenGivesFoldersWithDotAndDotDot) {
  auto& d = this->disk;
  d.File("a.txt");
  d.File(".hidden");
  d.Folder("B");
  d.Folder("a");
  d.Folder(".git");
  EXPECT_EQ(FindFiles(this->fs(), this->P("*.*"), 16), (Names{".", "..", ".git", "a", "B"}));
  EXPECT_EQ(FindFiles(this->fs(), this->P("*"), 16), (Names{".", "..", ".git", "a", "B"}));
}

TYPED_TEST(FileOps, FilterThirtyNineGivesFilesAndHiddenEntries) {
  auto& d = this->disk;
  d.File("a.txt");
  d.File(".hidden");
  d.File("ro.txt");
  d.ReadOnly("ro.txt");
  d.Folder("plain");
  d.Folder(".git");
  EXPECT_EQ(FindFiles(this->fs(), this->P("*.*"), 39), (Names{".git", ".hidden", "a.txt", "ro.txt"}));
}

TYPED_TEST(FileOps, APatternMatchingOnlyFoldersFindsNothing) {
  auto& d = this->disk;
  d.Folder("sub1");
  d.Folder("sub2");
  d.File("other");
  EXPECT_EQ(FindFiles(this->fs(), this->P("sub*")), Names{});
  EXPECT_EQ(FindFiles(this->fs(), this->P("sub1")), Names{});
  EXPECT_EQ(FindFiles(this->fs(), this->P("sub1"), 16), Names{"sub1"});
  EXPECT_EQ(FindFiles(this->fs(), this->P("missing/*.*")), Names{});
  EXPECT_EQ(FindFiles(this->fs(), this->P("missing.txt")), Names{});
  EXPECT_EQ(FindFiles(this->fs(), this->P("other")), Names{"other"});
}

TYPED_TEST(FileOps, ThreeCharacterExtensionsFindLongerOnes) {
  auto& d = this->disk;
  d.File("a.htm");
  d.File("b.HTML");
  d.File("c.ht");
  d.File("d.txt1");
  EXPECT_EQ(FindFiles(this->fs(), this->P("*.htm")), (Names{"a.htm", "b.HTML"}));
  EXPECT_EQ(FindFiles(this->fs(), this->P("*.TXT")), (Names{"d.txt1"}));
}

TYPED_TEST(FileOps, FileExistsFindsFilesFoldersAndPatterns) {
  auto& d = this->disk;
  d.File("a.html");
  d.Folder("sub");
  EXPECT_TRUE(FileExists(this->fs(), this->P("a.html")));
  EXPECT_TRUE(FileExists(this->fs(), this->P("sub")));
  EXPECT_TRUE(FileExists(this->fs(), this->P("*.htm")));
  EXPECT_FALSE(FileExists(this->fs(), this->P("*.txt")));
  EXPECT_FALSE(FileExists(this->fs(), this->P("b.html")));
}

TYPED_TEST(FileOps, AttributesMapTheEntryKind) {
  auto& d = this->disk;
  d.File("a.txt");
  d.File(".hidden");
  d.File("ro.txt");
  d.ReadOnly("ro.txt");
  d.Folder("sub");
  d.Folder(".hdir");
  FileSystem& fs = this->fs();
  EXPECT_EQ(fs.Attributes(this->P("a.txt")), kArchive);
  EXPECT_EQ(fs.Attributes(this->P(".hidden")), kArchive | kHidden);
  EXPECT_EQ(fs.Attributes(this->P("ro.txt")), kArchive | kReadOnly);
  EXPECT_EQ(fs.Attributes(this->P("sub")), kDirectory);
  EXPECT_EQ(fs.Attributes(this->P(".hdir")), kDirectory | kHidden);
  EXPECT_EQ(fs.Attributes(this->P("missing")), -1);
  EXPECT_EQ(fs.Attributes(""), -1);
  // A missing path passes a test of the directory bit.
  EXPECT_NE(fs.Attributes(this->P("missing")) & 16, 0);
  std::vector<DirectoryEntry> entries = FindEntries(fs, this->P("*.*"), 0x37);
  ASSERT_EQ(entries.size(), 7u);
  EXPECT_EQ(entries[0].name, ".");
  EXPECT_EQ(entries[0].attributes, kDirectory);  // "." and ".." are not hidden
  EXPECT_EQ(entries[1].attributes, kDirectory);
}

TYPED_TEST(FileOps, ReadGivesTheWholeFileOrEmpty) {
  auto& d = this->disk;
  std::string data("a\0b\xFF", 4);
  d.File("data.bin", data);
  d.Folder("sub");
  EXPECT_EQ(this->Read("data.bin"), data);
  EXPECT_TRUE(ReadAll(this->fs(), this->P("missing")).empty());
  EXPECT_TRUE(ReadAll(this->fs(), this->P("sub")).empty());
  EXPECT_TRUE(ReadAll(this->fs(), "").empty());
}

TYPED_TEST(FileOps, WriteCreatesAndTruncates) {
  FileSystem& fs = this->fs();
  EXPECT_TRUE(WriteToFile(fs, this->P("a.txt"), "long contents"));
  EXPECT_TRUE(WriteToFile(fs, this->P("a.txt"), "short"));
  EXPECT_EQ(this->Read("a.txt"), "short");
  EXPECT_TRUE(WriteToFile(fs, this->P("empty"), ""));
  EXPECT_EQ(fs.Attributes(this->P("empty")), kArchive);
  EXPECT_FALSE(WriteToFile(fs, "", "x"));
  EXPECT_FALSE(WriteToFile(fs, this->P("missing/a.txt"), "x"));
  this->disk.Folder("sub");
  EXPECT_FALSE(WriteToFile(fs, this->P("sub"), "x"));
}

TYPED_TEST(FileOps, RenameNeverReplaces) {
  auto& d = this->disk;
  d.File("old.txt", "old");
  d.File("taken.txt", "taken");
  d.Folder("dir");
  d.Folder("other");
  FileSystem& fs = this->fs();
  EXPECT_FALSE(fs.Rename(this->P("old.txt"), this->P("taken.txt")));
  EXPECT_EQ(this->Read("old.txt"), "old");
  EXPECT_EQ(this->Read("taken.txt"), "taken");
  EXPECT_FALSE(fs.Rename(this->P("old.txt"), this->P("dir")));
  EXPECT_FALSE(fs.Rename(this->P("dir"), this->P("other")));
  EXPECT_FALSE(fs.Rename(this->P("old.txt"), this->P("old.txt")));
  EXPECT_FALSE(fs.Rename(this->P("missing"), this->P("new")));
  EXPECT_EQ(this->Read("old.txt"), "old");
}

TYPED_TEST(FileOps, RenameMovesFilesAndFoldersAcrossFolders) {
  auto& d = this->disk;
  d.Folder("a");
  d.Folder("b");
  d.File("a/page.htm", "page");
  d.Folder("a/inner");
  d.File("a/inner/x.txt", "x");
  FileSystem& fs = this->fs();
  EXPECT_TRUE(fs.Rename(this->P("a/page.htm"), this->P(Gbk("b/第一页.htm"))));
  EXPECT_EQ(this->Read(Gbk("b/第一页.htm")), "page");
  EXPECT_EQ(fs.Attributes(this->P("a/page.htm")), -1);
  EXPECT_TRUE(fs.Rename(this->P("a/inner"), this->P("b/moved")));
  EXPECT_EQ(this->Read("b/moved/x.txt"), "x");
  EXPECT_EQ(FindFiles(fs, this->P("a/*"), 16), (Names{".", ".."}));
  // A folder cannot move into itself.
  EXPECT_FALSE(fs.Rename(this->P("b"), this->P("b/moved/b")));
  EXPECT_EQ(this->Read("b/moved/x.txt"), "x");
}

TYPED_TEST(FileOps, CreateDirectoryMakesOneLevel) {
  FileSystem& fs = this->fs();
  EXPECT_TRUE(fs.CreateDirectory(this->P("new")));
  EXPECT_FALSE(fs.CreateDirectory(this->P("new")));
  EXPECT_FALSE(fs.CreateDirectory(this->P("x/y")));
  EXPECT_EQ(fs.Attributes(this->P("new")), kDirectory);
}

TYPED_TEST(FileOps, DeleteRemovesFilesOnly) {
  auto& d = this->disk;
  d.File("a.txt");
  d.Folder("sub");
  FileSystem& fs = this->fs();
  EXPECT_TRUE(fs.Delete(this->P("a.txt")));
  EXPECT_FALSE(fs.Delete(this->P("a.txt")));
  EXPECT_FALSE(fs.Delete(this->P("sub")));
  EXPECT_EQ(fs.Attributes(this->P("sub")), kDirectory);
}

TYPED_TEST(FileOps, RelativePathsFollowTheCurrentDirectory) {
  auto& d = this->disk;
  d.Folder("sub");
  d.File("sub/a.txt", "a");
  FileSystem& fs = this->fs();
  ASSERT_TRUE(fs.ChangeDirectory(this->P("sub")));
  EXPECT_EQ(fs.CurrentDirectory(), this->P("sub"));
  EXPECT_EQ(FindFiles(fs, "*.txt"), Names{"a.txt"});
  EXPECT_EQ(ReadAll(fs, "a.txt"), "a");
  EXPECT_EQ(ReadAll(fs, "../sub/a.txt"), "a");
  EXPECT_FALSE(fs.ChangeDirectory(this->P("missing")));
  EXPECT_EQ(fs.CurrentDirectory(), this->P("sub"));
}

TYPED_TEST(FileOps, WriteFileSafelyReplacesAndLeavesNoTemporaryFile) {
  auto& d = this->disk;
  d.File("page.htm", "old");
  FileSystem& fs = this->fs();
  EXPECT_TRUE(WriteFileSafely(fs, this->P("page.htm"), "new"));
  EXPECT_TRUE(WriteFileSafely(fs, this->P("fresh.htm"), "fresh"));
  EXPECT_EQ(this->Read("page.htm"), "new");
  EXPECT_EQ(this->Read("fresh.htm"), "fresh");
  EXPECT_EQ(FindFiles(fs, this->P("*"), 0x37), (Names{".", "..", "fresh.htm", "page.htm"}));
  EXPECT_FALSE(WriteFileSafely(fs, this->P("missing/page.htm"), "x"));
  EXPECT_FALSE(WriteFileSafely(fs, "", "x"));
  // A file placed whole gives its own stamp as written; one not placed
  // gives none.
  EXPECT_TRUE(CreateFileSafely(fs, this->P("made.htm"), "x"));
  if (fs.LastPlacedStamp().inode != 0) {
    EXPECT_TRUE(FileSystem::AsWritten(fs.Stamp(this->P("made.htm")), fs.LastPlacedStamp()));
  }
  EXPECT_FALSE(CreateFileSafely(fs, this->P("made.htm"), "y"));
  EXPECT_EQ(fs.LastPlacedStamp().inode, 0u);
}

// A file written in pieces and read back in pieces of every awkward size
// equals the whole; an abandoned or refused writer leaves the old file and
// no temporary file.
TYPED_TEST(FileOps, PiecesWrittenSafelyAndReadBackMakeTheWhole) {
  auto& d = this->disk;
  d.File("page.htm", "old");
  FileSystem& fs = this->fs();
  std::string whole;
  for (int i = 0; whole.size() < 3'300'000; ++i) whole += std::to_string(i) + (i % 7 ? " " : "\r\n");
  {
    SafeFileWriter abandoned(fs, this->P("page.htm"));
    EXPECT_TRUE(abandoned.Add(whole));
  }
  EXPECT_EQ(this->Read("page.htm"), "old");
  SafeFileWriter writer(fs, this->P("page.htm"));
  for (std::size_t at = 0, piece = 1; at < whole.size(); at += piece, piece = piece * 3 + 1) {
    ASSERT_TRUE(writer.Add(std::string_view(whole).substr(at, piece)));
  }
  ASSERT_TRUE(writer.Commit());
  EXPECT_FALSE(writer.Commit());
  for (std::size_t piece : {std::size_t{1} << 20, std::size_t{999'983}, whole.size() + 5}) {
    std::string back, part;
    while (fs.ReadPart(this->P("page.htm"), back.size(), piece, &part) && !part.empty()) back += part;
    EXPECT_EQ(back, whole) << piece;
  }
  std::string none;
  EXPECT_FALSE(fs.ReadPart(this->P("missing.htm"), 0, 10, &none));
  d.Folder("dir.htm");
  EXPECT_FALSE(SafeFileWriter(fs, this->P("dir.htm")).Add("x"));
  EXPECT_FALSE(fs.Append(this->P("missing.htm"), "x"));
  EXPECT_EQ(FindFiles(fs, this->P("*"), 0x37), (Names{".", "..", "dir.htm", "page.htm"}));
}

// A temporary file of a process that is gone (killed while it wrote) is
// removed by the next run, one of a live process is not; a program ended by
// SIGTERM while it writes a large file in pieces removes its own.
TEST(TemporaryFiles, StaleOnesAreRemovedAndSigtermRemovesItsOwn) {
  RealDisk d;
  RealFileSystem& fs = d.fs;
  pid_t dead = ::fork();
  if (dead == 0) ::_exit(0);
  ::waitpid(dead, nullptr, 0);
  const Text gone = ".~a.htm." + ToText(static_cast<long long>(dead)) + "-0123abcd";
  const Text stale = gone + TemporaryNameMark() + ".quillmere-tmp";
  const Text live = TemporaryName("b.htm");
  // The same dead id, but from another machine or container sharing the
  // folder, or from an earlier version, or a user's own name: kept.
  const Text elsewhere = gone + ".@0badf00d.quillmere-tmp", unmarked = gone + ".quillmere-tmp";
  ASSERT_TRUE(IsTemporaryName(stale) && IsTemporaryName(live) && IsTemporaryName(elsewhere) &&
              IsTemporaryName(unmarked) && !IsTemporaryName("notes.quillmere-tmp"));
  for (const Text& name : {stale, live, elsewhere, unmarked, Text("notes.quillmere-tmp")}) fs.Write(d.Path(name), "x");
  EXPECT_EQ(RemoveStaleTemporaryFiles(fs, d.Root()), 1);
  const Names kept = {".", "..", elsewhere, unmarked, live, "notes.quillmere-tmp"};
  EXPECT_EQ(FindFiles(fs, d.Path("*"), 0x37), kept);

  pid_t writer = ::fork();
  if (writer == 0) {
    SafeFileWriter big(fs, d.Path("big.htm"));
    big.Add(std::string(3 << 20, 'x'));
    ::raise(SIGTERM);
    ::_exit(0);
  }
  int status = 0;
  ::waitpid(writer, &status, 0);
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM);
  EXPECT_EQ(FindFiles(fs, d.Path("*"), 0x37), kept);
}

}  // namespace
}  // namespace qm

namespace qm {
namespace {

// Every failed call says why: for each kind of failure both file systems
// can meet, each call that meets it fails, LastError names its errno code
// and a message built from it ends with that reason in Chinese.
TYPED_TEST(FileOps, EveryFailureNamesItsReason) {
  this->disk.File("taken.txt");
  this->disk.File("locked.txt");
  this->disk.ReadOnly("locked.txt");
  this->disk.Folder("sub");
  FileSystem& fs = this->fs();
  std::string out;
  const struct {
    const char* what;
    std::function<bool()> call;
    int code;
  } cases[] = {
      {"read missing", [&] { return fs.Read(this->P("none.txt"), &out); }, ENOENT},
      {"read folder", [&] { return fs.Read(this->P("sub"), &out); }, EISDIR},
      {"write in missing folder", [&] { return fs.Write(this->P("none/a.txt"), "x"); }, ENOENT},
      {"write read-only", [&] { return fs.Write(this->P("locked.txt"), "x"); }, EACCES},
      {"append missing", [&] { return fs.Append(this->P("none.txt"), "x"); }, ENOENT},
      {"safe write onto folder", [&] { return WriteFileSafely(fs, this->P("sub"), "x"); }, EISDIR},
      {"safe write read-only", [&] { return WriteFileSafely(fs, this->P("locked.txt"), "x"); }, EACCES},
      {"safe create onto file", [&] { return CreateFileSafely(fs, this->P("taken.txt"), "x"); }, EEXIST},
      {"rename onto file", [&] { return fs.Rename(this->P("locked.txt"), this->P("taken.txt")); }, EEXIST},
      {"rename missing", [&] { return fs.Rename(this->P("none.txt"), this->P("new.txt")); }, ENOENT},
      {"delete read-only", [&] { return fs.Delete(this->P("locked.txt")); }, EACCES},
      {"delete missing", [&] { return fs.Delete(this->P("none.txt")); }, ENOENT},
      {"make existing folder", [&] { return fs.CreateDirectory(this->P("sub")); }, EEXIST},
  };
  for (const auto& c : cases) {
    fs.SetLastError({});
    EXPECT_FALSE(c.call()) << c.what;
    EXPECT_EQ(fs.LastError().code, c.code) << c.what;
    const Text reason = FileErrorText(c.code);
    EXPECT_FALSE(reason.empty()) << c.what;
    EXPECT_TRUE(EndsWith(WithReason(Gbk("无法写入：") + c.what, fs.LastError()), Gbk("（") + reason + Gbk("）")))
        << c.what;
  }
  EXPECT_EQ(Utf8FromGbk(WithReason(Gbk("无法写入工程文件：x"), {ENOSPC})), "无法写入工程文件：x（磁盘已满）");
  EXPECT_EQ(WithReason(Gbk("无法读取"), {}), Gbk("无法读取"));
  if constexpr (!std::is_same_v<TypeParam, VirtualDisk>) return;
  // The in-memory disk's own faults: a full disk is ENOSPC, an injected
  // failure of any call EIO, and a safe write reports the write's reason,
  // not that of its clean-up.
  for (const char* call : {"read", "write", "append", "rename", "replace", "delete", "mkdir", "chdir"}) {
    VirtualFileSystem failing;
    failing.AddFile("/a.txt", "x");
    failing.AddDirectory("/d");
    failing.fail = [call](std::string_view c, const Text&) { return c == call; };
    std::string read_out;
    const std::string name(call);
    const bool ok = name == "read"      ? failing.Read("/a.txt", &read_out)
                    : name == "write"   ? failing.Write("/a.txt", "y")
                    : name == "append"  ? failing.Append("/a.txt", "y")
                    : name == "rename"  ? failing.Rename("/a.txt", "/b.txt")
                    : name == "replace" ? failing.ReplaceWith("/a.txt", "/b.txt")
                    : name == "delete"  ? failing.Delete("/a.txt")
                    : name == "mkdir"   ? failing.CreateDirectory("/e")
                                        : failing.ChangeDirectory("/d");
    EXPECT_FALSE(ok) << call;
    EXPECT_EQ(failing.LastError().code, EIO) << call;
  }
  VirtualFileSystem full;
  full.AddFile("/a.txt", "old");
  full.capacity = 4;
  EXPECT_FALSE(WriteFileSafely(full, "/a.txt", "much longer"));
  EXPECT_EQ(full.LastError().code, ENOSPC);
  EXPECT_EQ(Utf8FromGbk(full.LastError().Reason()), "磁盘已满");
}

}  // namespace
}  // namespace qm

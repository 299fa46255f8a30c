// The in-memory file system that operation tests run on: its failure hooks
// and the Windows-like refusals it adds to the common contract.
#include "support/virtual_file_system.h"

#include <gtest/gtest.h>

#include "runtime/file_ops.h"

namespace qm {
namespace {

class VirtualFileSystemTest : public ::testing::Test {
 protected:
  VirtualFileSystemTest() {
    fs.AddFile("/book/page.htm", "old");
    fs.AddFile("/book/sub/a.txt", "a");
  }
  VirtualFileSystem fs;
};

TEST_F(VirtualFileSystemTest, PathsAreNormalised) {
  EXPECT_EQ(fs.Absolute("/book/./sub/../page.htm"), "/book/page.htm");
  EXPECT_EQ(fs.Absolute("/.."), "/");
  ASSERT_TRUE(fs.ChangeDirectory("/book/sub"));
  EXPECT_EQ(fs.Absolute("a.txt"), "/book/sub/a.txt");
  EXPECT_EQ(fs.Absolute(".."), "/book");
  EXPECT_TRUE(fs.IsDirectory("/book"));
  EXPECT_EQ(fs.Files(), (std::map<Text, std::string>{{"/book/page.htm", "old"}, {"/book/sub/a.txt", "a"}}));
}

TEST_F(VirtualFileSystemTest, TheFailHookFailsOneCallWithoutEffectAndTheLogRecordsIt) {
  fs.fail = [](std::string_view call, const Text& path) { return call == "write" && path == "/book/page.htm"; };
  EXPECT_FALSE(fs.Write("/book/page.htm", "new"));
  EXPECT_EQ(fs.Contents("/book/page.htm"), "old");
  EXPECT_TRUE(fs.Write("/book/other.htm", "other"));
  EXPECT_EQ(fs.log, (std::vector<std::string>{"write /book/page.htm", "write /book/other.htm"}));
}

TEST_F(VirtualFileSystemTest, AFullDiskWritesWhatFitsAndFails) {
  fs.capacity = 6;  // "old" and "a" hold 4 bytes
  EXPECT_FALSE(fs.Write("/book/big.htm", "12345"));
  EXPECT_EQ(fs.Contents("/book/big.htm"), "12");
  // Truncating a file frees its bytes first.
  EXPECT_TRUE(fs.Write("/book/page.htm", "123"));
}

TEST_F(VirtualFileSystemTest, WriteFileSafelyKeepsTheOldFileOnEveryFailure) {
  for (std::string_view failing : {"write", "replace"}) {
    VirtualFileSystem disk;
    disk.AddFile("/book/page.htm", "old");
    disk.fail = [failing](std::string_view call, const Text&) { return call == failing; };
    EXPECT_FALSE(WriteFileSafely(disk, "/book/page.htm", "new")) << failing;
    EXPECT_EQ(disk.Files(), (std::map<Text, std::string>{{"/book/page.htm", "old"}})) << failing;
  }
  VirtualFileSystem full;
  full.AddFile("/book/page.htm", "old");
  full.capacity = 5;
  EXPECT_FALSE(WriteFileSafely(full, "/book/page.htm", "longer"));
  EXPECT_EQ(full.Files(), (std::map<Text, std::string>{{"/book/page.htm", "old"}}));
}

TEST_F(VirtualFileSystemTest, ReadOnlyAndUnreadableEntriesRefuse) {
  fs.SetReadOnly("/book/page.htm");
  EXPECT_FALSE(fs.Write("/book/page.htm", "x"));
  EXPECT_FALSE(fs.Delete("/book/page.htm"));
  EXPECT_FALSE(fs.Rename("/book/page.htm", "/book/p.htm"));
  EXPECT_EQ(fs.Attributes("/book/page.htm"), kArchive | kReadOnly);
  fs.SetReadOnly("/book/sub");
  EXPECT_FALSE(fs.Write("/book/sub/new.txt", "x"));
  EXPECT_FALSE(fs.CreateDirectory("/book/sub/new"));
  EXPECT_FALSE(fs.Delete("/book/sub/a.txt"));
  fs.SetUnreadable("/book/sub/a.txt");
  std::string out;
  fs.Read("/book/sub/a.txt", &out);
  EXPECT_TRUE(out.empty());
  fs.SetUnreadable("/book/sub");
  EXPECT_TRUE(fs.List("/book/sub").empty());
  EXPECT_FALSE(fs.ChangeDirectory("/book/sub"));
}

TEST_F(VirtualFileSystemTest, ModifiedTimeGrowsWithEveryWrite) {
  long long before = fs.ModifiedTime("/book/page.htm");
  ASSERT_TRUE(fs.Write("/book/page.htm", "new"));
  EXPECT_GT(fs.ModifiedTime("/book/page.htm"), before);
  EXPECT_EQ(fs.ModifiedTime("/book/missing"), -1);
  FileId a, b;
  ASSERT_TRUE(fs.Identify("/book/sub", &a));
  ASSERT_TRUE(fs.Rename("/book/sub", "/book/moved"));
  ASSERT_TRUE(fs.Identify("/book/moved", &b));
  EXPECT_EQ(a, b);
}

}  // namespace
}  // namespace qm

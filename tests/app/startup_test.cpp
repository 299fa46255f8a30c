#include "app/startup.h"

#include <gtest/gtest.h>

#include "app/scoped_env.h"
#include "runtime/encoding.h"
#include "support/operation_fixture.h"

namespace qm {
namespace {

TEST(DateTextTest, JoinsYearMonthDayWithoutLeadingZeros) {
  EXPECT_EQ(DateText({2014, 1, 5}), "2014-1-5");
  EXPECT_EQ(DateText({2014, 12, 15}), "2014-12-15");
  EXPECT_EQ(DateText({2000, 10, 1}), "2000-10-1");
}

TEST(DateTextTest, TodayFollowsTheClock) {
  DateTime now = Now();
  Text today = TodayDateText();
  // Around midnight the two readings may straddle the day change.
  if (DateText(Now()) == DateText(now)) {
    EXPECT_EQ(today, DateText(now));
  }
}

class SpecialFolderTest : public ::testing::Test {
 protected:
  ScopedEnv env;
};

TEST_F(SpecialFolderTest, WindowsAndSystemDirectoryFromWindir) {
  env.Set("windir", "/srv/win");
  EXPECT_EQ(SpecialFolderPath(9), "/srv/win");
  EXPECT_EQ(SpecialFolderPath(10), "/srv/win/system32");
  env.Set("windir", "/srv/win/");
  EXPECT_EQ(SpecialFolderPath(10), "/srv/win/system32");
}

TEST_F(SpecialFolderTest, WithoutWindirTheUsersDataFolderNeverTheRoot) {
  env.Unset("windir");
  env.Set("XDG_DATA_HOME", "/home/u/data");
  EXPECT_EQ(SpecialFolderPath(9), "/home/u/data/quillmere");
  EXPECT_EQ(SpecialFolderPath(10), "/home/u/data/quillmere/system32");
  env.Unset("XDG_DATA_HOME");
  env.Set("HOME", "/home/u");
  EXPECT_EQ(SpecialFolderPath(10), "/home/u/.local/share/quillmere/system32");
  env.Unset("HOME");
  EXPECT_NE(SpecialFolderPath(10).rfind("/system32", 0), 0u);
}

TEST_F(SpecialFolderTest, TemporaryDirectoryFallsBackInOrder) {
  env.Set("TEMP", "/t1");
  env.Set("TMPDIR", "/t2");
  EXPECT_EQ(SpecialFolderPath(11), "/t1");
  env.Unset("TEMP");
  EXPECT_EQ(SpecialFolderPath(11), "/t2");
  env.Unset("TMPDIR");
  EXPECT_EQ(SpecialFolderPath(11), "/tmp");
}

TEST_F(SpecialFolderTest, ShellFoldersComeFromTheUserDirectories) {
  env.Set("XDG_DESKTOP_DIR", "/home/u/Schreibtisch/");
  env.Set("XDG_DOCUMENTS_DIR", "/home/u/文档");
  EXPECT_EQ(SpecialFolderPath(3), "/home/u/Schreibtisch");
  EXPECT_EQ(SpecialFolderPath(1), Gbk("/home/u/文档"));
  for (int code : {2, 4, 5, 6, 7, 8, 12, 13, 14}) EXPECT_FALSE(SpecialFolderPath(code).empty()) << code;
  for (int code : {0, 15, -1}) EXPECT_EQ(SpecialFolderPath(code), "") << code;
}

// Working files go to the system directory of a virtual disk.
class InstallTest : public ::testing::Test {
 protected:
  void SetUp() override { env.Set("windir", "/win"); }
  ScopedEnv env;
  MemoryFixture f;
  ByteSet dll = ByteSet("DLL bytes");
  ByteSet exe = ByteSet("EXE bytes");
};

TEST_F(InstallTest, NonePresentCreatesTheFolderChainAndWritesBoth) {
  EXPECT_TRUE(InstallWorkingFile(f.fs, "hha.dll", dll));
  EXPECT_TRUE(InstallWorkingFile(f.fs, "hhc.exe", exe));
  EXPECT_TRUE(f.fs.IsDirectory("/win/system32"));
  EXPECT_EQ(f.fs.Contents("/win/system32/hha.dll"), "DLL bytes");
  EXPECT_EQ(f.fs.Contents("/win/system32/hhc.exe"), "EXE bytes");
  EXPECT_EQ(f.fs.Files().size(), 2u);  // no temporary file left
}

TEST_F(InstallTest, PresentFilesAreNeverReplaced) {
  f.fs.AddFile("/win/system32/hhc.exe", "old version");
  EXPECT_FALSE(InstallWorkingFile(f.fs, "hhc.exe", exe));
  EXPECT_TRUE(InstallWorkingFile(f.fs, "hha.dll", dll));
  EXPECT_EQ(f.fs.Contents("/win/system32/hhc.exe"), "old version");
  EXPECT_EQ(f.fs.Contents("/win/system32/hha.dll"), "DLL bytes");

  f.fs.log.clear();
  EXPECT_FALSE(InstallWorkingFile(f.fs, "hha.dll", ByteSet("newer")));
  EXPECT_EQ(f.fs.Contents("/win/system32/hha.dll"), "DLL bytes");
  for (const std::string& call : f.fs.log) EXPECT_EQ(call.rfind("write", 0), std::string::npos) << call;
}

TEST_F(InstallTest, OnlyTheDllPresentWritesOnlyTheFront) {
  f.fs.AddFile("/win/system32/hha.dll", "x");
  EXPECT_FALSE(InstallWorkingFile(f.fs, "hha.dll", dll));
  EXPECT_TRUE(InstallWorkingFile(f.fs, "hhc.exe", exe));
  EXPECT_EQ(f.fs.Contents("/win/system32/hha.dll"), "x");
}

TEST_F(InstallTest, AFolderOfThatNameCountsAsPresent) {
  f.fs.AddDirectory("/win/system32/hhc.exe");
  EXPECT_FALSE(InstallWorkingFile(f.fs, "hhc.exe", exe));
  EXPECT_TRUE(f.fs.IsDirectory("/win/system32/hhc.exe"));
}

TEST_F(InstallTest, ExistenceIsTestedByExactPathNotByPattern) {
  env.Set("windir", "/w?n");
  f.fs.AddFile("/win/system32/hhc.exe", "other folder");
  EXPECT_TRUE(InstallWorkingFile(f.fs, "hhc.exe", exe));
  EXPECT_EQ(f.fs.Contents("/w?n/system32/hhc.exe"), "EXE bytes");
}

TEST_F(InstallTest, UnwritableSystemDirectoryFailsQuietly) {
  f.fs.AddDirectory("/win/system32");
  f.fs.SetReadOnly("/win/system32");
  EXPECT_FALSE(InstallWorkingFile(f.fs, "hhc.exe", exe));
  EXPECT_FALSE(f.fs.Exists("/win/system32/hhc.exe"));
}

TEST_F(InstallTest, AFullDiskLeavesNoTruncatedFileBehind) {
  f.fs.capacity = 4;
  EXPECT_FALSE(InstallWorkingFile(f.fs, "hhc.exe", exe));
  EXPECT_TRUE(f.fs.Files().empty());
  // A later run with room installs it.
  f.fs.capacity = -1;
  EXPECT_TRUE(InstallWorkingFile(f.fs, "hhc.exe", exe));
  EXPECT_EQ(f.fs.Contents("/win/system32/hhc.exe"), "EXE bytes");
}

TEST_F(InstallTest, LoadWorkingFilesLeavesMissingOnesOut) {
  f.fs.AddFile("/prog/hhc.exe", "front");
  WorkingFiles files = LoadWorkingFiles(f.fs, "/prog");
  ASSERT_TRUE(files.hhc_exe);
  EXPECT_EQ(files.hhc_exe->bytes, "front");
  EXPECT_FALSE(files.hha_dll);
}

struct RecordingRegistrar : DropRegistrar {
  void RegisterDropArea(std::string_view target, std::string_view control) override {
    calls.push_back(std::string(target) + " " + std::string(control));
  }
  std::vector<std::string> calls;
};

TEST_F(InstallTest, CreatedEventRegistersDropsSetsTheDateThenInstallsDllBeforeFront) {
  RecordingRegistrar drops;
  WorkingFiles files{dll, exe};
  OnMainWindowCreated(f.ctx, drops, files);
  EXPECT_EQ(drops.calls, (std::vector<std::string>{"拖放对象1 选择夹1", "拖放对象2 编辑框1"}));
  EXPECT_EQ(f.state.DateText, TodayDateText());
  std::vector<std::string> writes;
  for (const std::string& call : f.fs.log) {
    if (call.rfind("rename ", 0) == 0) writes.push_back(call);
  }
  ASSERT_EQ(writes.size(), 2u);
  EXPECT_NE(writes[0].find("hha.dll"), std::string::npos);
  EXPECT_NE(writes[1].find("hhc.exe"), std::string::npos);
  EXPECT_TRUE(f.ui.messages.empty());
}

TEST_F(InstallTest, CreatedEventSkipsAWorkingFileTheProgramDoesNotCarry) {
  RecordingRegistrar drops;
  WorkingFiles files;
  files.hhc_exe = exe;
  static std::vector<Text> installed;
  installed.clear();
  OnMainWindowCreated(f.ctx, drops, files, [](const Text& path) { installed.push_back(path); });
  EXPECT_FALSE(f.fs.Exists("/win/system32/hha.dll"));
  EXPECT_EQ(installed, (std::vector<Text>{"/win/system32/hhc.exe"}));
}

}  // namespace
}  // namespace qm

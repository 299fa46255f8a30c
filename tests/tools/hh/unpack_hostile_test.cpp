// hh.exe on books whose names try to write outside the target folder.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "chm_writer.h"
#include "entry_name.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;
using hhtest::StoredEntry;

TEST(HhUnpackHostile, NamesLeavingTheFolderAreRefusedAndNothingIsWrittenOutside) {
  hhtest::ScratchDir dir;
  const std::vector<StoredEntry> entries = {
      {"/../evil.htm", "x"},     {"/sub/../../evil2.htm", "x"},
      {"//evil3.htm", "x"},      {"/..\\evil4.htm", "x"},
      {"/C:/evil5.htm", "x"},    {"/good.htm", "good"},
      {"/sub/fine.htm", "fine"}, {"/../\x1b]0;owned\x07\n.htm", "x"},
  };
  hhtest::writeBytes(dir / "book.chm", hhtest::buildChm(entries));

  auto run = hhtest::runHh({"-decompile", (dir / "out").string(), (dir / "book.chm").string()});
  ASSERT_TRUE(run.exited);
  EXPECT_NE(run.exitCode, 0);
  for (const char* name : {"/../evil.htm", "/sub/../../evil2.htm", "//evil3.htm", "/..\\evil4.htm", "/C:/evil5.htm",
                           "/../\x1b]0;owned\x07\n.htm"})
    EXPECT_NE(run.errors.find("refused entry \"" + hh::PrintableName(name) + "\""), std::string::npos) << name;
  // Stored names reach the terminal escaped: no escape sequence, no extra line.
  EXPECT_EQ(run.errors.find('\x1b'), std::string::npos);
  EXPECT_NE(run.errors.find("\\x1B]0;owned\\x07\\x0A.htm"), std::string::npos) << run.errors;
  EXPECT_EQ(hhtest::listFiles(dir.path()), (std::vector<std::string>{"book.chm", "out/good.htm", "out/sub/fine.htm"}));
  EXPECT_FALSE(fs::exists("/evil3.htm"));
}

TEST(HhUnpackHostile, FolderLinkLeadingOutsideIsNotWrittenThrough) {
  hhtest::ScratchDir dir;
  fs::create_directories(dir / "out");
  fs::create_directories(dir / "outside");
  fs::create_directory_symlink(dir / "outside", dir / "out/link");
  fs::create_directory_symlink("../outside", dir / "out/rel");
  hhtest::writeBytes(dir / "book.chm",
                     hhtest::buildChm({{"/link/x.htm", "x"}, {"/rel/deeper/y.htm", "y"}, {"/ok.htm", "ok"}}));

  auto run = hhtest::runHh({"-decompile", (dir / "out").string(), (dir / "book.chm").string()});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.errors.find("refused entry \"/link/x.htm\""), std::string::npos) << run.errors;
  EXPECT_NE(run.errors.find("refused entry \"/rel/deeper/y.htm\""), std::string::npos) << run.errors;
  EXPECT_TRUE(fs::is_empty(dir / "outside"));
  EXPECT_EQ(hhtest::readBytes(dir / "out/ok.htm"), "ok");

  // The output folder itself being a link (swapped in after the window
  // looked, say) unpacks nothing.
  fs::create_directory_symlink(dir / "outside", dir / "out2");
  auto through = hhtest::runHh({"-decompile", (dir / "out2").string() + "/", (dir / "book.chm").string()});
  EXPECT_EQ(through.exitCode, 1);
  EXPECT_NE(through.errors.find("is a symbolic link; nothing was unpacked"), std::string::npos) << through.errors;
  EXPECT_TRUE(fs::is_empty(dir / "outside"));
}

// A folder link that stays inside is followed. A link (never followed) or a
// FIFO at a file's name is the user's and stays, like a file of other
// bytes: the book's file goes beside it and is named. A folder in the way
// fails that entry alone.
TEST(HhUnpackHostile, LinksInsideTheFolderAreFollowedAndFileLinksAndFifosAreKept) {
  hhtest::ScratchDir dir;
  fs::create_directories(dir / "out/real");
  fs::create_directories(dir / "out/dir.htm");
  fs::create_directory_symlink("real", dir / "out/alias");
  fs::create_directories(dir / "outside");
  hhtest::writeBytes(dir / "outside/target.txt", "precious");
  fs::create_symlink(dir / "outside/target.txt", dir / "out/page.htm");
  ASSERT_EQ(::mkfifo((dir / "out/fifo.htm").c_str(), 0644), 0);
  hhtest::writeBytes(
      dir / "book.chm",
      hhtest::buildChm(
          {{"/alias/x.htm", "x"}, {"/page.htm", "new"}, {"/fifo.htm", "f"}, {"/dir.htm", "d"}, {"/ok.htm", "ok"}}));

  auto run = hhtest::runHh({"-decompile", (dir / "out").string(), (dir / "book.chm").string()});
  EXPECT_EQ(run.exitCode, 1) << run.errors;
  EXPECT_NE(run.errors.find("cannot unpack \"/dir.htm\": a folder named dir.htm is in the way"), std::string::npos)
      << run.errors;
  EXPECT_NE(run.errors.find("kept \"page.htm\""), std::string::npos) << run.errors;
  EXPECT_NE(run.errors.find("kept \"fifo.htm\""), std::string::npos) << run.errors;
  EXPECT_EQ(hhtest::readBytes(dir / "out/real/x.htm"), "x");
  EXPECT_EQ(hhtest::readBytes(dir / "out/ok.htm"), "ok");
  EXPECT_EQ(fs::read_symlink(dir / "out/page.htm"), dir / "outside/target.txt");
  EXPECT_EQ(fs::status(dir / "out/fifo.htm").type(), fs::file_type::fifo);
  EXPECT_EQ(hhtest::readBytes(dir / "out/page (book.chm).htm"), "new");
  EXPECT_EQ(hhtest::readBytes(dir / "out/fifo (book.chm).htm"), "f");
  EXPECT_EQ(hhtest::readBytes(dir / "outside/target.txt"), "precious");
}

// hhc.exe writes no book past 2 GiB of files: an entry said to lie past
// that is refused with a clear message, the others still unpacked.
TEST(HhUnpackHostile, EntriesPastTheBookLimitAreRefused) {
  hhtest::ScratchDir dir;
  hhtest::writeBytes(dir / "book.chm",
                     hhtest::buildChm({{"/ok.htm", "ok"}, {"/big.htm", "", 1, 0, std::uint64_t{3} << 30}}));
  auto run = hhtest::runHh({"-decompile", (dir / "out").string(), (dir / "book.chm").string()});
  EXPECT_NE(run.exitCode, 0);
  EXPECT_NE(run.errors.find("past the 2 GiB"), std::string::npos) << run.errors;
  EXPECT_EQ(hhtest::readBytes(dir / "out/ok.htm"), "ok");
}

}  // namespace

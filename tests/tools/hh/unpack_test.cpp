// hh.exe on sound books: every stored file comes out with its bytes.
#include <gtest/gtest.h>

#include "chm_writer.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;
using hhtest::StoredEntry;

std::string binaryData() {
  std::string s;
  for (int i = 0; i < 25600; ++i) s += static_cast<char>((i * 7 + i / 256) & 0xFF);
  return s;
}

const std::vector<StoredEntry> kBook = {
    {"/#SYSTEM", "system bookkeeping"},
    {"/index.htm", "<html>首页</html>"},
    {"/sub/deep/page.htm", "<p>deep</p>"},
    {"/图片/封面 1.jpg", binaryData()},
    {"/empty.txt", ""},
    {"/$WWKeywordLinks/Property", "kw"},
    {"::DataSpace/NameList", "names"},
};

TEST(HhUnpack, WritesEveryStoredFileWithItsBytesAndSkipsBookkeeping) {
  hhtest::ScratchDir dir;
  hhtest::writeBytes(dir / "book.chm", hhtest::buildChm(kBook));
  const fs::path out = dir / "nested/out/book";  // parents are missing too

  auto run = hhtest::runHh({"-decompile", out.string(), (dir / "book.chm").string()});
  ASSERT_TRUE(run.exited);
  EXPECT_EQ(run.exitCode, 0) << run.errors;
  EXPECT_EQ(hhtest::listFiles(out),
            (std::vector<std::string>{"empty.txt", "index.htm", "sub/deep/page.htm", "图片/封面 1.jpg"}));
  for (const auto& e : kBook) {
    if (e.name[0] == '/' && e.name[1] != '#' && e.name[1] != '$') {
      EXPECT_EQ(hhtest::readBytes(out / e.name.substr(1)), e.data) << e.name;
    }
  }
}

TEST(HhUnpack, ReplacesFilesOfTheSameNameAndLeavesOtherFilesAlone) {
  hhtest::ScratchDir dir;
  hhtest::writeBytes(dir / "book.chm", hhtest::buildChm(kBook));
  fs::create_directories(dir / "book");
  hhtest::writeBytes(dir / "book/index.htm", "old page");
  hhtest::writeBytes(dir / "book/notes.txt", "user's notes");

  auto run = hhtest::runHh({"-decompile", (dir / "book").string(), (dir / "book.chm").string()});
  EXPECT_EQ(run.exitCode, 0) << run.errors;
  EXPECT_EQ(hhtest::readBytes(dir / "book/index.htm"), "<html>首页</html>");
  EXPECT_EQ(hhtest::readBytes(dir / "book/notes.txt"), "user's notes");
}

TEST(HhUnpack, AcceptsTheWindowsFormWithUnquotedSpaces) {
  hhtest::ScratchDir dir;
  fs::create_directories(dir / "my books");
  hhtest::writeBytes(dir / "my books/big book.chm", hhtest::buildChm(kBook));
  const std::string base = (dir / "my").string();

  auto run = hhtest::runHh({"-DECOMPILE", base, "books/big", "book", base, "books/big", "book.chm"});
  EXPECT_EQ(run.exitCode, 0) << run.errors;
  EXPECT_EQ(hhtest::readBytes(dir / "my books/big book/index.htm"), "<html>首页</html>");
}

TEST(HhUnpack, ManyFilesAcrossSeveralDirectoryChunks) {
  std::vector<StoredEntry> entries;
  for (int i = 0; i < 600; ++i)
    entries.push_back({"/pages/chapter" + std::to_string(i % 7) + "/page" + std::to_string(i) + ".htm",
                       "page " + std::to_string(i)});
  hhtest::ScratchDir dir;
  hhtest::writeBytes(dir / "book.chm", hhtest::buildChm(entries));
  auto run = hhtest::runHh({"-decompile", (dir / "out").string(), (dir / "book.chm").string()});
  EXPECT_EQ(run.exitCode, 0) << run.errors;
  EXPECT_EQ(hhtest::listFiles(dir / "out").size(), entries.size());
  EXPECT_EQ(hhtest::readBytes(dir / "out/pages/chapter4/page599.htm"), "page 599");
}

// Compressed books from Free Pascal's chmcmd, when it is installed.
class HhUnpackCompressed : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!hhtest::haveChmcmd()) GTEST_SKIP() << "chmcmd not installed";
  }
};

TEST_F(HhUnpackCompressed, PagesOfARealCompressedBookComeOutIntact) {
  hhtest::ScratchDir dir;
  const fs::path src = dir / "src";
  fs::create_directories(src / "part two");
  std::vector<std::string> pages;
  unsigned seed = 12345;
  for (int i = 0; i < 40; ++i) {
    std::string name = (i % 3 == 0 ? "part two/p" : "p") + std::to_string(i) + ".htm";
    std::string body = "<html><body>";
    for (int k = 0; k < 3000; ++k) {  // part text, part noise: spans many LZX frames
      seed = seed * 1103515245 + 12345;
      body += k % 2 ? std::string("段落文字 ") : std::string(1, static_cast<char>('a' + (seed >> 16) % 26));
    }
    hhtest::writeBytes(src / name, body + "</body></html>");
    pages.push_back(name);
  }
  ASSERT_TRUE(hhtest::compileWithChmcmd(src, pages));

  auto run = hhtest::runHh({"-decompile", (dir / "out").string(), (src / "book.chm").string()});
  EXPECT_EQ(run.exitCode, 0) << run.errors;
  for (const auto& name : pages)
    EXPECT_EQ(hhtest::readBytes(dir / "out" / name), hhtest::readBytes(src / name)) << name;
}

}  // namespace

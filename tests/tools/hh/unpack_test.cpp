// hh.exe on sound books: every stored file comes out with its bytes.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <sstream>

#include "chm_unpacker.h"
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

// A file of the user's under a name the book uses is never replaced: the
// same bytes stay as they are, other bytes are kept and the book's version
// goes beside them under a name that tells where it came from (a second
// unpack finds it there and leaves it). Two entries of one name are both
// unpacked, the second under a changed name, and both are reported.
TEST(HhUnpack, KeepsFilesOfOtherBytesAndWritesTheBooksBesideThem) {
  hhtest::ScratchDir dir;
  std::vector<StoredEntry> entries = kBook;
  entries.push_back({"/index.htm", "second entry of the same name"});
  hhtest::writeBytes(dir / "book.chm", hhtest::buildChm(entries));
  fs::create_directories(dir / "book/sub/deep");
  hhtest::writeBytes(dir / "book/index.htm", "old page");
  hhtest::writeBytes(dir / "book/notes.txt", "user's notes");
  hhtest::writeBytes(dir / "book/sub/deep/page.htm", "<p>deep</p>");
  fs::permissions(dir / "book/sub/deep/page.htm", fs::perms::owner_read);  // the same bytes: left as it is

  for (int run_number = 0; run_number < 2; ++run_number) {
    auto run = hhtest::runHh({"-decompile", (dir / "book").string(), (dir / "book.chm").string()});
    EXPECT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_NE(run.errors.find("kept \"index.htm\""), std::string::npos) << run.errors;
    EXPECT_NE(run.errors.find("two entries named \"index.htm\""), std::string::npos) << run.errors;
    EXPECT_EQ(hhtest::readBytes(dir / "book/index.htm"), "old page");
    EXPECT_EQ(hhtest::readBytes(dir / "book/index (book.chm).htm"), "<html>首页</html>");
    EXPECT_EQ(hhtest::readBytes(dir / "book/index (2).htm"), "second entry of the same name");
    EXPECT_EQ(hhtest::readBytes(dir / "book/notes.txt"), "user's notes");
    EXPECT_EQ(hhtest::readBytes(dir / "book/sub/deep/page.htm"), "<p>deep</p>");
    EXPECT_EQ(hhtest::listFiles(dir / "book").size(), 7u);
  }
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
    entries.push_back(
        {"/pages/chapter" + std::to_string(i % 7) + "/page" + std::to_string(i) + ".htm", "page " + std::to_string(i)});
  hhtest::ScratchDir dir;
  hhtest::writeBytes(dir / "book.chm", hhtest::buildChm(entries));
  auto run = hhtest::runHh({"-decompile", (dir / "out").string(), (dir / "book.chm").string()});
  EXPECT_EQ(run.exitCode, 0) << run.errors;
  EXPECT_EQ(hhtest::listFiles(dir / "out").size(), entries.size());
  EXPECT_EQ(hhtest::readBytes(dir / "out/pages/chapter4/page599.htm"), "page 599");
}

TEST(HhUnpack, ReadsBooksWhoseHeaderMisnamesTheListingChunks) {
  std::vector<StoredEntry> entries;
  for (int i = 0; i < 400; ++i) entries.push_back({"/page" + std::to_string(i) + ".htm", std::to_string(i)});
  std::string book = hhtest::buildChm(entries);
  // As Free Pascal's chmcmd writes them: the second GUID repeats the first,
  // and the directory header names chunk 1 as the first listing chunk.
  std::copy(book.begin() + 0x18, book.begin() + 0x28, book.begin() + 0x28);
  book[0x78 + 0x20] = 1;
  hhtest::ScratchDir dir;
  hhtest::writeBytes(dir / "book.chm", book);

  auto run = hhtest::runHh({"-decompile", (dir / "out").string(), (dir / "book.chm").string()});
  EXPECT_EQ(run.exitCode, 0) << run.errors;
  EXPECT_EQ(hhtest::listFiles(dir / "out").size(), entries.size());
  EXPECT_EQ(hhtest::readBytes(dir / "out/page0.htm"), "0");
}

TEST(HhUnpack, SeveralWorkersWriteTheSameFiles) {
  std::vector<StoredEntry> entries;
  for (int i = 0; i < 300; ++i)
    entries.push_back(
        {"/d" + std::to_string(i % 5) + "/p" + std::to_string(i) + ".htm", std::string(100 + i, 'a' + i % 26)});
  entries.push_back({"/../evil.htm", "x"});
  hhtest::ScratchDir dir;
  hhtest::writeBytes(dir / "book.chm", hhtest::buildChm(entries));

  std::ostringstream log;
  hh::UnpackOptions options;
  options.workers = 3;
  auto report = hh::UnpackChm((dir / "book.chm").string(), (dir / "out").string(), log, options);
  EXPECT_EQ(report.written, 300u) << log.str();
  EXPECT_EQ(report.refused, 1u);
  EXPECT_FALSE(report.complete());
  for (int i = 0; i < 300; i += 7) {
    const auto& e = entries[i];
    EXPECT_EQ(hhtest::readBytes(dir / "out" / e.name.substr(1)), e.data) << e.name;
  }
}

// A book replaced while it is unpacked (a new build renamed over it) is
// never read partly from each: whatever is read after the swap fails, and
// nothing of the new book is written, whichever worker meets it first.
TEST(HhUnpack, ABookReplacedWhileItIsUnpackedIsNeverReadFromTheNewFile) {
  std::vector<StoredEntry> old_book, new_book;
  for (int i = 0; i < 200; ++i) {
    const std::string name = "/p" + std::to_string(i) + ".htm";
    old_book.push_back({name, std::string(3000, 'a')});
    new_book.push_back({name, std::string(3000, 'b')});
  }
  hhtest::ScratchDir dir;
  hhtest::writeBytes(dir / "book.chm", hhtest::buildChm(old_book));
  hhtest::writeBytes(dir / "new.chm", hhtest::buildChm(new_book));
  std::ostringstream log;
  hh::UnpackOptions options;
  options.workers = 2;
  std::atomic<bool> swapped{false};
  options.before_file = [&](std::size_t, const std::string&) {
    if (!swapped.exchange(true)) fs::rename(dir / "new.chm", dir / "book.chm");
    return true;
  };
  auto report = hh::UnpackChm((dir / "book.chm").string(), (dir / "out").string(), log, options);
  EXPECT_FALSE(report.complete());
  EXPECT_NE(log.str().find("replaced"), std::string::npos) << log.str();
  for (const auto& e : old_book)
    if (fs::exists(dir / "out" / e.name.substr(1)))
      EXPECT_EQ(hhtest::readBytes(dir / "out" / e.name.substr(1)), e.data) << e.name;
}

// Compressed books from Free Pascal's chmcmd, when it is installed: 250
// pages fill several directory chunks and many LZX reset intervals.
class HhUnpackCompressed : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!hhtest::haveChmcmd()) return;
    source_ = new hhtest::ScratchDir;
    fs::create_directories(*source_ / "part two");
    unsigned seed = 12345;
    for (int i = 0; i < 250; ++i) {
      std::string name = (i % 3 == 0 ? "part two/p" : "p") + std::to_string(i) + ".htm";
      std::string body = "<html><body>";
      for (int k = 0; k < 300 + (i * 37) % 900; ++k) {  // part text, part noise
        seed = seed * 1103515245 + 12345;
        body += k % 2 ? std::string("段落文字 ") : std::string(1, static_cast<char>('a' + (seed >> 16) % 26));
      }
      hhtest::writeBytes(*source_ / name, body + "</body></html>");
      pages_.push_back(name);
    }
    if (!hhtest::compileWithChmcmd(source_->path(), pages_)) pages_.clear();
  }
  static void TearDownTestSuite() { delete source_; }
  void SetUp() override {
    if (!hhtest::haveChmcmd()) GTEST_SKIP() << "chmcmd not installed";
    ASSERT_FALSE(pages_.empty()) << "chmcmd failed";
  }
  void expectPagesIntact(const fs::path& out) {
    for (const auto& name : pages_)
      EXPECT_EQ(hhtest::readBytes(out / name), hhtest::readBytes(*source_ / name)) << name;
  }

  static inline hhtest::ScratchDir* source_ = nullptr;
  static inline std::vector<std::string> pages_;
};

TEST_F(HhUnpackCompressed, PagesComeOutIntact) {
  hhtest::ScratchDir dir;
  auto run = hhtest::runHh({"-decompile", (dir / "out").string(), (*source_ / "book.chm").string()});
  EXPECT_EQ(run.exitCode, 0) << run.errors;
  expectPagesIntact(dir / "out");
}

TEST_F(HhUnpackCompressed, WorkersStartingMidStreamDecodeTheSameBytes) {
  hhtest::ScratchDir dir;
  std::ostringstream log;
  hh::UnpackOptions options;
  options.workers = 4;
  auto report = hh::UnpackChm((*source_ / "book.chm").string(), (dir / "out").string(), log, options);
  EXPECT_TRUE(report.complete()) << log.str();
  expectPagesIntact(dir / "out");
}

}  // namespace

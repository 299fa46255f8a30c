// hh.exe on files that are no sound CHM book: a message and a non-zero exit,
// never a crash, never a half-written file under a real name.
#include <gtest/gtest.h>

#include "chm_writer.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;
using hhtest::StoredEntry;

const std::vector<StoredEntry> kSmallBook = {
    {"/a.htm", std::string(3000, 'a')}, {"/sub/b.htm", std::string(5000, 'b')}, {"/c.htm", "ccc"}};

hhtest::RunResult unpack(const hhtest::ScratchDir& dir, const std::string& bytes) {
  hhtest::writeBytes(dir / "book.chm", bytes);
  return hhtest::runHh({"-decompile", (dir / "out").string(), (dir / "book.chm").string()});
}

// Every file that exists under its real name holds exactly its stored bytes.
void expectNoHalfFiles(const fs::path& out, const std::vector<StoredEntry>& entries) {
  for (const std::string& name : hhtest::listFiles(out)) {
    EXPECT_NE(name.find(".hh-"), 0u) << "temporary file left: " << name;
    for (const auto& e : entries) {
      if (e.name == "/" + name) {
        EXPECT_EQ(hhtest::readBytes(out / name), e.data) << name;
      }
    }
  }
}

TEST(HhUnpackDamaged, NonChmFilesFailWithAMessageAndCreateNothing) {
  hhtest::ScratchDir dir;
  fs::create_directories(dir / "a folder");
  for (const std::string file : {"garbage", "empty", "missing", "a folder"}) {
    if (file == "garbage") hhtest::writeBytes(dir / file, std::string(10000, '\x5a'));
    if (file == "empty") hhtest::writeBytes(dir / file, "");
    auto run = hhtest::runHh({"-decompile", (dir / "out").string(), (dir / file).string()});
    ASSERT_TRUE(run.exited) << file;
    EXPECT_EQ(run.exitCode, 1) << file;
    EXPECT_FALSE(run.errors.empty()) << file;
    EXPECT_FALSE(fs::exists(dir / "out")) << file;
  }
}

TEST(HhUnpackDamaged, TruncatedBooksNeverCrashOrLeaveHalfFiles) {
  const std::string book = hhtest::buildChm(kSmallBook);
  for (std::size_t cut = 0; cut < book.size(); cut += (cut < 0x200 ? 7 : 211)) {
    hhtest::ScratchDir dir;
    auto run = unpack(dir, book.substr(0, cut));
    ASSERT_TRUE(run.exited) << "cut at " << cut;
    EXPECT_EQ(run.exitCode, 1) << "cut at " << cut;
    expectNoHalfFiles(dir / "out", kSmallBook);
  }
}

TEST(HhUnpackDamaged, EntryBeyondTheDataFailsAndKeepsTheOldFile) {
  std::vector<StoredEntry> entries = kSmallBook;
  entries.push_back({"/over.htm", "", 0, 8000, 4000});     // runs past the end of the file
  entries.push_back({"/huge.htm", "", 0, 0, 1ull << 40});  // absurd length
  entries.push_back({"/packed.htm", "", 1, 0, 100});       // compressed section that is not there
  hhtest::ScratchDir dir;
  fs::create_directories(dir / "out");
  hhtest::writeBytes(dir / "out/over.htm", "previous");

  auto run = unpack(dir, hhtest::buildChm(entries));
  ASSERT_TRUE(run.exited);
  EXPECT_EQ(run.exitCode, 1);
  for (const char* name : {"/over.htm", "/huge.htm", "/packed.htm"})
    EXPECT_NE(run.errors.find(std::string("cannot unpack \"") + name), std::string::npos) << name;
  EXPECT_EQ(hhtest::readBytes(dir / "out/over.htm"), "previous");
  EXPECT_FALSE(fs::exists(dir / "out/huge.htm"));
  EXPECT_EQ(hhtest::readBytes(dir / "out/sub/b.htm"), std::string(5000, 'b'));
  expectNoHalfFiles(dir / "out", kSmallBook);
}

// A lookup in the directory follows listing chunks by their "next" links and
// index chunks down by their entries; a book whose chunks form a loop must
// end the run with an error, however the loop is made.
TEST(HhUnpackDamaged, DirectoryChunkLoopsEndTheRun) {
  // Enough entries for two listing chunks; the compressed one makes the
  // decoder look up its bookkeeping files, which this book lacks.
  std::vector<StoredEntry> entries = {{"/packed.htm", "", 1, 0, 100}};
  for (int i = 0; i < 200; ++i)
    entries.push_back({"/page-" + std::string(20, 'x') + std::to_string(1000 + i) + ".htm", "p"});
  const std::string sound = hhtest::buildChm(entries);
  constexpr std::size_t kItsp = hhtest::kFirstChunkOffset - 0x54;
  auto put32 = [](std::string& book, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) book[at + i] = static_cast<char>(v >> (8 * i));
  };
  const std::size_t chunk1 = hhtest::kFirstChunkOffset + hhtest::kChunkSize;
  ASSERT_EQ(sound.substr(chunk1, 4), "PMGL");

  std::string listing = sound;  // chunk 1 leads back to chunk 0
  put32(listing, chunk1 + 0x10, 0);
  std::string index = sound;  // chunk 1 becomes an index chunk whose one entry is itself
  std::string pmgi = std::string("PMGI") + std::string(4, '\0') + "\x01/\x01";
  pmgi.resize(hhtest::kChunkSize, '\0');
  put32(pmgi, 4, static_cast<std::uint32_t>(hhtest::kChunkSize - 11 - 2));
  pmgi[hhtest::kChunkSize - 2] = 1;
  index.replace(chunk1, hhtest::kChunkSize, pmgi);
  put32(index, kItsp + 0x1C, 1);  // index root
  put32(index, kItsp + 0x24, 0);  // last listing chunk

  for (const std::string& book : {listing, index}) {
    hhtest::ScratchDir dir;
    auto run = unpack(dir, book);
    ASSERT_TRUE(run.exited) << "hh.exe did not end";
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.errors.find("loop"), std::string::npos) << run.errors;
  }
}

TEST(HhUnpackDamaged, DamagedDirectoryIsReportedEvenWhenSomeFilesAreWritten) {
  std::string book = hhtest::buildChm(kSmallBook);
  // Claim more directory entries than the chunk holds.
  const std::size_t countAt = hhtest::kFirstChunkOffset + hhtest::kChunkSize - 2;
  book[countAt] = '\xff';
  book[countAt + 1] = '\x7f';
  hhtest::ScratchDir dir;
  auto run = unpack(dir, book);
  ASSERT_TRUE(run.exited);
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.errors.find("damaged"), std::string::npos) << run.errors;
  expectNoHalfFiles(dir / "out", kSmallBook);
}

TEST(HhUnpackDamaged, CorruptedCompressedBooksNeverCrash) {
  if (!hhtest::haveChmcmd()) GTEST_SKIP() << "chmcmd not installed";
  hhtest::ScratchDir src;
  std::vector<std::string> pages;
  for (int i = 0; i < 12; ++i) {
    pages.push_back("p" + std::to_string(i) + ".htm");
    std::string body;
    for (int k = 0; k < 2000; ++k) body += std::to_string(k * i) + (k % 5 ? " " : "\n");
    hhtest::writeBytes(src / pages.back(), body);
  }
  ASSERT_TRUE(hhtest::compileWithChmcmd(src.path(), pages));
  const std::string book = hhtest::readBytes(src / "book.chm");

  unsigned seed = 7;
  for (int round = 0; round < 40; ++round) {
    std::string damaged = book;
    for (int k = 0; k < 1 + round % 4; ++k) {
      seed = seed * 1103515245 + 12345;
      damaged[(seed >> 8) % damaged.size()] ^= static_cast<char>(1 + (seed >> 3) % 255);
    }
    if (round % 5 == 4) damaged.resize(damaged.size() * 3 / 4);
    hhtest::ScratchDir dir;
    auto run = unpack(dir, damaged);
    ASSERT_TRUE(run.exited) << "round " << round;
    EXPECT_TRUE(run.exitCode == 0 || run.exitCode == 1) << "round " << round;
  }
}

}  // namespace

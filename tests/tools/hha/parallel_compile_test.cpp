// Compressing on several threads gives the very bytes of one thread: the
// stream and its frame offsets, and whole books.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "book_fixture.h"
#include "chm_reader.h"
#include "compiler.h"
#include "lzx_section.h"
#include "support/temp_dir.h"

namespace {

struct Stream {
  std::string bytes;
  std::vector<std::uint64_t> frame_offsets;
};

// Text with stretches of noise, so that intervals of every block kind occur.
std::string MixedData(std::size_t size, unsigned seed) {
  std::mt19937 rng(seed);
  std::string s;
  while (s.size() < size) {
    if (rng() % 4 == 0) {
      for (std::size_t n = 1000 + rng() % 50000; n > 0; --n) s += static_cast<char>(rng());
    } else {
      s += hha_test::PageContent(rng(), 1000 + rng() % 40000, rng() % 2 == 1);
    }
  }
  s.resize(size);
  return s;
}

// `data` written in uneven chunks through a writer of `threads` threads.
Stream Compress(const std::string& data, unsigned threads) {
  Stream out;
  hha::LzxSectionOptions options;
  options.threads = threads;
  hha::LzxSectionWriter section(
      [&](const std::uint8_t* d, std::size_t n) {
        out.bytes.append(reinterpret_cast<const char*>(d), n);
        return hha::Status::Ok();
      },
      options);
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(data.data());
  for (std::size_t at = 0, step = 1; at < data.size(); at += step, step = step * 7 % 100003 + 1)
    EXPECT_TRUE(section.Write(bytes + at, std::min(step, data.size() - at)).ok);
  EXPECT_TRUE(section.Finish().ok);
  EXPECT_EQ(section.compressed_size(), out.bytes.size());
  out.frame_offsets = section.frame_offsets();
  return out;
}

// Every size around the frame, the reset interval and the piece of four
// intervals that the threads share out.
TEST(ParallelCompression, StreamIsTheSameAtEveryBoundary) {
  const std::string data = MixedData(3 * 262144 + 40000, 1);
  for (std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{32767}, std::size_t{32768}, std::size_t{32769},
                           std::size_t{65535}, std::size_t{65536}, std::size_t{65537}, std::size_t{262143},
                           std::size_t{262144}, std::size_t{262145}, std::size_t{3 * 262144}, data.size()}) {
    const std::string part = data.substr(0, size);
    const Stream one = Compress(part, 1);
    for (unsigned threads : {2u, 3u}) {
      const Stream several = Compress(part, threads);
      EXPECT_TRUE(one.bytes == several.bytes) << size << " bytes, " << threads << " threads";
      EXPECT_EQ(one.frame_offsets, several.frame_offsets) << size << " bytes, " << threads << " threads";
    }
  }
}

// One generated book: `files` (name, bytes) in a project of their own.
std::string WriteProject(const std::string& dir, const std::vector<std::pair<std::string, std::string>>& files,
                         bool search = false) {
  std::string project = std::string("[OPTIONS]\r\nCompiled file=book.chm\r\nTitle=t\r\n") +
                        (search ? "Full-text search=Yes\r\n" : "") + "\r\n[FILES]\r\n";
  for (const auto& [name, bytes] : files) {
    hha_test::WriteFile(dir + "/" + name, bytes);
    project += name + "\r\n";
  }
  hha_test::WriteFile(dir + "/book.hhp", project);
  return dir + "/book.hhp";
}

std::string CompileWith(const std::string& project, unsigned threads, std::uint64_t* stream_bytes = nullptr) {
  hha::CompileOptions options;
  options.compression.threads = threads;
  hha::CompileResult r = hha::CompileProject(
      project, [](hha::Severity, const std::string&) {}, options);
  EXPECT_TRUE(r.status.ok) << r.status.message;
  if (stream_bytes) *stream_bytes = r.uncompressed_bytes;
  return hha_test::ReadFile(r.output_path);
}

// Books of many page sets, an empty one and ones whose stream ends right at
// an interval or piece boundary, with and without the search index, come
// out byte for byte the same.
TEST(ParallelCompression, BooksAreTheSameWithOneOrSeveralThreads) {
  ::setenv("SOURCE_DATE_EPOCH", "1700000000", 1);
  // The bookkeeping bytes beside one file named "f.bin" of 100 bytes.
  std::uint64_t probe = 0;
  {
    qm::TempDir dir;
    CompileWith(WriteProject(dir.path(), {{"f.bin", std::string(100, 'x')}}), 1, &probe);
  }
  const std::uint64_t overhead = probe - 100;
  std::vector<std::vector<std::pair<std::string, std::string>>> books = {{}};
  for (std::uint64_t end : {65535, 65536, 65537, 262144, 262145, 2 * 262144 - 1})
    books.push_back({{"f.bin", MixedData(end - overhead, static_cast<unsigned>(end))}});
  std::mt19937 rng(42);
  for (int b = 0; b < 6; ++b) {
    std::vector<std::pair<std::string, std::string>> files;
    for (int n = static_cast<int>(rng() % 60); n >= 0; --n)
      files.push_back({"d" + std::to_string(n % 3) + "/p" + std::to_string(n) + ".htm",
                       rng() % 5 == 0 ? MixedData(rng() % 300000, rng())
                                      : hha_test::PageContent(rng(), rng() % 60000, n % 2 == 0)});
    books.push_back(files);
  }
  for (std::size_t b = 0; b < books.size(); ++b) {
    qm::TempDir dir;
    // Every other book has its search index built beside the compression.
    const std::string project = WriteProject(dir.path(), books[b], b % 2 == 1);
    const std::string one = CompileWith(project, 1);
    EXPECT_FALSE(one.empty());
    for (unsigned threads : {2u, 4u}) EXPECT_TRUE(CompileWith(project, threads) == one) << "book " << b;
  }
  ::unsetenv("SOURCE_DATE_EPOCH");
}

// The stamp of a book comes from SOURCE_DATE_EPOCH when it is set.
TEST(ParallelCompression, SourceDateEpochFixesTheStamp) {
  qm::TempDir dir;
  const std::string project = WriteProject(dir.path(), {{"a.htm", "<html>a</html>"}});
  ::setenv("SOURCE_DATE_EPOCH", "1700000000", 1);
  const std::string first = CompileWith(project, 1);
  ::setenv("SOURCE_DATE_EPOCH", "1700000001", 1);
  const std::string second = CompileWith(project, 1);
  ::unsetenv("SOURCE_DATE_EPOCH");
  ASSERT_EQ(first.size(), second.size());
  EXPECT_FALSE(first == second);
  // The header's stamp (big-endian) at offset 0x10.
  EXPECT_EQ(static_cast<unsigned char>(first[0x13]), 1700000000u & 0xFF);
}

}  // namespace

// The LZX stream alone: data of many kinds and sizes around the frame and
// reset boundaries, wrapped in a one-file book and decoded by libmspack.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <utility>

#include "bit_writer.h"
#include "book_fixture.h"
#include "chm_container.h"
#include "chm_reader.h"
#include "lzx_encoder.h"
#include "lzx_section.h"
#include "support/temp_dir.h"

namespace {

using hha::lzx::Method;

// Writes data as the only file "/data.bin" of a book, compressed with the
// given method, and returns the book's path.
std::string WrapInBook(const std::string& dir, const std::string& data, Method method, unsigned threads = 0) {
  hha::Bytes stream;
  hha::LzxSectionOptions options;
  options.method = method;
  options.threads = threads;
  hha::LzxSectionWriter section(
      [&](const std::uint8_t* d, std::size_t n) {
        stream.insert(stream.end(), d, d + n);
        return hha::Status::Ok();
      },
      options);
  EXPECT_TRUE(section.Write(reinterpret_cast<const std::uint8_t*>(data.data()), data.size()).ok);
  EXPECT_TRUE(section.Finish().ok);
  EXPECT_EQ(section.compressed_size(), stream.size());

  hha::ContainerLayout layout;
  layout.entries.push_back({"/data.bin", 1, 0, data.size()});
  layout.uncompressed_size = section.uncompressed_size();
  layout.compressed_size = section.compressed_size();
  layout.frame_offsets = section.frame_offsets();
  hha::ContainerHead head = hha::BuildContainerHead(layout);
  EXPECT_TRUE(head.status.ok) << head.status.message;
  std::string file(head.bytes.begin(), head.bytes.end());
  file.append(stream.begin(), stream.end());
  std::string path = dir + "/stream.chm";
  hha_test::WriteFile(path, file);
  return path;
}

std::string RandomBytes(std::size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  std::string s(n, '\0');
  for (char& c : s) c = static_cast<char>(rng());
  return s;
}

std::string Text(std::size_t n, unsigned seed, bool chinese) {
  std::string s;
  unsigned k = seed;
  while (s.size() < n) s += hha_test::PageContent(k++, 20000, chinese);
  s.resize(n);
  return s;
}

// Mostly compressible data with an incompressible stretch: exercises the
// choice between verbatim and uncompressed blocks inside one interval.
std::string Mixed(std::size_t n) {
  std::string s = Text(n, 7, false);
  std::string noise = RandomBytes(40000, 3);
  for (std::size_t i = 0; i < noise.size() && 20000 + i < n; ++i) s[20000 + i] = noise[i];
  return s;
}

// Text, then noise from the second frame on: the noise costs more than
// eight bits a byte under the text's codes, so frames get blocks of their own.
std::string TextThenNoise(std::size_t n) {
  std::string s = Text(n, 8, true);
  std::string noise = RandomBytes(n, 4);
  for (std::size_t i = 32768; i < n; ++i) s[i] = noise[i];
  return s;
}

// Imitates image data: smooth gradients with small noise.
std::string ImageLike(std::size_t n) {
  std::mt19937 rng(11);
  std::string s(n, '\0');
  for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>((i % 256) / 4 + (i / 1024) % 64 + rng() % 3);
  return s;
}

// Bytes of a skewed distribution that seldom repeat four in a row, like a
// search index's packed bit lists: coded as literals under their own codes.
std::string Skewed(std::size_t n) {
  std::mt19937 rng(13);
  std::geometric_distribution<int> byte(0.05);
  std::string s(n, '\0');
  for (char& c : s) c = static_cast<char>(byte(rng) & 0xFF);
  return s;
}

struct Case {
  const char* kind;
  std::size_t size;
};

class LzxStreamTest : public ::testing::TestWithParam<std::tuple<Case, Method>> {};

std::string Make(const Case& c) {
  std::string k = c.kind;
  if (k == "zeros") return std::string(c.size, '\0');
  if (k == "random") return RandomBytes(c.size, static_cast<unsigned>(c.size));
  if (k == "text") return Text(c.size, 1, false);
  if (k == "gbk") return Text(c.size, 2, true);
  if (k == "runs") {
    std::string s;
    for (std::size_t i = 0; s.size() < c.size; ++i) s.append(1 + i % 300, static_cast<char>('a' + i % 26));
    s.resize(c.size);
    return s;
  }
  if (k == "mixed") return Mixed(c.size);
  if (k == "textnoise") return TextThenNoise(c.size);
  if (k == "skewed") return Skewed(c.size);
  return ImageLike(c.size);
}

TEST_P(LzxStreamTest, DecodesToTheInput) {
  const auto& [c, method] = GetParam();
  qm::TempDir dir;
  std::string data = Make(c);
  std::string path = WrapInBook(dir.path(), data, method);
  auto files = hha_test::ReadWithMspack(path);
  ASSERT_TRUE(files.has_value()) << "libmspack could not read the stream";
  ASSERT_EQ(files->count("/data.bin"), 1u);
  const std::string& back = files->at("/data.bin");
  ASSERT_EQ(back.size(), data.size());
  EXPECT_TRUE(back == data) << "decoded bytes differ";
}

const Case kCases[] = {
    {"text", 0},         {"text", 1},          {"text", 32767},       {"text", 32768},   {"text", 65535},
    {"text", 65536},     {"text", 65537},      {"gbk", 100000},       {"random", 1},     {"random", 32768},
    {"random", 65537},   {"zeros", 65536},     {"zeros", 200000},     {"runs", 150000},  {"image", 131072},
    {"mixed", 98304},    {"textnoise", 65536}, {"textnoise", 131072}, {"text", 3000000}, {"gbk", 2500000},
    {"random", 1000000}, {"skewed", 65536},    {"skewed", 300000},
};

INSTANTIATE_TEST_SUITE_P(Sizes, LzxStreamTest,
                         ::testing::Combine(::testing::ValuesIn(kCases),
                                            ::testing::Values(Method::Store, Method::Compress)),
                         [](const auto& param_info) {
                           const Case& c = std::get<0>(param_info.param);
                           return std::string(c.kind) + "_" + std::to_string(c.size) +
                                  (std::get<1>(param_info.param) == Method::Store ? "_store" : "_compress");
                         });

TEST(LzxStream, CompressesTextAndNeverGrowsMuchOnNoise) {
  qm::TempDir dir;
  std::string text = Text(1 << 20, 5, false);
  std::string noise = RandomBytes(1 << 20, 9);
  auto size_of = [&](const std::string& d) {
    return hha_test::ReadFile(WrapInBook(dir.path(), d, Method::Compress)).size();
  };
  EXPECT_LT(size_of(text), text.size() / 3);
  EXPECT_LT(size_of(noise), noise.size() + noise.size() / 50);
  // Without repeats to find, the skew of the bytes alone saves a fifth.
  const std::string skewed = Skewed(1 << 20);
  EXPECT_LT(size_of(skewed), skewed.size() * 4 / 5);
}

// The compressed form of an interval is never larger than its stored form,
// on noise, text and mixes of the two, in whole and half intervals.
TEST(LzxStream, AnIntervalNeverComesOutLargerThanStored) {
  hha::lzx::MatchFinder finder;
  const std::string noise = RandomBytes(1 << 16, 3), text = Text(1 << 16, 7, false);
  for (const std::string& data : {noise, text, noise.substr(0, 1 << 15) + text.substr(0, 1 << 15)}) {
    for (std::size_t size : {std::size_t{1} << 15, std::size_t{1} << 16}) {
      const auto* bytes = reinterpret_cast<const std::uint8_t*>(data.data());
      EXPECT_LE(hha::lzx::EncodeInterval(bytes, size, Method::Compress, finder, {}).data.size(),
                hha::lzx::EncodeInterval(bytes, size, Method::Store, finder, {}).data.size());
    }
  }
}

// Coding matchless data as literals without a search costs at most what
// matches over a thirty-second of it could save (3 %), on skewed bytes, on
// three-byte tokens like pixels (which have few longer repeats), on 16-bit
// samples and on skewed bytes with a little text in them; and it is taken
// on some of them.
TEST(LzxStream, LiteralsWithoutASearchCostNextToNothing) {
  std::mt19937 rng(21);
  int taken = 0;
  for (int round = 0; round < 40; ++round) {
    std::string data(1 << 16, '\0');
    const int kind = round % 4;
    if (kind == 0) {
      std::geometric_distribution<int> byte(0.01 + 0.02 * (round / 4));
      for (char& c : data) c = static_cast<char>(byte(rng) & 0xFF);
    } else if (kind == 1) {
      std::vector<std::uint32_t> tokens(std::size_t{64} << (round / 4 % 8));
      for (std::uint32_t& t : tokens) t = rng();
      for (std::size_t i = 0; i + 3 <= data.size(); i += 3) std::memcpy(&data[i], &tokens[rng() % tokens.size()], 3);
    } else if (kind == 2) {
      for (std::size_t i = 0; i + 2 <= data.size(); i += 2) {
        const auto v =
            static_cast<std::int16_t>(8000 * std::sin(i * 0.001 * (1 + round)) + rng() % (64 << (round % 5)));
        std::memcpy(&data[i], &v, 2);
      }
    } else {
      std::geometric_distribution<int> byte(0.04);
      for (char& c : data) c = static_cast<char>(byte(rng) & 0xFF);
      const std::string text = Text(512u << (round / 4 % 5), round, round % 2 == 0);
      std::copy(text.begin(), text.end(),
                data.begin() + static_cast<std::ptrdiff_t>(rng() % (data.size() - text.size())));
    }
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(data.data());
    hha::lzx::MatchFinder finder;
    hha::lzx::ParseOptions search_always;
    search_always.literals_when_matchless = false;
    const std::size_t fast = hha::lzx::EncodeInterval(bytes, data.size(), Method::Compress, finder, {}).data.size();
    const std::size_t searched =
        hha::lzx::EncodeInterval(bytes, data.size(), Method::Compress, finder, search_always).data.size();
    EXPECT_LE(fast, searched + searched / 32) << "round " << round;
    taken += fast != searched;
  }
  EXPECT_GT(taken, 5);
}

// The parse and the encoder make the same choices as they always have: the
// intervals of data of every kind, cut around frame and interval ends, come
// out byte for byte as before (FNV-1a of the streams). A faster match finder
// or bit writer must keep these.
// Codes put many at a time come out as the same codes put one by one, from
// any number of bits waiting before them.
TEST(LzxStream, CodesPutManyAtATimeAsOneByOne) {
  std::mt19937 rng(16);
  for (int round = 0; round < 500; ++round) {
    std::uint16_t codes[256];
    std::uint8_t lengths[256];
    for (int b = 0; b < 256; ++b) {
      lengths[b] = static_cast<std::uint8_t>(1 + rng() % 16);
      codes[b] = static_cast<std::uint16_t>(rng() & ((1u << lengths[b]) - 1));
    }
    std::vector<std::uint8_t> data(rng() % 40);
    for (std::uint8_t& d : data) d = static_cast<std::uint8_t>(rng());
    const int before = static_cast<int>(rng() % 16);
    const std::uint32_t waiting = rng() & 0xFFFF;
    hha::Bytes one, many;
    for (hha::Bytes* out : {&one, &many}) {
      hha::lzx::BitWriter bits(*out);
      bits.Put(waiting, before);
      hha::lzx::BitWriter::Run run = bits.Start(2 * data.size() + 8);
      if (out == &one)
        for (std::uint8_t d : data) run.Put(codes[d], lengths[d]);
      else run.PutEach(data.data(), data.size(), codes, lengths);
      run.AlignTo16();
      bits.Finish(run);
    }
    ASSERT_EQ(one, many) << "round " << round;
  }
}

TEST(LzxStream, IntervalsComeOutAsTheyAlwaysHave) {
  const std::pair<Case, std::uint64_t> golden[] = {
      {{"text", 32767}, 17210295647531812839ull},   {{"text", 65537}, 16213131406478875346ull},
      {{"gbk", 100000}, 3755876356843508591ull},    {{"runs", 150000}, 17173563281378537471ull},
      {{"mixed", 98304}, 17906060631393898928ull},  {{"textnoise", 131072}, 12999434639041299821ull},
      {{"image", 131072}, 16770887928832251024ull}, {{"random", 65537}, 10041270728016627630ull},
      {{"zeros", 65536}, 6362249735918941312ull},   {{"gbk", 2500000}, 1529529437458658659ull},
  };
  hha::lzx::MatchFinder finder;
  for (const auto& [c, expected] : golden) {
    std::string data = Make(c);
    data.resize((data.size() + 32767) / 32768 * 32768, '\0');
    std::uint64_t hash = 14695981039346656037ull;
    for (std::size_t begin = 0; begin < data.size(); begin += 65536) {
      const auto* bytes = reinterpret_cast<const std::uint8_t*>(data.data()) + begin;
      const std::size_t size = std::min<std::size_t>(65536, data.size() - begin);
      for (std::uint8_t b : hha::lzx::EncodeInterval(bytes, size, Method::Compress, finder, {}).data)
        hash = (hash ^ b) * 1099511628211ull;
    }
    EXPECT_EQ(hash, expected) << c.kind << " " << c.size;
  }
}

TEST(LzxStream, SameStreamWithOneOrSeveralThreads) {
  qm::TempDir dir;
  std::string data = Text(700000, 3, true);
  std::string one = hha_test::ReadFile(WrapInBook(dir.path(), data, Method::Compress, 1));
  std::string four = hha_test::ReadFile(WrapInBook(dir.path(), data, Method::Compress, 4));
  EXPECT_TRUE(one == four);
}

}  // namespace

namespace {

TEST(LzxStream, ChmLibAnd7zDecodeBoundaryCases) {
  std::string seven = hha_test::FindProgram("7z");
  if (seven.empty()) seven = hha_test::FindProgram("7zz");
  if (seven.empty() || hha_test::FindProgram("extract_chmLib").empty()) GTEST_SKIP() << "readers not installed";
  int round = 0;
  for (const Case& c : {Case{"text", 32768}, Case{"text", 65536}, Case{"gbk", 65537}, Case{"textnoise", 131072},
                        Case{"mixed", 98304}, Case{"random", 40000}, Case{"skewed", 131072}}) {
    for (Method method : {Method::Store, Method::Compress}) {
      qm::TempDir dir;
      std::string data = Make(c);
      std::string path = WrapInBook(dir.path(), data, method);
      std::string where = std::string(c.kind) + " " + std::to_string(c.size) + " #" + std::to_string(round++);
      auto by_chmlib = hha_test::ReadWithExtractChmLib(path, dir.path() + "/a");
      ASSERT_TRUE(by_chmlib.has_value()) << where;
      EXPECT_TRUE((*by_chmlib)["/data.bin"] == data) << "extract_chmLib, " << where;
      auto by_7z = hha_test::ReadWith7z(seven, path, dir.path() + "/b");
      ASSERT_TRUE(by_7z.has_value()) << where;
      EXPECT_TRUE((*by_7z)["/data.bin"] == data) << "7-Zip, " << where;
    }
  }
}

}  // namespace

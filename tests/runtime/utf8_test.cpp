#include "runtime/utf8.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "runtime/iconv_converter.h"

namespace qm {
namespace {

TEST(DecodeUtf8, RejectsOverlongSurrogateAndTruncatedSequences) {
  char32_t cp = 0;
  EXPECT_EQ(DecodeUtf8("中", 0, &cp), 3u);
  EXPECT_EQ(cp, U'中');
  EXPECT_EQ(DecodeUtf8("\xC0\xAF", 0, &cp), 0u);
  EXPECT_EQ(DecodeUtf8("\xE0\x80\xAF", 0, &cp), 0u);
  EXPECT_EQ(DecodeUtf8("\xED\xA0\x80", 0, &cp), 0u);
  EXPECT_EQ(DecodeUtf8("\xE4\xB8", 0, &cp), 0u);
  EXPECT_EQ(DecodeUtf8("\xF4\x90\x80\x80", 0, &cp), 0u);
}

// Byte strings built from the bytes where decoders go wrong (the edges of
// the lead and continuation ranges) and from whole characters of every
// length, so that well-formed, overlong, surrogate and cut-short sequences
// all occur often.
std::string RandomBytes(std::mt19937& rng) {
  static constexpr unsigned char kEdges[] = {0x00, 0x41, 0x7F, 0x80, 0x8F, 0x90, 0x9F, 0xA0, 0xBF,
                                             0xC0, 0xC1, 0xC2, 0xDF, 0xE0, 0xE1, 0xEC, 0xED, 0xEE,
                                             0xEF, 0xF0, 0xF1, 0xF3, 0xF4, 0xF5, 0xF8, 0xFE, 0xFF};
  std::string s;
  const int pieces = static_cast<int>(rng() % 12);
  for (int k = 0; k < pieces; ++k) {
    switch (rng() % 3) {
      case 0: s += static_cast<char>(kEdges[rng() % sizeof kEdges]); break;
      case 1: s += static_cast<char>(0x80 | rng() % 0x40); break;
      default: {
        const char32_t limits[] = {0x80, 0x800, 0x10000, 0x110000};
        char32_t cp = static_cast<char32_t>(rng() % limits[rng() % 4]);
        if (cp >= 0xD800 && cp <= 0xDFFF) cp = 0x4E2D;
        s += Utf8OfCodePoint(cp);
      }
    }
  }
  return s;
}

// The decoder against the system's UTF-8 converter: both accept the same
// well-formed beginning of every byte string and read the same characters
// from it, and every character encodes back to its own bytes.
TEST(DecodeUtf8, AgreesWithTheSystemConverter) {
  IconvConverter to_utf32("UTF-32LE", "UTF-8");
  ASSERT_TRUE(to_utf32.valid());
  std::mt19937 rng(936);
  for (int round = 0; round < 200000; ++round) {
    const std::string s = RandomBytes(rng);
    std::u32string decoded;
    std::size_t i = 0;
    while (i < s.size()) {
      const Utf8Sequence seq = Utf8SequenceAt(reinterpret_cast<const unsigned char*>(s.data()), s.size(), i);
      ASSERT_GE(seq.length, 1u);
      if (!seq.valid) {
        ASSERT_EQ(seq.cp, U'\uFFFD');
        break;
      }
      ASSERT_EQ(Utf8OfCodePoint(seq.cp), s.substr(i, seq.length));
      decoded += seq.cp;
      i += seq.length;
    }
    std::string units;
    ASSERT_EQ(to_utf32.Run(s, &units), i) << testing::PrintToString(s);
    ASSERT_EQ(units.size(), 4 * decoded.size());
    for (std::size_t k = 0; k < decoded.size(); ++k) {
      const char32_t unit = static_cast<unsigned char>(units[4 * k]) |
                            static_cast<unsigned char>(units[4 * k + 1]) << 8 |
                            static_cast<unsigned char>(units[4 * k + 2]) << 16;
      ASSERT_EQ(unit, decoded[k]) << testing::PrintToString(s);
    }
    ASSERT_EQ(IsValidUtf8(s), i == s.size());
  }
}

}  // namespace
}  // namespace qm

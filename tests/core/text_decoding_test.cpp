// Texts read in their own encoding: which encoding a text is taken to be
// in, on real-world shapes, and that every encoding of the same text gives
// the same code page 936 bytes.

#include "core/text_decoding.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "runtime/encoding.h"

namespace qm {
namespace {

using E = TextEncoding;

std::string Utf16(std::u16string_view text, bool big_endian) {
  std::string bytes = big_endian ? "\xFE\xFF" : "\xFF\xFE";
  for (char16_t u : text) {
    char lo = static_cast<char>(u & 0xFF), hi = static_cast<char>(u >> 8);
    bytes += big_endian ? std::string{hi, lo} : std::string{lo, hi};
  }
  return bytes;
}

TEST(TextDecoding, RealWorldShapes) {
  struct Case {
    const char* what;
    std::string bytes;
    E encoding;
    std::string gbk;
  };
  const std::string prose = Gbk("第一章 山雨欲来风满楼。\r\n");
  const Case cases[] = {
      {"pure ASCII", "Chapter 1\r\nplain", E::kGbk, "Chapter 1\r\nplain"},
      {"empty", "", E::kGbk, ""},
      {"GBK prose", prose, E::kGbk, prose},
      // 陆 is C2 BD, a well-formed UTF-8 sequence, inside GBK prose.
      {"GBK prose holding UTF-8-like runs", Gbk("陆") + prose + Gbk("陆续"), E::kGbk, Gbk("陆") + prose + Gbk("陆续")},
      {"two-character GBK 联通", Gbk("联通"), E::kGbk, Gbk("联通")},
      {"two-character GBK 中文", Gbk("中文"), E::kGbk, Gbk("中文")},
      {"GBK ending in a lone lead byte", "abc\xD6", E::kGbk, "abc\xD6"},
      {"ASCII and a cut UTF-8 sequence only", "abc\xE4\xB8", E::kGbk, "abc\xE4\xB8"},
      {"UTF-8 with LF", "第一章 山雨\n第二行\n", E::kUtf8, Gbk("第一章 山雨\n第二行\n")},
      {"UTF-8 with a mark", "\xEF\xBB\xBF第一章", E::kUtf8Marked, Gbk("第一章")},
      {"UTF-8 with a mark, ill-formed inside",
       "\xEF\xBB\xBF"
       "a\xFF",
       E::kUtf8Marked, "a&#xFFFD;"},
      {"UTF-8 cut inside a character", std::string("第一章") + std::string("山", 2), E::kUtf8,
       Gbk("第一章") + "&#xFFFD;"},
      {"UTF-8 without GBK forms", "感遇・其一 😀", E::kUtf8, Gbk("感遇") + "&#x30FB;" + Gbk("其一 ") + "&#x1F600;"},
      {"UTF-16 LE", Utf16(u"第一章 😀\r\n", false), E::kUtf16Le, Gbk("第一章 ") + "&#x1F600;\r\n"},
      {"UTF-16 BE", Utf16(u"第一章 😀\r\n", true), E::kUtf16Be, Gbk("第一章 ") + "&#x1F600;\r\n"},
      {"UTF-16 holding U+0000", Utf16(std::u16string(u"a\0b", 3), false), E::kUtf16Le, std::string("a\0b", 3)},
      {"UTF-16 with a lone surrogate and an odd byte", Utf16(u"\xD800x", false) + "z", E::kUtf16Le, "&#xFFFD;x"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DetectTextEncoding(c.bytes), c.encoding) << c.what;
    DecodedText text = DecodeTextFile(ByteSet(c.bytes));
    EXPECT_EQ(text.encoding, c.encoding) << c.what;
    EXPECT_EQ(text.gbk.bytes, c.gbk) << c.what;
  }
}

// GBK texts whose bytes are also well-formed UTF-8 (two-byte sequences
// only) stay GBK byte for byte; UTF-8 texts of real alphabets stay UTF-8.
TEST(TextDecoding, GbkTextsThatLookLikeUtf8StayGbk) {
  for (const char* shape : {"小说", "山水诗", "学习", "中文", "联通", "飘飘", "偶然", "第1回 小说\r\n"}) {
    const Text gbk = Gbk(shape);
    EXPECT_EQ(DetectTextEncoding(gbk), E::kGbk) << shape;
    EXPECT_EQ(DecodeTextFile(ByteSet(gbk)).gbk.bytes, gbk) << shape;
  }
  for (const char* utf8 : {"привет, мир", "καλημέρα", "café crème", "25°C", "Ελλάδα und Größe"})
    EXPECT_EQ(DetectTextEncoding(utf8), E::kUtf8) << utf8;
  // Random GB2312 characters with lead bytes C2-DF and trail bytes A1-BF,
  // each of which is a UTF-8 sequence. Texts made only of rows C2-C8, CC and
  // CD read as accented Latin letters ("é" is C3 A9) and combining marks,
  // and are left out: UTF-8 wins there.
  std::mt19937 rng(21);
  for (int n = 0; n < 3000;) {
    Text text;
    bool beyond_latin_rows = false;
    for (int k = 1 + static_cast<int>(rng() % 8); k > 0; --k) {
      const auto lead = static_cast<unsigned char>(0xC2 + rng() % 30);
      beyond_latin_rows = beyond_latin_rows || (lead > 0xC8 && lead != 0xCC && lead != 0xCD);
      text += static_cast<char>(lead);
      text += static_cast<char>(0xA1 + rng() % 31);
      if (rng() % 4 == 0) text += " 1\r\n"[rng() % 4];
    }
    if (!beyond_latin_rows) continue;
    ++n;
    ASSERT_EQ(DetectTextEncoding(text), E::kGbk) << testing::PrintToString(text);
    ASSERT_EQ(DecodeTextFile(ByteSet(text)).gbk.bytes, text);
  }
}

TEST(TextDecoding, EveryEncodingOfATextGivesTheSameGbk) {
  struct Piece {
    std::u16string utf16;
    std::string utf8;
    std::string gbk;
  };
  const Piece pieces[] = {
      {u"a", "a", "a"},         {u"\r\n", "\r\n", "\r\n"},
      {u"\n", "\n", "\n"},      {u"山", "山", Gbk("山")},
      {u"雨", "雨", Gbk("雨")}, {u"，", "，", Gbk("，")},
      {u"é", "é", Gbk("é")},    {u"ü\u0301", "ü\xCC\x81", Gbk("ǘ")},  // composed where code page 936 has the letter
      {u"😀", "😀", "&#x1F600;"}, {u"\u30FB", "・", "&#x30FB;"},
      {u"\u20AC", "€", "\x80"},
  };
  std::mt19937 rng(17);
  for (int n = 0; n < 2000; ++n) {
    std::u16string utf16;
    std::string utf8, gbk;
    bool multi_byte = false;
    for (int k = 1 + static_cast<int>(rng() % 12); k > 0; --k) {
      const Piece& p = pieces[rng() % std::size(pieces)];
      utf16 += p.utf16;
      utf8 += p.utf8;
      gbk += p.gbk;
      multi_byte = multi_byte || p.utf8.size() > p.utf16.size();
    }
    EXPECT_EQ(DetectTextEncoding(utf8), multi_byte ? E::kUtf8 : E::kGbk);
    for (const std::string& bytes : {utf8, "\xEF\xBB\xBF" + utf8, Utf16(utf16, false), Utf16(utf16, true)}) {
      ASSERT_EQ(DecodeTextFile(ByteSet(bytes)).gbk.bytes, gbk) << testing::PrintToString(bytes);
    }
  }
}

}  // namespace
}  // namespace qm

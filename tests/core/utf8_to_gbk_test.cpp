// Conversions of the re-encoding tool, pinned byte for byte.
#include "core/utf8_to_gbk.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

#if QM_HAVE_ICU
#include <unicode/ucnv.h>
#endif

namespace qm {
namespace {

Text Convert(const std::string& utf8) { return GbkTextFromUtf8(ByteSet(utf8)); }

ByteSet Units(std::u16string units) {
  std::string bytes;
  for (char16_t u : units) {
    bytes.push_back(static_cast<char>(u & 0xFF));
    bytes.push_back(static_cast<char>(u >> 8));
  }
  return ByteSet(bytes);
}

TEST(Utf16FromUtf8, DecodesEveryLengthOfSequence) {
  EXPECT_EQ(Utf16FromUtf8(ByteSet("A\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80")), Units(u"A\u00E9\u4E2D\U0001F600"));
  EXPECT_EQ(Utf16FromUtf8(ByteSet()), ByteSet());
  // A byte-order mark stays a character at this step.
  EXPECT_EQ(Utf16FromUtf8(ByteSet("\xEF\xBB\xBFx")), Units(u"\uFEFFx"));
}

TEST(Utf16FromUtf8, EachMaximalIllFormedPartBecomesOneReplacementCharacter) {
  // A stray continuation byte and bytes that never start a sequence.
  EXPECT_EQ(Utf16FromUtf8(ByteSet("a\x80"
                                  "b\xFF"
                                  "c\xC0\x80")),
            Units(u"a\uFFFDb\uFFFDc\uFFFD\uFFFD"));
  // A three-byte sequence cut short by an ASCII byte and at the end.
  EXPECT_EQ(Utf16FromUtf8(ByteSet("\xE4\xB8z\xE4\xB8")), Units(u"\uFFFDz\uFFFD"));
  // An encoded surrogate and an overlong three-byte form: the lead byte is
  // the whole valid beginning, each following byte a stray.
  EXPECT_EQ(Utf16FromUtf8(ByteSet("\xED\xA0\x80")), Units(u"\uFFFD\uFFFD\uFFFD"));
  EXPECT_EQ(Utf16FromUtf8(ByteSet("\xE0\x80\xAF")), Units(u"\uFFFD\uFFFD\uFFFD"));
  // Beyond U+10FFFF.
  EXPECT_EQ(Utf16FromUtf8(ByteSet("\xF4\x90\x80\x80")), Units(u"\uFFFD\uFFFD\uFFFD\uFFFD"));
  // A four-byte sequence missing its last byte.
  EXPECT_EQ(Utf16FromUtf8(ByteSet("\xF0\x9F\x98!")), Units(u"\uFFFD!"));
}

TEST(GbkTextFromUtf16, WritesAsciiAndChineseAsCodePage936) {
  EXPECT_EQ(GbkTextFromUtf16(Units(u"<p>\u4E2D\u6587</p>")), "<p>\xD6\xD0\xCE\xC4</p>");
  EXPECT_EQ(GbkTextFromUtf16(Units(u"\u20AC")), "\x80");              // the one-byte euro sign
  EXPECT_EQ(GbkTextFromUtf16(ByteSet(std::string("a\0b", 3))), "a");  // the odd byte is ignored
}

TEST(GbkTextFromUtf16, CharactersWithoutAFormBecomeQuestionMarks) {
  EXPECT_EQ(GbkTextFromUtf16(Units(u"x\uFFFDy\u00C0z")), "x?y?z");
  EXPECT_EQ(GbkTextFromUtf16(Units(u"\U0001F600!")), "?!");  // surrogate pair: one "?"
  EXPECT_EQ(GbkTextFromUtf16(Units(u"\xD800"
                                   u"a\xDC00")),
            "?a?");  // lone surrogates
}

// Every character of the Basic Multilingual Plane on its own, against ICU's
// converter built from Windows' own code page 936 table: the private-use
// characters in the user-defined cells included.
TEST(GbkTextFromUtf16, EveryCharacterAsWindowsConvertsIt) {
#if QM_HAVE_ICU
  UErrorCode error = U_ZERO_ERROR;
  UConverter* icu = ucnv_open("windows-936", &error);
  ASSERT_TRUE(U_SUCCESS(error)) << u_errorName(error);
  ucnv_setFromUCallBack(icu, UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &error);
  int mismatches = 0;
  for (unsigned u = 1; u < 0x10000; ++u) {
    if (u >= 0xD800 && u <= 0xDFFF) continue;
    UChar in[1] = {static_cast<UChar>(u)};
    char out[8];
    error = U_ZERO_ERROR;
    ucnv_reset(icu);
    int n = ucnv_fromUChars(icu, out, sizeof out, in, 1, &error);
    // ICU writes nothing for a default-ignorable character it cannot map;
    // Windows writes the default character.
    std::string expected = U_FAILURE(error) || n == 0 ? "?" : std::string(out, static_cast<std::size_t>(n));
    Text actual = GbkTextFromUtf16(Units(std::u16string(1, static_cast<char16_t>(u))));
    if (actual != expected && ++mismatches <= 10) ADD_FAILURE() << "U+" << std::hex << u;
  }
  ucnv_close(icu);
  EXPECT_EQ(mismatches, 0);
  EXPECT_EQ(GbkTextFromUtf16(Units(u"\uE000\uE765\uE800\uF8F5")), "\xAA\xA1\xA7\xA0\xA9\xA3\xFF");
#else
  GTEST_SKIP() << "ICU (libicu-dev) is not installed";
#endif
}

TEST(GbkTextFromUtf16, TextEndsAtTheFirstNullCharacter) {
  EXPECT_EQ(GbkTextFromUtf16(Units(std::u16string(u"ab\0cd", 5))), "ab");
  EXPECT_EQ(Convert(std::string("\xE4\xB8\xAD\0\xE6\x96\x87", 7)), "\xD6\xD0");
}

TEST(GbkTextFromUtf16, ComposesBaseAndMarkWhereCodePage936HasTheLetter) {
  EXPECT_EQ(GbkTextFromUtf16(Units(u"e\u0301")), "\xA8\xA6");        // é
  EXPECT_EQ(GbkTextFromUtf16(Units(u"a\u030C")), "\xA8\xA3");        // ǎ
  EXPECT_EQ(GbkTextFromUtf16(Units(u"u\u0308\u0304")), "\xA8\xB5");  // ü then ǖ
  EXPECT_EQ(GbkTextFromUtf16(Units(u"\u00FC\u030C")), "\xA8\xB7");   // ǚ
  // No upper-case letters with marks: base and mark one after the other.
  EXPECT_EQ(GbkTextFromUtf16(Units(u"E\u0301")), "E?");
  // A mark with no base letter before it.
  EXPECT_EQ(GbkTextFromUtf16(Units(u"\u0301")), "?");
}

TEST(GbkTextFromUtf8, ConvertsPagesWithTheWindowsResults) {
  std::string ascii = "<html><meta charset=\"utf-8\">\r\nplain text\t~</html>";
  EXPECT_EQ(Convert(ascii), ascii);
  EXPECT_EQ(Convert("\xE4\xB8\xAD\xE6\x96\x87"), "\xD6\xD0\xCE\xC4");  // 中文
  EXPECT_EQ(Convert("caf"
                    "e\xCC\x81"),
            "caf\xA8\xA6");
  EXPECT_EQ(Convert("\xE2\x82\xAC\xE2\x99\xAB"), "\x80?");  // € and a note without a form
  EXPECT_EQ(Convert(""), "");
  // A page already in GBK is decoded as UTF-8 all the same.
  EXPECT_EQ(Convert("\xD6\xD0"), "??");
}

TEST(GbkTextFromUtf8, DropsAByteOrderMarkAtTheStartOnly) {
  EXPECT_EQ(Convert("\xEF\xBB\xBF<p>\xE4\xB8\xAD"), "<p>\xD6\xD0");
  EXPECT_EQ(Convert("a\xEF\xBB\xBF"), "a?");
}

// Random mixes of ASCII, Chinese, pinyin letters with combining marks,
// characters above U+FFFF, stray bytes, cut sequences and zero bytes.
std::string RandomUtf8(std::mt19937& rng, int most_pieces) {
  const std::string pieces[] = {"a",
                                "e",
                                "u",
                                "\xC3\xBC",
                                "\xCC\x81",
                                "\xCC\x84",
                                "\xCC\x8C",
                                "\xE4\xB8\xAD",
                                "\xE2\x82\xAC",
                                "\xF0\x9F\x98\x80",
                                "\xF0\x90\x8C\x80",
                                "\x80",
                                "\xE4\xB8",
                                "\xED\xA0\x80",
                                "\xC0\xAF",
                                std::string(1, '\0'),
                                "plain ascii text ",
                                "\r\n"};
  std::uniform_int_distribution<int> pick(0, std::size(pieces) - 1), count(0, most_pieces);
  std::string utf8;
  for (int n = count(rng); n > 0; --n) utf8 += pieces[pick(rng)];
  return utf8;
}

// The one-pass conversion against the two documented steps.
TEST(GbkTextFromUtf8, EqualsTheTwoStepsOnRandomInput) {
  std::mt19937 rng(15);
  for (int round = 0; round < 3000; ++round) {
    std::string utf8 = RandomUtf8(rng, 40);
    EXPECT_EQ(Convert(utf8), GbkTextFromUtf16(Utf16FromUtf8(ByteSet(utf8)))) << "round " << round;
  }
}

// Converting in pieces, cut anywhere (inside a character, between a letter
// and its marks, inside a byte-order mark, after a zero byte), gives the
// whole text's result.
TEST(GbkTextFromUtf8Pieces, EqualsTheWholeConversionWhereverThePiecesEnd) {
  std::mt19937 rng(16);
  std::uniform_int_distribution<int> cut(0, 20);
  for (int round = 0; round < 3000; ++round) {
    // u with two marks folds twice (ü, then ǖ): the longest look ahead.
    std::string utf8 = (round % 4 == 0 ? "\xEF\xBB\xBF" : "") + RandomUtf8(rng, round % 2 ? 8 : 100) +
                       "u\xCC\x88\xCC\x84\xCC\x81" + RandomUtf8(rng, 100);
    GbkTextFromUtf8Pieces pieces;
    Text out;
    for (std::size_t at = 0; at < utf8.size();) {
      std::size_t n = std::min<std::size_t>(cut(rng), utf8.size() - at);
      pieces.Add(std::string_view(utf8).substr(at, n), &out);
      at += n;
    }
    pieces.Finish(&out);
    EXPECT_EQ(out, Convert(utf8)) << "round " << round;
  }
}

}  // namespace
}  // namespace qm

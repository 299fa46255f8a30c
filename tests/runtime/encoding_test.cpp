#include "runtime/encoding.h"

#include <gtest/gtest.h>

#include <random>

#include "runtime/text.h"
#include "runtime/wildcard.h"

namespace qm {
namespace {

TEST(Encoding, ConvertsBetweenUtf8AndGbk) {
  EXPECT_EQ(Gbk("中文"), "\xD6\xD0\xCE\xC4");
  EXPECT_EQ(Gbk("信息："), "\xD0\xC5\xCF\xA2\xA3\xBA");
  EXPECT_EQ(Gbk("\u3000"), "\xA1\xA1");  // the full-width space
  EXPECT_EQ(Gbk("abc"), "abc");
  EXPECT_EQ(Utf8FromGbk("\xD6\xD0\xCE\xC4"), "中文");
  // No GBK form, or not UTF-8 at all: "?".
  EXPECT_EQ(Gbk("a😀b"), "a?b");
  EXPECT_EQ(Gbk("a\xC3(b"), "a?(b");
  // Not GBK: the replacement character, and the conversion goes on.
  EXPECT_EQ(Utf8FromGbk("a\xFF"
                        "b"),
            "a\uFFFD"
            "b");
  EXPECT_EQ(Utf8FromGbk("\xD6\xD0\xD6"), "中\uFFFD");
}

TEST(NativeNames, EveryCharacterSurvivesTheRoundTrip) {
  for (char32_t c = 0x80; c < 0x110000; c += (c < 0x10000 ? 1 : 61)) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    std::string name = "a" + Utf8OfCodePoint(c) + "b";
    Text text = TextFromNativeName(name);
    ASSERT_EQ(NativeName(text), name) << "U+" << std::hex << static_cast<unsigned>(c);
    // The window shows it as it is, and what is typed there comes back.
    ASSERT_EQ(WindowText(text), name) << "U+" << std::hex << static_cast<unsigned>(c);
    ASSERT_EQ(WindowText(TextFromWindow(name)), name) << "U+" << std::hex << static_cast<unsigned>(c);
    // Whatever the character became, "b" stays a character of its own.
    ASSERT_EQ(FindTextBackwards(text, "b"), TextLength(text)) << std::hex << static_cast<unsigned>(c);
  }
}

TEST(NativeNames, RandomByteStringsSurviveTheRoundTrip) {
  static const char* const kPieces[] = {"a",
                                        "/",
                                        ".",
                                        "\xE2\x82\xAC" /* euro */,
                                        "\xF0\x9F\x98\x80" /* emoji */,
                                        "\xE4\xB8\xAD" /* 中 */,
                                        "\xC3\xA9",
                                        "\xFF",
                                        "\x80",
                                        "\xC3",
                                        "\xE4\xB8",
                                        "\xED\xA0\x80" /* a surrogate */,
                                        "\xEF\xBC\xA1"};
  std::mt19937 rng(4711);
  for (int n = 0; n < 50000; ++n) {
    std::string name;
    for (int k = static_cast<int>(rng() % 8); k > 0; --k) {
      if (rng() % 4 == 0) name += static_cast<char>(1 + rng() % 255);
      else name += kPieces[rng() % std::size(kPieces)];
    }
    ASSERT_EQ(NativeName(TextFromNativeName(name)), name) << testing::PrintToString(name);
  }
}

TEST(NativeNames, NamesWithAGbkFormArePlainGbk) {
  EXPECT_EQ(TextFromNativeName("中文/a.txt"), Gbk("中文/a.txt"));
  EXPECT_FALSE(HasNameEscape(Gbk("中文/a.txt")));
  EXPECT_EQ(NativeName(Gbk("中文/a.txt")), "中文/a.txt");
}

TEST(NativeNames, EscapesKeepTheCharacterGridOfTheTextOperations) {
  // An emoji, a stray byte, the euro sign (a one-byte 0x80 in code page 936,
  // which the two-byte rule would pair with the next byte) and an accented
  // letter without a GBK form in front of ".txt".
  for (std::string odd : {"😀", "\xC3", "€", "€😀", "ǅ", "\xF0\x9F"}) {
    Text name = TextFromNativeName(odd + ".txt");
    EXPECT_TRUE(HasNameEscape(name)) << odd;
    EXPECT_EQ(static_cast<unsigned char>(name[0]), 0xFF);
    EXPECT_EQ(FindText(name, ".txt"), TextLength(name) - 3) << odd;
    EXPECT_TRUE(MatchesWildcard(name, "*.txt")) << odd;
    EXPECT_EQ(NativeName(name), odd + ".txt");
  }
}

TEST(NativeNames, EscapesReachPagesAsCharacterReferences) {
  EXPECT_EQ(NameWithReferences(TextFromNativeName("感遇・其一.txt")), Gbk("感遇") + "&#x30FB;" + Gbk("其一.txt"));
  EXPECT_EQ(NameWithReferences(TextFromNativeName("€😀\xC3ǅ中.txt")),
            "&#x20AC;&#x1F600;&#xFFFD;&#x1C5;" + Gbk("中.txt"));
  EXPECT_EQ(NameWithReferences(Gbk("中文/a.txt")), Gbk("中文/a.txt"));
  EXPECT_EQ(WithDecimalReferences(Gbk("感遇&#x30FB;其一&#x1F600;&#x;&#xZ;&amp;&#x41")),
            Gbk("感遇&#12539;其一&#128512;&#x;&#xZ;&amp;&#x41"));
}

}  // namespace
}  // namespace qm

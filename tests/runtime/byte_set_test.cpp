#include "runtime/byte_set.h"

#include <gtest/gtest.h>

#include <random>

namespace qm {
namespace {

TEST(ByteSet, ToTextCutsAtTheFirstZeroByte) {
  EXPECT_EQ(ToText(ByteSet(std::string("ab\0cd", 5))), "ab");
  EXPECT_EQ(ToText(ByteSet(std::string("\0ab", 3))), "");
  EXPECT_EQ(ToText(ByteSet("\xD6\xD0")), "\xD6\xD0");
  EXPECT_EQ(ToText(ByteSet()), "");
}

TEST(ByteSet, ReplaceIsByteExactWithoutTheTwoByteRule) {
  ByteSet wide_then_a(
      "\xB0\xA1"
      "A");
  // Unlike ReplaceSubtext, the second byte of a character is matched.
  EXPECT_EQ(ReplaceSubByteSet(wide_then_a, "\xA1", "x").bytes,
            "\xB0x"
            "A");
  // No case folding.
  EXPECT_EQ(ReplaceSubByteSet(ByteSet("ABa"), "a", "x").bytes, "ABx");
  ByteSet data(std::string("a\0a\0a", 5));
  EXPECT_EQ(ReplaceSubByteSet(data, std::string("\0", 1), "-").bytes, "a-a-a");
  EXPECT_EQ(ReplaceSubByteSet(data, "a", "", 2).bytes, std::string("a\0\0", 3));
  EXPECT_EQ(ReplaceSubByteSet(data, "a", "b", 1, 2).bytes, std::string("b\0b\0a", 5));
  EXPECT_EQ(ReplaceSubByteSet(data, "a", "b", 1, 0), data);
  EXPECT_EQ(ReplaceSubByteSet(data, "a", "b", 6), data);
  EXPECT_EQ(ReplaceSubByteSet(data, "", "b"), data);
  EXPECT_EQ(ReplaceSubByteSet(ByteSet("aaa"), "a", "aa").bytes, "aaaaaa");
}

// Every replacement, short or long pattern, matches a plain left-to-right
// search: texts built of pieces of the pattern (its lead alone, the whole,
// the whole less its last byte) meet every way a candidate can fail.
TEST(ByteSet, ReplaceFindsWhatAPlainSearchFinds) {
  std::mt19937 random(7);
  const std::string long_find = std::string(40, '<') + "head" + std::string(30, 'x');
  for (const std::string& find : {std::string("<br>"), std::string("\r\n"), long_find}) {
    const std::string pieces[] = {find, find.substr(0, find.size() - 1), find.substr(0, 32), "\xB0\xA1", "<", "a"};
    for (int example = 0; example < 300; ++example) {
      std::string text;
      for (int k = static_cast<int>(random() % 12); k > 0; --k) text += pieces[random() % std::size(pieces)];
      std::string expected;
      std::size_t from = 0;
      for (std::size_t at; (at = text.find(find, from)) != std::string::npos; from = at + find.size())
        expected += text.substr(from, at - from) + "#";
      expected += text.substr(from);
      ASSERT_EQ(ReplaceSubByteSet(ByteSet(text), find, "#").bytes, expected) << text;
    }
  }
}

}  // namespace
}  // namespace qm

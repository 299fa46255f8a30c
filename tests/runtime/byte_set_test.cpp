#include "runtime/byte_set.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace qm

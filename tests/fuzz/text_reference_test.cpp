// The reference model the text fuzzer trusts, checked on the documented
// edge cases of the text operations, and a hand-made input of the fuzzer
// that must reach the comparisons without a reported difference.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fuzz_check.h"
#include "fuzz_entries.h"
#include "text_reference.h"

namespace {

namespace ref = qm::fuzz::reference;
using Pieces = std::vector<std::string>;

TEST(TextReference, FindsAtCharacterStartsOnly) {
  EXPECT_EQ(ref::FindText("ab", "b", 1, false), 2);
  EXPECT_EQ(ref::FindText("ab", "x", 1, false), -1);
  EXPECT_EQ(ref::FindText("", "", 1, false), -1);
  EXPECT_EQ(ref::FindText("\xB0\xA1"
                          "A",
                          "\xA1", 1, false),
            -1);
  EXPECT_EQ(ref::FindText("\xB0\xA1"
                          "A",
                          "a", 1, true),
            3);
  // The second byte of a two-byte character never folds its case.
  EXPECT_EQ(ref::FindText("\xB0\x41", "\xB0\x61", 1, true), -1);
  // A start on a second byte begins a new character there.
  EXPECT_EQ(ref::FindText("\xB0\xA1\xA1\xA1", "\xA1\xA1", 2, false), 2);
}

TEST(TextReference, FindsBackwardsWithinTheLimit) {
  EXPECT_EQ(ref::FindTextBackwards("abcabc", "bc", 0, false), 5);
  EXPECT_EQ(ref::FindTextBackwards("abcabc", "bc", 6, false), 2);
  EXPECT_EQ(ref::FindTextBackwards("abcabc", "bc", 3, false), -1);
  EXPECT_EQ(ref::FindTextBackwards("\xB0\xA1\xA1\xA1", "\xA1\xA1", 0, false), 3);
  // An empty sub occurs at character starts, never on a second byte.
  EXPECT_EQ(ref::FindTextBackwards("a\xB0\xA1", "", 0, false), 2);
  EXPECT_EQ(ref::FindTextBackwards("", "", 0, false), -1);
}

TEST(TextReference, ReplacesAndSplitsAsDocumented) {
  EXPECT_EQ(ref::ReplaceSubtext("abab", "b", "x", 1, 1, true), "axab");
  EXPECT_EQ(ref::ReplaceSubtext("ABC", "b", "x", 1, -1, false), "AxC");
  EXPECT_EQ(ref::ReplaceSubtext("abab", "a", "", 2, -1, true), "abb");
  EXPECT_EQ(ref::SplitText("a,,b,", ",", -1), (Pieces{"a", "", "b"}));
  EXPECT_EQ(ref::SplitText(",a", ",", -1), (Pieces{"", "a"}));
  EXPECT_EQ(ref::SplitText("a,b", ",", 1), (Pieces{"a"}));
  EXPECT_EQ(ref::SplitText("\xB0,", ",", -1), (Pieces{"\xB0,"}));
  EXPECT_EQ(ref::TrimTrailingSpaces("a \xA1\xA1 "), "a");
  EXPECT_EQ(ref::TrimTrailingSpaces("\xB0\xA1\xA1"), "\xB0\xA1\xA1");
}

std::vector<std::string> g_messages;
void Collect(const std::string& message) { g_messages.push_back(message); }

TEST(TextFuzzEntry, AgreesOnAMixedInput) {
  // Header: flags 1 (sub cut from the text), start 2, count -1, max 3, sub
  // length 2, replacement length 1, slice offset 1; then the replacement
  // and the text.
  const std::string input = std::string("\x01\x02\xFF\x03\x02\x01\x01", 7) + "x" + "a\xB0\xA1,b \xA1\xA1";
  g_messages.clear();
  auto previous = qm::fuzz::SetFailureHandler(Collect);
  qm::fuzz::FuzzTextOperations(reinterpret_cast<const std::uint8_t*>(input.data()), input.size());
  qm::fuzz::SetFailureHandler(previous);
  for (const std::string& m : g_messages) ADD_FAILURE() << m;
}

}  // namespace

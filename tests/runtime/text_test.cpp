#include "runtime/text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace qm {
namespace {

// "啊" (0xB0 0xA1) followed by the letter A.
const Text kWideThenA =
    "\xB0\xA1"
    "A";

TEST(TextSlices, ClipAtBothEndsAndGiveEmptyForBadArguments) {
  EXPECT_EQ(TextLength("\xD6\xD0"
                       "a"),
            3);
  EXPECT_EQ(TextLeft("abc", 2), "ab");
  EXPECT_EQ(TextLeft("abc", 9), "abc");
  EXPECT_EQ(TextLeft("abc", 0), "");
  EXPECT_EQ(TextLeft("abc", -1), "");
  EXPECT_EQ(TextRight("abc", 2), "bc");
  EXPECT_EQ(TextRight("abc", 9), "abc");
  EXPECT_EQ(TextRight("abc", 0), "");
  EXPECT_EQ(TextRight("abc", -4), "");
  EXPECT_EQ(TextMiddle("abcde", 2, 3), "bcd");
  EXPECT_EQ(TextMiddle("abcde", 4, 99), "de");
  EXPECT_EQ(TextMiddle("abcde", 5, 1), "e");
  EXPECT_EQ(TextMiddle("abcde", 6, 1), "");
  EXPECT_EQ(TextMiddle("abcde", 0, 2), "");
  EXPECT_EQ(TextMiddle("abcde", 2, 0), "");
  EXPECT_EQ(TextMiddle("", 1, 1), "");
}

TEST(FindText, EdgeCases) {
  EXPECT_EQ(FindText("ab", "b"), 2);
  EXPECT_EQ(FindText("ab", "c"), -1);
  EXPECT_EQ(FindText("", ""), -1);
  EXPECT_EQ(FindText("abc", ""), 1);
  EXPECT_EQ(FindText("abc", "abcd"), -1);
  EXPECT_EQ(FindText("abab", "ab", 2), 3);
  EXPECT_EQ(FindText("abab", "ab", 5), -1);
  EXPECT_EQ(FindText("abab", "ab", 0), 1);
  EXPECT_EQ(FindText("ABC", "b", 1, true), 2);
  EXPECT_EQ(FindText("ABC", "b", 1, false), -1);
}

TEST(FindText, NeverMatchesOnTheSecondByteOfACharacter) {
  EXPECT_EQ(FindText(kWideThenA, "\xA1"), -1);
  EXPECT_EQ(FindText(kWideThenA,
                     "\xA1"
                     "A"),
            -1);
  EXPECT_EQ(FindText(kWideThenA, "A"), 3);
  EXPECT_EQ(FindTextBackwards(kWideThenA, "\xA1"), -1);
  // "\xB0\xA1\xA1\xA1": two characters; "\xA1\xA1" only as the second one.
  EXPECT_EQ(FindText("\xB0\xA1\xA1\xA1", "\xA1\xA1"), 3);
  EXPECT_EQ(FindTextBackwards("\xB0\xA1\xA1\xA1", "\xA1\xA1"), 3);
}

TEST(FindText, IgnoringCaseLeavesTheSecondByteOfACharacterAlone) {
  // "癆" is 0xB0 0x41 and "癮" is 0xB0 0x61: different characters whose
  // second bytes happen to be "A" and "a".
  const Text lao = "\xB0\x41", yin = "\xB0\x61";
  EXPECT_EQ(FindText(lao, yin, 1, true), -1);
  EXPECT_EQ(FindText("x" + lao, "X" + lao, 1, true), 1);
  EXPECT_EQ(FindText(lao, "a", 1, true), -1);
  EXPECT_EQ(FindTextBackwards(lao + "a", yin, 0, true), -1);
  EXPECT_EQ(ReplaceSubtext(lao + "A", "a", "x", 1, -1, false), lao + "x");
  EXPECT_EQ(ReplaceSubtext(lao, yin, "x", 1, -1, false), lao);
}

TEST(FindTextBackwards, FindsTheLastOccurrenceWithinTheLimit) {
  EXPECT_EQ(FindTextBackwards("abcabc", "bc"), 5);
  EXPECT_EQ(FindTextBackwards("abcabc", "x"), -1);
  // Only occurrences wholly within the first limit - 1 bytes count.
  EXPECT_EQ(FindTextBackwards("abcabc", "bc", 7), 5);
  EXPECT_EQ(FindTextBackwards("abcabc", "bc", 6), 2);
  EXPECT_EQ(FindTextBackwards("abcabc", "bc", 4), 2);
  EXPECT_EQ(FindTextBackwards("abcabc", "bc", 3), -1);
  EXPECT_EQ(FindTextBackwards("aBc", "b", 0, true), 2);
}

TEST(ReplaceSubtext, EdgeCases) {
  EXPECT_EQ(ReplaceSubtext("abab", "b", "x", 1, 1), "axab");
  EXPECT_EQ(ReplaceSubtext("abab", "b", "x"), "axax");
  EXPECT_EQ(ReplaceSubtext("ABC", "b", "x", 1, -1, false), "AxC");
  EXPECT_EQ(ReplaceSubtext("ABC", "b", "x", 1, -1, true), "ABC");
  EXPECT_EQ(ReplaceSubtext("abab", "b"), "aa");
  EXPECT_EQ(ReplaceSubtext("abab", "b", "x", 3), "abax");
  EXPECT_EQ(ReplaceSubtext("abab", "b", "x", 9), "abab");
  EXPECT_EQ(ReplaceSubtext("abab", "b", "x", 1, 0), "abab");
  EXPECT_EQ(ReplaceSubtext("", "b", "x"), "");
  EXPECT_EQ(ReplaceSubtext("abc", "", "x"), "abc");
  // The scan resumes after the replacement: no replacing inside it.
  EXPECT_EQ(ReplaceSubtext("aaa", "a", "aa"), "aaaaaa");
  EXPECT_EQ(ReplaceSubtext("aaaa", "aa", "a"), "aa");
  EXPECT_EQ(ReplaceSubtext(kWideThenA, "\xA1", "x"), kWideThenA);
  EXPECT_EQ(ReplaceSubtext(kWideThenA, "\xB0\xA1", "x"), "xA");
}

TEST(SplitText, EdgeCases) {
  using V = std::vector<Text>;
  EXPECT_EQ(SplitText("a,,b,"), (V{"a", "", "b"}));
  EXPECT_EQ(SplitText(",a"), (V{"", "a"}));
  EXPECT_EQ(SplitText("a,b", ",", 1), (V{"a"}));
  EXPECT_EQ(SplitText("a,b", ",", 2), (V{"a", "b"}));
  EXPECT_EQ(SplitText("a,b,c", ",", 2), (V{"a", "b"}));
  EXPECT_EQ(SplitText(","), (V{""}));
  EXPECT_EQ(SplitText(""), V{});
  EXPECT_EQ(SplitText("a,b", ""), (V{"a,b"}));
  EXPECT_EQ(SplitText("a\r\nb\r\n", "\r\n"), (V{"a", "b"}));
  EXPECT_EQ(SplitText(kWideThenA, "\xA1"), (V{kWideThenA}));
}

TEST(TrimTrailingSpaces, RemovesAsciiAndFullWidthSpacesAtTheEndOnly) {
  EXPECT_EQ(TrimTrailingSpaces(" a b  "), " a b");
  EXPECT_EQ(TrimTrailingSpaces("a\xA1\xA1 \xA1\xA1"), "a");
  EXPECT_EQ(TrimTrailingSpaces("   "), "");
  EXPECT_EQ(TrimTrailingSpaces(""), "");
  EXPECT_EQ(TrimTrailingSpaces("a\t"), "a\t");
  // "\xB0\xA1" then a lone "\xA1": the last two bytes are 0xA1 0xA1 but
  // not one character, so no full-width space ends this text.
  EXPECT_EQ(TrimTrailingSpaces("\xB0\xA1\xA1"), "\xB0\xA1\xA1");
  EXPECT_EQ(TrimTrailingSpaces("\xB0\xA1\xA1\xA1"), "\xB0\xA1");
  EXPECT_EQ(TrimTrailingSpaces("\xB0\xA1 \xA1\xA1 "), "\xB0\xA1");
}

TEST(TextMisc, CompareNumbersAndLowerCase) {
  EXPECT_EQ(ToText(-42), "-42");
  EXPECT_EQ(ToText(0), "0");
  EXPECT_EQ(AsciiLower("AbC\xB0\x41"
                       "D"),
            "abc\xB0\x41"
            "d");
  EXPECT_TRUE(EndsWith("a.htm", ".htm"));
  EXPECT_FALSE(EndsWith("m", ".htm"));
}

// ---------------------------------------------------------------------------
// The text operations against a plain byte-by-byte model of the same rules.

namespace model {

bool IsLetter(unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// The character starts of `t` when the scan begins at byte `from`.
std::vector<std::size_t> Starts(const Text& t, std::size_t from) {
  std::vector<std::size_t> starts;
  std::size_t i = from;
  while (i < t.size()) {
    starts.push_back(i);
    bool lead = static_cast<unsigned char>(t[i]) >= 0x80 && i + 1 < t.size();
    i += lead ? 2 : 1;
  }
  return starts;
}

// Whether `s` occurs at character start `i` of `t`. Only single-byte ASCII
// letters fold when `fold` is set; both bytes of a two-byte character of `t`
// must match exactly.
bool At(const Text& t, std::size_t i, const Text& s, bool fold) {
  if (i + s.size() > t.size()) return false;
  bool second = false;
  for (std::size_t k = 0; k < s.size(); ++k) {
    auto a = static_cast<unsigned char>(t[i + k]), b = static_cast<unsigned char>(s[k]);
    bool foldable = fold && !second && IsLetter(a) && IsLetter(b);
    if (foldable ? (a | 0x20) != (b | 0x20) : a != b) return false;
    second = !second && a >= 0x80;
  }
  return true;
}

long Find(const Text& t, const Text& s, long start, bool fold) {
  if (start < 1) start = 1;
  if (start > static_cast<long>(t.size())) return -1;
  if (s.empty()) return 1;
  for (std::size_t i : Starts(t, static_cast<std::size_t>(start - 1)))
    if (At(t, i, s, fold)) return static_cast<long>(i) + 1;
  return -1;
}

long FindBackwards(const Text& t, const Text& s, long limit, bool fold) {
  std::size_t end = t.size();
  if (limit > 0 && static_cast<std::size_t>(limit - 1) < end) end = static_cast<std::size_t>(limit - 1);
  long last = -1;
  for (std::size_t i : Starts(t, 0))
    if (i + s.size() <= end && At(t, i, s, fold)) last = static_cast<long>(i) + 1;
  return last;
}

Text Replace(const Text& t, const Text& f, const Text& r, long start, long count, bool cs) {
  if (t.empty() || f.empty()) return t;
  if (start < 1) start = 1;
  if (start > static_cast<long>(t.size())) return t;
  Text out = t.substr(0, static_cast<std::size_t>(start - 1));
  std::size_t i = static_cast<std::size_t>(start - 1);
  long done = 0;
  while (i < t.size()) {
    if ((count < 0 || done < count) && At(t, i, f, !cs)) {
      out += r;
      i += f.size();
      ++done;
      continue;
    }
    std::size_t w = (static_cast<unsigned char>(t[i]) >= 0x80 && i + 1 < t.size()) ? 2 : 1;
    out += t.substr(i, w);
    i += w;
  }
  return out;
}

std::vector<Text> Split(const Text& t, const Text& sep, long max) {
  std::vector<Text> pieces;
  if (t.empty()) return pieces;
  if (sep.empty()) return {t};
  std::size_t piece = 0, i = 0;
  while (i < t.size()) {
    if (At(t, i, sep, false)) {
      pieces.push_back(t.substr(piece, i - piece));
      if (max > 0 && static_cast<long>(pieces.size()) == max) return pieces;
      i += sep.size();
      piece = i;
    } else {
      i += (static_cast<unsigned char>(t[i]) >= 0x80 && i + 1 < t.size()) ? 2 : 1;
    }
  }
  if (piece < t.size()) pieces.push_back(t.substr(piece));
  return pieces;
}

Text Trim(const Text& t) {
  std::size_t keep = 0;
  std::vector<std::size_t> starts = Starts(t, 0);
  for (std::size_t k = 0; k < starts.size(); ++k) {
    std::size_t i = starts[k], end = k + 1 < starts.size() ? starts[k + 1] : t.size();
    Text c = t.substr(i, end - i);
    if (c != " " && c != "\xA1\xA1") keep = end;
  }
  return t.substr(0, keep);
}

}  // namespace model

class TextModelCheck : public ::testing::Test {
 protected:
  // Pieces of GBK-ish text: ASCII letters of both cases, separators, lead
  // bytes alone and in pairs, the full-width space, and characters whose
  // second byte is an ASCII letter.
  Text Piece() {
    static const char* const kPieces[] = {"a",        "A",        "b",        "B",    ",",        ",",
                                          " ",        "\r\n",     "\xA1",     "\xB0", "\xB0\xA1", "\xA1\xA1",
                                          "\xB0\x41", "\xB0\x61", "\xD6\xD0", "\x81", "\xFF"};
    return kPieces[rng_() % std::size(kPieces)];
  }
  Text RandomText(int max_pieces) {
    Text t;
    int n = static_cast<int>(rng_() % static_cast<unsigned>(max_pieces + 1));
    for (int k = 0; k < n; ++k) t += Piece();
    return t;
  }
  // A pattern: often a slice of `t` at any byte offset (so that it may
  // begin on a second byte), otherwise random pieces.
  Text Pattern(const Text& t) {
    if (!t.empty() && rng_() % 2) {
      std::size_t at = rng_() % t.size();
      return t.substr(at, 1 + rng_() % 3);
    }
    Text p = RandomText(3);
    return p.empty() ? Piece() : p;
  }
  long Position(const Text& t) { return static_cast<long>(rng_() % (t.size() + 3)) - 1; }
  std::mt19937 rng_{20240611};
};

TEST_F(TextModelCheck, FindTextAgreesWithTheModel) {
  for (int n = 0; n < 20000; ++n) {
    Text t = RandomText(12), s = Pattern(t);
    long start = Position(t);
    bool fold = rng_() % 2;
    ASSERT_EQ(FindText(t, s, start, fold), model::Find(t, s, start, fold))
        << testing::PrintToString(t) << " " << testing::PrintToString(s) << " " << start;
  }
}

TEST_F(TextModelCheck, FindTextBackwardsAgreesWithTheModel) {
  for (int n = 0; n < 20000; ++n) {
    Text t = RandomText(12), s = Pattern(t);
    long limit = Position(t);
    bool fold = rng_() % 2;
    ASSERT_EQ(FindTextBackwards(t, s, limit, fold), model::FindBackwards(t, s, limit, fold))
        << testing::PrintToString(t) << " " << testing::PrintToString(s) << " " << limit;
  }
}

TEST_F(TextModelCheck, ReplaceSubtextAgreesWithTheModel) {
  for (int n = 0; n < 20000; ++n) {
    Text t = RandomText(12), f = Pattern(t), r = RandomText(2);
    long start = Position(t);
    long count = static_cast<long>(rng_() % 4) - 1;
    bool cs = rng_() % 2;
    const Text before = t;
    ASSERT_EQ(ReplaceSubtext(t, f, r, start, count, cs), model::Replace(t, f, r, start, count, cs))
        << testing::PrintToString(t) << " " << testing::PrintToString(f) << " start " << start << " count " << count
        << " cs " << cs;
    ASSERT_EQ(t, before);
  }
}

// Finds that begin with one byte and differ in the next, and an ASCII
// replacement without that byte: one scan replaces as a scan for each in
// turn does.
TEST_F(TextModelCheck, ReplaceEachSubtextAgreesWithOneFindAfterAnother) {
  static const char* const kTags[] = {"<",  "<b",   "<br>",     "<BR>", "<Br>", "<br",
                                      "<h", "<hr>", "<HR></x>", "</X>", "</x"};
  for (int n = 0; n < 20000; ++n) {
    Text t;
    for (int k = static_cast<int>(rng_() % 14); k > 0; --k)
      t += rng_() % 3 ? Piece() : Text(kTags[rng_() % std::size(kTags)]);
    const Text r = rng_() % 2 ? Text("\r\n") : RandomText(2);
    if (r.find('<') != Text::npos || std::any_of(r.begin(), r.end(), [](char c) { return c & 0x80; })) continue;
    const bool cs = rng_() % 2;
    Text one_by_one = t;
    for (const char* f : {"<br>", "<hr></x>", "</x>"}) one_by_one = ReplaceSubtext(one_by_one, f, r, 1, -1, cs);
    ASSERT_EQ(ReplaceEachSubtext(t, {"<br>", "<hr></x>", "</x>"}, r, cs), one_by_one)
        << testing::PrintToString(t) << " " << testing::PrintToString(r) << " cs " << cs;
  }
}

TEST_F(TextModelCheck, SplitTextAgreesWithTheModel) {
  static const char* const kSeparators[] = {",", "\r\n", " ", "\xA1", "\xB0\xA1", ",,", "a"};
  for (int n = 0; n < 20000; ++n) {
    Text t = RandomText(12);
    Text sep = rng_() % 4 ? Text(kSeparators[rng_() % std::size(kSeparators)]) : Pattern(t);
    long max = static_cast<long>(rng_() % 5) - 1;
    ASSERT_EQ(SplitText(t, sep, max), model::Split(t, sep, max))
        << testing::PrintToString(t) << " " << testing::PrintToString(sep) << " " << max;
  }
}

TEST_F(TextModelCheck, TrimTrailingSpacesAgreesWithTheModel) {
  for (int n = 0; n < 20000; ++n) {
    Text t = RandomText(10);
    ASSERT_EQ(TrimTrailingSpaces(t), model::Trim(t)) << testing::PrintToString(t);
  }
}

}  // namespace
}  // namespace qm

#include "runtime/wildcard.h"

#include <gtest/gtest.h>

#include "runtime/encoding.h"

namespace qm {
namespace {

TEST(Wildcard, StarQuestionMarkAndCase) {
  EXPECT_TRUE(MatchesWildcard("a.txt", "*.txt"));
  EXPECT_TRUE(MatchesWildcard("A.TXT", "*.txt"));
  EXPECT_TRUE(MatchesWildcard("a.txt", "*.TXT"));
  EXPECT_TRUE(MatchesWildcard("Chapter1.htm", "c*1.HTM"));
  EXPECT_FALSE(MatchesWildcard("a.txt", "*.htm"));
  EXPECT_TRUE(MatchesWildcard("ab.txt", "a?.txt"));
  EXPECT_FALSE(MatchesWildcard("a.txt", "a?.txt"));
  EXPECT_FALSE(MatchesWildcard("abc.txt", "a?.txt"));
  EXPECT_TRUE(MatchesWildcard("abc", "a*c"));
  EXPECT_TRUE(MatchesWildcard("ac", "a*c"));
  EXPECT_TRUE(MatchesWildcard("abcbc", "*bc"));
  EXPECT_FALSE(MatchesWildcard("abcb", "*bc"));
  EXPECT_TRUE(MatchesWildcard("", "*"));
  EXPECT_TRUE(MatchesWildcard("a.txt", "a.txt"));
}

TEST(Wildcard, StarDotStarMatchesEveryName) {
  for (const char* name : {"abc", "a.b.c", ".hidden", "x.", "noext"}) {
    EXPECT_TRUE(MatchesWildcard(name, "*.*")) << name;
    EXPECT_TRUE(MatchesWildcard(name, "*")) << name;
  }
}

TEST(Wildcard, QuestionMarkTakesATwoByteCharacterWhole) {
  EXPECT_TRUE(MatchesWildcard(Gbk("中.txt"), "?.txt"));
  EXPECT_FALSE(MatchesWildcard(Gbk("中.txt"), "??.txt"));
  EXPECT_TRUE(MatchesWildcard(Gbk("中文.txt"), "??.txt"));
  EXPECT_TRUE(MatchesWildcard(Gbk("中文.txt"), Gbk("中?.TXT")));
  EXPECT_TRUE(MatchesWildcard(Gbk("第1章.htm"), Gbk("第?章.htm")));
}

TEST(Wildcard, TwoByteCharactersMatchWholeAndExactly) {
  // The bytes of "中" (0xD6 0xD0) sit across two characters here.
  const Text across = "\xB0\xD6\xD0\xA1";
  EXPECT_FALSE(MatchesWildcard(across, Gbk("*中*")));
  EXPECT_TRUE(MatchesWildcard(Gbk("一中二"), Gbk("*中*")));
  // 0xB0 0x41 and 0xB0 0x61 are different characters, not two cases.
  EXPECT_FALSE(MatchesWildcard("\xB0\x41", "\xB0\x61"));
  EXPECT_FALSE(MatchesWildcard("\xB0\x41", "*\x61"));
}

TEST(Wildcard, ThreeCharacterExtensionAlsoMatchesLongerExtensions) {
  EXPECT_TRUE(MatchesWildcard("a.html", "*.htm"));
  EXPECT_TRUE(MatchesWildcard("a.HTML", "*.htm"));
  EXPECT_TRUE(MatchesWildcard("a.txt1", "*.txt"));
  EXPECT_TRUE(MatchesWildcard("x.y.html", "*.htm"));
  EXPECT_TRUE(MatchesWildcard("index.html", "ind*.htm"));
  EXPECT_FALSE(MatchesWildcard("page.html", "ind*.htm"));
  EXPECT_FALSE(MatchesWildcard("a.ht", "*.htm"));
  EXPECT_FALSE(MatchesWildcard("a.xhtml", "*.htm"));
  EXPECT_FALSE(MatchesWildcard("a.txt.bak", "*.txt"));
  // Only an extension of exactly three characters without wildcards.
  EXPECT_FALSE(MatchesWildcard("a.html", "*.ht"));
  EXPECT_FALSE(MatchesWildcard("a.htmlx", "*.html"));
  EXPECT_FALSE(MatchesWildcard("a.html", "*.h?m"));
}

TEST(Wildcard, HasWildcard) {
  EXPECT_TRUE(HasWildcard("*.txt"));
  EXPECT_TRUE(HasWildcard("a?"));
  EXPECT_FALSE(HasWildcard(Gbk("中文.txt")));
}

}  // namespace
}  // namespace qm

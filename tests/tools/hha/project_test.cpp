// The names projects and contents files hold, as the compiler reads them.
#include <gtest/gtest.h>

#include "book_fixture.h"
#include "book_paths.h"
#include "sitemap_links.h"
#include "system_files.h"

namespace {

using hha_test::Gbk;

TEST(BookPaths, BothSeparatorsAndChineseNames) {
  hha::BookPath p = hha::ToBookPath(Gbk("第一章\\子/页.htm"));
  ASSERT_TRUE(p.ok);
  EXPECT_EQ(p.name, "第一章/子/页.htm");
  EXPECT_EQ(hha::ToBookPath(".\\a\\\\b\\..\\c.htm").name, "a/c.htm");
  EXPECT_EQ(hha::ToBookPath("/a.htm").name, "a.htm");
}

TEST(BookPaths, NamesOutsideTheBookAreRefused) {
  EXPECT_FALSE(hha::ToBookPath("..\\secret.txt").ok);
  EXPECT_FALSE(hha::ToBookPath("a\\..\\..\\x").ok);
  EXPECT_FALSE(hha::ToBookPath("C:\\books\\a.htm").ok);
  EXPECT_FALSE(hha::ToBookPath("http://example.com/a.htm").ok);
  EXPECT_FALSE(hha::ToBookPath("ms-its:other.chm::/a.htm").ok);
  EXPECT_FALSE(hha::ToBookPath("\\").ok);
  EXPECT_FALSE(hha::ToBookPath(std::string("\x81", 1)).ok);  // truncated GBK character
}

TEST(SitemapLinks, LocalValuesInAnySpelling) {
  std::string text = hha_test::TabContents({{"a", "a.htm"}, {"b", "ch1\\b.htm"}}) +
                     "<param NAME='local' VALUE='c.htm#part'><PARAM name=\"Name\" value=\"x\">"
                     "<param name=Local value=d.htm>"
                     "<param name=\"Local\" value=\"o<p>.htm\"><param name=Local value=it's.htm>";
  std::vector<std::string> links = hha::SitemapLocalLinks(text);
  ASSERT_EQ(links.size(), 6u);
  EXPECT_EQ(links[4], "o<p>.htm");  // a ">" inside quotes does not end the tag
  EXPECT_EQ(links[5], "it's.htm");
  EXPECT_EQ(links[0], "a.htm");
  EXPECT_EQ(links[1], "ch1\\b.htm");
  EXPECT_EQ(hha::LinkFilePart(links[2]), "c.htm");
  EXPECT_EQ(links[3], "d.htm");
}

}  // namespace

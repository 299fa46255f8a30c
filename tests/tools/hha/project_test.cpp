// Reading projects as the CHM tab writes them, and the names they hold.
#include <gtest/gtest.h>

#include "book_fixture.h"
#include "book_paths.h"
#include "runtime/hhp_project.h"
#include "sitemap_links.h"
#include "system_files.h"

namespace {

using hha_test::Gbk;

bool HasWarningContaining(const hha::HhpProject& p, const std::string& part) {
  for (const std::string& w : p.warnings)
    if (w.find(part) != std::string::npos) return true;
  return false;
}

TEST(ProjectReading, TabProjectTakesContentsFileFromTheDefaultWindow) {
  std::string text = hha_test::TabProject("名字", "第一章\\页.htm", {"第一章\\页.htm", "a.htm"});
  hha::HhpProject p = hha::ParseProject(text);
  EXPECT_EQ(p.compiled_file, Gbk("名字.chm"));
  EXPECT_EQ(p.contents_file, Gbk("名字.hhc"));
  EXPECT_EQ(p.default_topic, Gbk("第一章\\页.htm"));
  EXPECT_EQ(p.default_window, "win");
  EXPECT_EQ(p.title, Gbk("名字"));
  EXPECT_EQ(p.language, 0x804u);
  EXPECT_FALSE(p.display_progress);
  ASSERT_EQ(p.files.size(), 2u);
  EXPECT_EQ(p.files[0], Gbk("第一章\\页.htm"));
  ASSERT_EQ(p.windows.size(), 1u);
  const hha::WindowDefinition& w = p.windows[0];
  EXPECT_EQ(w.caption, Gbk("名字"));
  EXPECT_EQ(w.home_file, Gbk("第一章\\页.htm"));
  EXPECT_EQ(w.nav_style.value_or(0), 0x040120u);
  EXPECT_EQ(w.buttons.value_or(0), 0x304Eu);
  ASSERT_TRUE(w.rect.has_value());
  EXPECT_EQ((*w.rect)[2], 1010);
  EXPECT_EQ((*w.rect)[3], 738);
  EXPECT_TRUE(p.warnings.empty());
}

TEST(ProjectReading, ContentsFileLineWinsAndNoOwnContentsLeavesNone) {
  std::string base = hha_test::TabProject("book", "a.htm", {"a.htm"});
  hha::HhpProject given = hha::ParseProject("[OPTIONS]\r\nContents file=toc.hhc\r\n" + base.substr(11));
  EXPECT_EQ(given.contents_file, "toc.hhc");

  // "不自建目录" removes the contents name, leaving an empty quoted field.
  std::string stripped = base;
  stripped.replace(stripped.find("book.hhc"), 8, "");
  hha::HhpProject none = hha::ParseProject(stripped);
  EXPECT_TRUE(none.contents_file.empty());
  EXPECT_EQ(none.default_topic, "a.htm");

  hha::HhpProject empty_line = hha::ParseProject("[OPTIONS]\r\nContents file=\r\n" + base.substr(11));
  EXPECT_TRUE(empty_line.contents_file.empty());
}

TEST(ProjectReading, EmptyFileListAndTemplateEnding) {
  hha::HhpProject p = hha::ParseProject(hha_test::TabProject("book", "a.htm", {}));
  EXPECT_TRUE(p.files.empty());
  EXPECT_TRUE(p.warnings.empty());
}

TEST(ProjectReading, LanguageAndOptionsNotBuiltAreReported) {
  hha::HhpProject p = hha::ParseProject(
      "[OPTIONS]\nLanguage=0x409 English (United States)\nFull-text search=Yes\nBinary TOC=No\n"
      "Display compile progress=Yes\nMystery=1\nTitle=Title text\n[MAP]\n#define A 1\n[ALIAS]\n");
  EXPECT_EQ(p.language, 0x409u);
  EXPECT_TRUE(p.display_progress);
  EXPECT_EQ(p.title, "Title text");
  EXPECT_TRUE(p.full_text_search) << "the search index is built";
  EXPECT_FALSE(HasWarningContaining(p, "Full-text search"));
  EXPECT_FALSE(HasWarningContaining(p, "Binary TOC"));
  EXPECT_TRUE(HasWarningContaining(p, "Mystery"));
  EXPECT_TRUE(HasWarningContaining(p, "[MAP]"));
  EXPECT_FALSE(HasWarningContaining(p, "[ALIAS]"));  // empty sections ask for nothing
  hha::HhpProject bad = hha::ParseProject("[OPTIONS]\nLanguage=Chinese\n");
  EXPECT_EQ(bad.language, 0x804u);
  EXPECT_EQ(bad.warnings.size(), 1u);
}

TEST(ProjectReading, UndefinedDefaultWindowIsReported) {
  hha::HhpProject p = hha::ParseProject("[OPTIONS]\nDefault Window=main\n[WINDOWS]\nwin=\"t\",\"x.hhc\"\n");
  EXPECT_TRUE(p.contents_file.empty());
  EXPECT_TRUE(HasWarningContaining(p, "main"));
}

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

// Reading projects as the CHM tab writes them.
#include "runtime/hhp_project.h"

#include <gtest/gtest.h>

#include "runtime/encoding.h"
#include "support/tab_project.h"

namespace qm {
namespace {

std::string TabProject(const std::string& book, const std::string& home, const std::vector<std::string>& files) {
  return Gbk(TabProjectUtf8(book, home, files));
}

bool HasWarningContaining(const qm::HhpProject& p, const std::string& part) {
  for (const std::string& w : p.warnings)
    if (w.find(part) != std::string::npos) return true;
  return false;
}

TEST(ProjectReading, TabProjectTakesContentsFileFromTheDefaultWindow) {
  std::string text = TabProject("名字", "第一章\\页.htm", {"第一章\\页.htm", "a.htm"});
  qm::HhpProject p = qm::ParseProject(text);
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
  const qm::WindowDefinition& w = p.windows[0];
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
  std::string base = TabProject("book", "a.htm", {"a.htm"});
  qm::HhpProject given = qm::ParseProject("[OPTIONS]\r\nContents file=toc.hhc\r\n" + base.substr(11));
  EXPECT_EQ(given.contents_file, "toc.hhc");

  // "不自建目录" removes the contents name, leaving an empty quoted field.
  std::string stripped = base;
  stripped.replace(stripped.find("book.hhc"), 8, "");
  qm::HhpProject none = qm::ParseProject(stripped);
  EXPECT_TRUE(none.contents_file.empty());
  EXPECT_EQ(none.default_topic, "a.htm");

  qm::HhpProject empty_line = qm::ParseProject("[OPTIONS]\r\nContents file=\r\n" + base.substr(11));
  EXPECT_TRUE(empty_line.contents_file.empty());
}

TEST(ProjectReading, EmptyFileListAndTemplateEnding) {
  qm::HhpProject p = qm::ParseProject(TabProject("book", "a.htm", {}));
  EXPECT_TRUE(p.files.empty());
  EXPECT_TRUE(p.warnings.empty());
}

TEST(ProjectReading, LanguageAndOptionsNotBuiltAreReported) {
  qm::HhpProject p = qm::ParseProject(
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
  qm::HhpProject bad = qm::ParseProject("[OPTIONS]\nLanguage=Chinese\n");
  EXPECT_EQ(bad.language, 0x804u);
  EXPECT_EQ(bad.warnings.size(), 1u);
}

TEST(ProjectReading, UndefinedDefaultWindowIsReported) {
  qm::HhpProject p = qm::ParseProject("[OPTIONS]\nDefault Window=main\n[WINDOWS]\nwin=\"t\",\"x.hhc\"\n");
  EXPECT_TRUE(p.contents_file.empty());
  EXPECT_TRUE(HasWarningContaining(p, "main"));
}

}  // namespace
}  // namespace qm

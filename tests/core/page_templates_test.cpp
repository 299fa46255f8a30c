// The templates are written into pages byte for byte: pin their sizes, line
// structure, placeholders and a few GBK bytes.

#include "core/page_templates.h"

#include <gtest/gtest.h>

#include "runtime/text.h"

namespace qm {
namespace {

long Count(const Text& text, std::string_view sub) {
  long n = 0;
  for (std::size_t at = text.find(sub); at != Text::npos; at = text.find(sub, at + sub.size())) ++n;
  return n;
}

TEST(BookPageTemplate, HasItsSizeLinesAndPlaceholders) {
  const Text& page = BookPageTemplate();
  EXPECT_EQ(page.size(), 1893u);
  EXPECT_EQ(Count(page, "\r\n"), 31);
  EXPECT_EQ(Count(page, "\r"), 31);
  EXPECT_EQ(Count(page, "\n"), 31);
  for (const char* twice : {"[GOP]", "[GOI]", "[GON]"}) EXPECT_EQ(Count(page, twice), 2) << twice;
  for (const char* once : {"[PART1]", "[PART0]", "[time]"}) EXPECT_EQ(Count(page, once), 1) << once;

  std::vector<Text> lines = SplitText(page, "\r\n");
  ASSERT_EQ(lines.size(), 32u);
  EXPECT_EQ(lines[8], "");
  EXPECT_EQ(lines[19], "");
  EXPECT_EQ(lines[24], "");
  EXPECT_EQ(lines[23], "<tr><td><pre><span class=text1>[PART0]</pre></span></td></tr>");
  EXPECT_EQ(lines[18], R"(<div align="center">[PART1]</div></td></tr>)");
  EXPECT_EQ(lines[13], R"(<td  background="PAPER10.JPG" bgcolor="#669999">)");
  EXPECT_TRUE(EndsWith(page, "<br></div></body></html>"));
  // The fixed title 倾情制作 in code page 936.
  EXPECT_NE(page.find("<title>\xC7\xE3\xC7\xE9\xD6\xC6\xD7\xF7</title>"), Text::npos);
  // 楷体_GB2312 and 创建时间：
  EXPECT_NE(page.find("\"\xBF\xAC\xCC\xE5_GB2312\""), Text::npos);
  EXPECT_NE(page.find("\xB4\xB4\xBD\xA8\xCA\xB1\xBC\xE4\xA3\xBA[time]"), Text::npos);
}

TEST(PageTemplates, OtherTemplatesHaveTheirSizes) {
  EXPECT_EQ(ContentsHeading().size(), 137u);
  EXPECT_EQ(Count(ContentsHeading(), "\r\n"), 2);
  EXPECT_TRUE(EndsWith(ContentsHeading(), "<br><br><br>"));

  EXPECT_EQ(FramedPageHead().size(), 844u);
  EXPECT_EQ(FramedPageHead().find_first_of("\r\n"), Text::npos);
  EXPECT_TRUE(EndsWith(FramedPageHead(), R"(<td width="96%" id="Content">)"));

  EXPECT_EQ(FramedPageTail().size(), 71u);
  EXPECT_EQ(PlainPageHead().size(), 230u);
  EXPECT_EQ(Count(PlainPageHead(), "\r\n"), 5);
  EXPECT_NE(PlainPageHead().find("<table width=\"700\" align=\"center\">  \r\n"), Text::npos);
  EXPECT_EQ(kPlainPageTail.size(), 14u);
}

TEST(PageTemplates, FragmentsHaveTheirBytes) {
  EXPECT_EQ(kWrapLineBreak.size(), 22u);
  EXPECT_EQ(PreviousPageLink("009"), "<a href=009.htm><font size=\"2\">\xC9\xCF\xD2\xBB\xD2\xB3</font></a>");
  EXPECT_EQ(NextPageLink("1000"), "<a href=1000.htm><font size=\"2\">\xCF\xC2\xD2\xBB\xD2\xB3</font></a>");
  EXPECT_EQ(ContentsPageLink(), "<a href=\"index.htm\"><font size=\"2\">\xC4\xBF\xC2\xBC\xD2\xB3</font></a>");
  EXPECT_EQ(ContentsEntry("010", "x"),
            "<img src=\"icon.gif\">      <A HREF=010.htm><font size=4>x</font></A><BR><BR>\r\n");
}

TEST(DecorationAlphabet, HoldsTheFiftySixCharactersInOrder) {
  const std::vector<Text>& a = DecorationAlphabet();
  ASSERT_EQ(a.size(), 56u);
  Text ascii_head;
  for (int i = 0; i < 12; ++i) ascii_head += a[i];
  EXPECT_EQ(ascii_head, "\\*+^$()[]{}|");
  for (int i = 0; i < 26; ++i) EXPECT_EQ(a[12 + i], Text(1, static_cast<char>('a' + i)));
  const std::vector<Text> tail = {"\xA3\xA8", "\xA3\xA9", "-", "\xA3\xAD", "\xA3\xBD", "=", "_", " ", ":",
                                  "\xA3\xAB", "~",        "&", "`",        "'",        "#", "@", "%", "/"};
  EXPECT_EQ(std::vector<Text>(a.begin() + 38, a.end()), tail);
}

}  // namespace
}  // namespace qm

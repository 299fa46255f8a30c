// Building the pages of a paged book: numbers, backup folder, titles, the
// body with and without wrapping and decoration, links and contents page.

#include "core/book_page.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "core/decoration_check.h"
#include "core/page_templates.h"
#include "runtime/encoding.h"

namespace qm {
namespace {

// The text between `before` and the next `after` in `page`.
Text Between(const Text& page, std::string_view before, std::string_view after) {
  std::size_t start = page.find(before);
  if (start == Text::npos) return "<missing>";
  start += before.size();
  std::size_t end = page.find(after, start);
  return end == Text::npos ? "<missing>" : page.substr(start, end - start);
}

// The title cell of line 19.
constexpr std::string_view kTitleCell = "bgcolor=\"#C7E2DA\">\r\n<div align=\"center\">";

// The text cell of line 24 on a contents page.
constexpr std::string_view kListCell = "bordercolorlight=\"#669999\" >\r\n<tr><td>";

// The previous, contents and next links of the top bar (line 17).
Text TopLinks(const Text& page) { return Between(page, "<td><p align=\"right\" >", "</td></tr></table>"); }

TEST(PageNumberText, PadsToThreeDigits) {
  EXPECT_EQ(PageNumberText(0), "000");
  EXPECT_EQ(PageNumberText(9), "009");
  EXPECT_EQ(PageNumberText(10), "010");
  EXPECT_EQ(PageNumberText(99), "099");
  EXPECT_EQ(PageNumberText(100), "100");
  EXPECT_EQ(PageNumberText(1000), "1000");
  EXPECT_EQ(PageFileName(10), "010.htm");
}

TEST(BackupFolder, InheritedIsASiblingOrInsideWithTrailingSeparator) {
  EXPECT_EQ(BackupFolder("/books/novel"), "/books/bak");
  EXPECT_EQ(BackupFolder("/books/"), "/books/bak");
  EXPECT_EQ(BackupFolder("/novel"), "/bak");
  EXPECT_EQ(BackupFolder("novel"), "bak");
  // A name with a two-byte character before the separator (书/小说).
  EXPECT_EQ(BackupFolder("/\xCA\xE9/\xD0\xA1\xCB\xB5"), "/\xCA\xE9/bak");
}

TEST(BookTitles, PageTitleKeepsUpperCaseExtensionContentsEntryDoesNot) {
  EXPECT_EQ(BookPageTitle("X.TXT"), "X.TXT");
  EXPECT_EQ(ContentsEntryTitle("X.TXT"), "X");
  EXPECT_EQ(BookPageTitle("a.txt.txt"), "a");
  EXPECT_EQ(BookPageTitle("a.Txt"), "a.Txt");
}

TEST(BookTitles, NamesBecomeHtmlTextWithoutDoubleEscapes) {
  const std::pair<Text, Text> cases[] = {{"01<!--.txt", "01&lt;!--"},
                                         {"<script>alert(1)</script>.txt", "&lt;script&gt;alert(1)&lt;/script&gt;"},
                                         {"a&amp;b.txt", "a&amp;amp;b"},
                                         {TextFromNativeName("<\xF0\x9F\x98\x80>&.txt"), "&lt;&#x1F600;&gt;&amp;"},
                                         {Gbk("中文.txt"), Gbk("中文")}};
  for (const auto& [name, title] : cases) {
    EXPECT_EQ(ContentsEntryTitle(name), title);
    EXPECT_EQ(BookPageTitle(name), title);
  }
}

class BookPageTest : public ::testing::Test {
 protected:
  Text Page(const Text& name, std::string_view data, long index, long count, bool wrap, bool decorate) {
    BookPageOptions options;
    options.wrap_lines = wrap;
    options.decorate = decorate;
    return BuildBookPage(name, ByteSet(std::string(data)), index, count, "2024-5-7", options, random_);
  }
  Random random_;
};

TEST_F(BookPageTest, WithoutWrappingTheBodyStaysInsidePre) {
  Text page = Page("a.txt", "A\r\nB", 0, 1, false, false);
  EXPECT_EQ(Between(page, "<pre><span class=text1>", "</pre></span>"), "A\r\nB");
  EXPECT_EQ(Between(page, kTitleCell, "</div></td></tr>"), "a");
  EXPECT_EQ(page.find("[time]"), Text::npos);
  EXPECT_NE(page.find("\xA3\xBA"
                      "2024-5-7</font>"),
            Text::npos);
}

TEST_F(BookPageTest, DecorationAloneChangesNothing) {
  EXPECT_EQ(Page("a.txt", "A\r\nB", 0, 1, false, true), Page("a.txt", "A\r\nB", 0, 1, false, false));
}

TEST_F(BookPageTest, WrappingReplacesLineBreaksAndRemovesPre) {
  Text page = Page("a.txt", "A\r\nB", 0, 1, true, false);
  EXPECT_EQ(page.find("<pre>"), Text::npos);
  EXPECT_EQ(page.find("</pre>"), Text::npos);
  EXPECT_EQ(Between(page, "<tr><td><span class=text1>", "</span></td></tr>"), "A<br>&nbsp;&nbsp;&nbsp;B");
}

TEST_F(BookPageTest, WrappingRemovesPreInsideTheTextToo) {
  Text page = Page("a.txt", "<pre>x</pre>", 0, 1, true, false);
  EXPECT_EQ(Between(page, "<tr><td><span class=text1>", "</span></td></tr>"), "x</pre>");
}

TEST_F(BookPageTest, DecorationFollowsEveryLine) {
  Text page = Page("a.txt", "A\r\nB", 0, 1, true, true);
  Text body = Between(page, "<tr><td><span class=text1>", "</span></td></tr>");
  EXPECT_EQ(MaskDecorations(body), "A{D}&nbsp;&nbsp;&nbsp;B{D}");
}

TEST_F(BookPageTest, DecorationDrawsItsCharactersAtRandom) {
  Text text(200, 'x');
  for (int i = 0; i < 60; ++i) text += "<br>y";
  Text decorated = Decorate(text, random_);
  EXPECT_EQ(MaskDecorations(decorated).find("font"), Text::npos);
  // 61 runs of nine characters: the draws are not all the same character.
  std::size_t distinct = 0;
  for (const Text& c : DecorationAlphabet()) distinct += decorated.find(Text(kDecorationOpen) + c) != Text::npos;
  EXPECT_GT(distinct, 10u);
}

TEST_F(BookPageTest, BodyEndsBeforeAZeroByteAndIsNotEscaped) {
  Text page = Page("a.txt", std::string("<b>&amp;\0tail", 13), 0, 1, false, false);
  EXPECT_EQ(Between(page, "<pre><span class=text1>", "</pre></span>"), "<b>&amp;");
}

TEST_F(BookPageTest, LinksOfFirstMiddleLastAndOnlyPage) {
  const Text prev = PreviousPageLink("099"), next = NextPageLink("101");
  const Text& index = ContentsPageLink();
  EXPECT_EQ(TopLinks(Page("a.txt", "", 0, 3, false, false)), " " + index + " " + NextPageLink("001"));
  EXPECT_EQ(TopLinks(Page("a.txt", "", 100, 200, false, false)), prev + " " + index + " " + next);
  EXPECT_EQ(TopLinks(Page("a.txt", "", 2, 3, false, false)), PreviousPageLink("001") + " " + index + " ");
  Text only = Page("a.txt", "", 0, 1, false, false);
  EXPECT_EQ(TopLinks(only), " " + index + " ");
  // The bottom bar carries the same links.
  EXPECT_EQ(Between(only, "<p align=\"right\" class=\"9\">", "</td></tr>"), " " + index + " ");
}

TEST_F(BookPageTest, InheritedPlaceholdersInTheTextAreFilledToo) {
  Text page = Page("[GON].txt", "[time] [GOP]", 1, 2, false, false);
  EXPECT_EQ(Between(page, "<pre><span class=text1>", "</pre></span>"), "2024-5-7 " + PreviousPageLink("000"));
  EXPECT_EQ(Between(page, kTitleCell, "</div></td></tr>"), "");
}

// The page as the fills over the whole page make it, one after the other.
Text PageByWholePageFills(const Text& name, const Text& data, long index, long count, const Text& date,
                          const BookPageOptions& options, Random& random) {
  Text page = ReplaceSubtext(BookPageTemplate(), "[PART1]", BookPageTitle(name));
  if (options.wrap_lines) {
    Text body = ToText(WrapLines(ByteSet(data)));
    if (options.decorate) body = Decorate(body, random);
    page = ReplaceSubtext(ReplaceSubtext(page, "[PART0]</pre>", body), "<pre>");
  } else {
    page = ReplaceSubtext(page, "[PART0]", ToText(ByteSet(data)));
  }
  page = ReplaceSubtext(page, "[GOP]", index > 0 ? PreviousPageLink(PageNumberText(index - 1)) : Text());
  page = ReplaceSubtext(page, "[GOI]", ContentsPageLink());
  page = ReplaceSubtext(page, "[GON]", index + 1 < count ? NextPageLink(PageNumberText(index + 1)) : Text());
  return ReplaceSubtext(page, "[time]", date);
}

// Names and texts made of placeholders, line ends, markup, two-byte
// characters, stray first bytes and zero bytes give the same page.
TEST(BookPage, EqualsTheWholePageFills) {
  const std::string pieces[] = {"[PART1]", "[PART0]</pre>",
                                "[PART0]", "<pre>",
                                "</pre>",  "[GOP]",
                                "[GOI]",   "[GON]",
                                "[time]",  "[GO",
                                "P]",      "\r\n",
                                "<br>",    "<b",
                                "r>",      "\xB0\xA1",
                                "\xB0",    "[",
                                "]",       ".txt",
                                "text ",   std::string(1, '\0')};
  std::mt19937 rng(17);
  std::uniform_int_distribution<int> pick(0, std::size(pieces) - 1), length(0, 12);
  auto make = [&] {
    std::string s;
    for (int n = length(rng); n > 0; --n) s += pieces[pick(rng)];
    return s;
  };
  for (int round = 0; round < 2000; ++round) {
    const Text name = make(), data = make(), date = round % 3 ? "2024-5-7" : make();
    BookPageOptions options;
    options.wrap_lines = round % 3 != 0;
    options.decorate = round % 2 == 0;
    const long count = 1 + round % 3, index = round % count;
    Random ours, model;
    ours.Seed(round);
    model.Seed(round);
    ASSERT_EQ(BuildBookPage(name, ByteSet(data), index, count, date, options, ours),
              PageByWholePageFills(name, data, index, count, date, options, model))
        << "round " << round;
  }
}

// A wrapped, decorated body arriving in pieces of any sizes comes out of
// the one-pass form as out of the general steps: texts of line ends, lone
// CRs, two-byte characters, stray first bytes, zero bytes, brackets and a
// rare "<", cut anywhere, flushed at any size.
TEST(BookPage, OnePassBodyEqualsTheGeneralSteps) {
  const std::string bytes[] = {"\r\n", "\r", "\n",   "\xB0\xA1",          "\xB0", "a", "[", "time]", "GOP]",
                               "<",    "<p", "pre>", std::string(1, '\0')};
  std::mt19937 rng(29);
  std::uniform_int_distribution<int> pick(0, std::size(bytes) - 2), length(0, 60), rare(0, 40);
  for (int round = 0; round < 3000; ++round) {
    std::string text;
    for (int n = length(rng); n > 0; --n) text += bytes[rare(rng) == 0 ? std::size(bytes) - 1 : pick(rng)];
    if (round % 2 == 0) std::erase(text, '<');
    std::vector<std::size_t> cuts = {0, text.size()};
    for (int n = rare(rng) % 6; n > 0; --n)
      cuts.push_back(std::uniform_int_distribution<std::size_t>(0, text.size())(rng));
    std::sort(cuts.begin(), cuts.end());
    BookPageOptions options;
    options.wrap_lines = options.decorate = true;
    const std::size_t flush = round % 3 ? Text::npos : 1 + rare(rng);
    auto build = [&](bool fused) {
      std::size_t next = 1;
      BookPageBuilder::Pieces pieces = [&](std::string_view* piece) {
        if (next >= cuts.size()) return false;
        *piece = std::string_view(text).substr(cuts[next - 1], cuts[next] - cuts[next - 1]);
        ++next;
        return true;
      };
      Text page, flushed;
      Random random;
      random.Seed(round);
      BookPageBuilder(fused).Build("t.txt", pieces, 1, 3, "2024-5-7", options, random, page, flush,
                                   [&](std::string_view part) {
                                     flushed += part;
                                     return true;
                                   });
      return flushed + page;
    };
    ASSERT_EQ(build(true), build(false)) << "round " << round;
  }
}

TEST(ContentsPage, ListsEveryEntryAfterTheHeading) {
  Text page = BuildContentsPage({"a.txt", "", "X.TXT"}, "2024-5-7");
  Text list = Between(page, kListCell, "</span></td></tr>");
  EXPECT_EQ(list, ContentsHeading() + ContentsEntry("000", "a") + ContentsEntry("001", "") + ContentsEntry("002", "X") +
                      "</table><BR>");
  for (const char* gone : {"[PART1]", "[PART0]", "[GOP]", "[GOI]", "[GON]", "[time]", "<pre>"}) {
    EXPECT_EQ(page.find(gone), Text::npos) << gone;
  }
  EXPECT_NE(page.find("2024-5-7"), Text::npos);
}

TEST(ContentsPage, EmptyListHoldsOnlyTheHeading) {
  Text page = BuildContentsPage({}, "d");
  EXPECT_EQ(Between(page, kListCell, "</span></td></tr>"), ContentsHeading() + "</table><BR>");
}

}  // namespace
}  // namespace qm

// The chapter splitter: the default rule on the lines readers' texts hold,
// a property test over generated novels (nothing dropped, order kept),
// what the closing message reports, and the reading order of names.

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "convert/chapter_numbers.h"
#include "convert/chapter_rule.h"
#include "convert/chapter_splitting.h"
#include "convert/novel_split.h"
#include "convert/web_tab_drop.h"
#include "core/book_page.h"
#include "core/control_names.h"
#include "core/text_decoding.h"
#include "runtime/encoding.h"
#include "support/operation_fixture.h"

namespace qm {
namespace {

ChapterRule DefaultRule() {
  ChapterRule rule;
  Text error;
  EXPECT_TRUE(rule.Compile(DefaultChapterRule(), &error)) << Utf8FromGbk(error);
  return rule;
}

TEST(ChapterRuleTest, DefaultRuleTellsHeadingsFromProse) {
  ChapterRule rule = DefaultRule();
  const std::pair<const char*, bool> lines[] = {
      {"第一章 山雨", true},
      {"第一章山雨欲来", true},
      {"    第十二章  夜行", true},
      {"\u3000\u3000第12章", true},
      {"第１２章 全角", true},
      {"第壹佰零伍章 账本", true},
      {"第二〇二四章", true},
      {"12章 无第字", true},
      {"第一卷 风起", true},
      {"第三部 终局", true},
      {"第二回 宝玉", true},
      {"序章", true},
      {"楔子 旧事", true},
      {"番外一 小师妹", true},
      {"完本感言", true},
      {"第一封信", false},              // 封 is no unit
      {"2024", false},                  // a number alone
      {"１２３", false},                // full-width too
      {"一部分人留了下来", false},      // 部分
      {"第三节课上他睡着了", false},    // 节课
      {"五回合之后", false},            // 回合
      {"三集合在一起", false},          // 集合
      {"第一章 他走了。", false},       // a sentence end
      {"     第一章 五个空格", false},  // more than 4 spaces
      {"第一章 这个标题一共有三十五个字这个标题一共有三十五个字这个标题一共有", false},
      {"他说第一章写得好", false},  // not at the start
  };
  for (const auto& [line, heading] : lines) EXPECT_EQ(rule.Matches(Gbk(line)), heading) << line;

  HeadingInfo h = ReadHeading(Gbk("\u3000第十二章 夜行  "));
  EXPECT_EQ(h.title, Gbk("第十二章 夜行"));
  EXPECT_TRUE(h.numbered);
  EXPECT_EQ(h.number, 12);
  EXPECT_FALSE(h.volume);
  EXPECT_TRUE(ReadHeading(Gbk("第二卷 风起")).volume);
  EXPECT_FALSE(ReadHeading(Gbk("序章")).numbered);

  Text error;
  EXPECT_FALSE(rule.Compile(Gbk("第(章"), &error));
  EXPECT_NE(error.find(Gbk("正则表达式")), Text::npos);
}

TEST(ChapterNumbersTest, ChineseAndArabicNumeralsReadAsNumbers) {
  const std::pair<const char*, long long> numbers[] = {
      {"十", 10},          {"十二", 12},       {"二十", 20},        {"一百零五", 105}, {"两千", 2000},
      {"一万两千", 12000}, {"二〇二四", 2024}, {"壹佰贰拾叁", 123}, {"１２", 12},      {"007", 7},
  };
  for (const auto& [text, value] : numbers) {
    NumberRun run;
    Text gbk = Gbk(text);
    ASSERT_TRUE(NumberAt(gbk, 0, &run)) << text;
    EXPECT_EQ(run.value, value) << text;
    EXPECT_EQ(run.length, gbk.size()) << text;
  }
  NumberRun run;
  EXPECT_FALSE(NumberAt(Gbk("万里"), 0, &run));
  EXPECT_FALSE(NumberAt(Gbk("山"), 0, &run));

  // Reading order: numbers by value, Chinese numerals included; other
  // names as NTFS lists them.
  std::vector<Text> names;
  for (const char* n : {"第10章.txt", "第2章.txt", "第1章.txt", "第十章.txt", "第九章.txt", "b.txt", "A.txt"})
    names.push_back(Gbk(n));
  SortNaturally(&names);
  std::vector<Text> expected;
  for (const char* n : {"A.txt", "b.txt", "第1章.txt", "第2章.txt", "第九章.txt", "第10章.txt", "第十章.txt"})
    expected.push_back(Gbk(n));
  EXPECT_EQ(names, expected);
}

TEST(ChapterNumbersTest, OrderListFollowsTheTickBox) {
  MemoryFixture f;
  for (const char* n : {"第1章.txt", "第2章.txt", "第10章.txt"}) f.fs.AddFile("/b/" + Gbk(n), "");
  f.ui.SetTicked(controls::kBookModeRadio, true);
  OnWebTabDrop(f.ctx, "/b");
  EXPECT_EQ(f.ui.GetText(controls::kOrderListBox), Gbk("第10章.txt\r\n第1章.txt\r\n第2章.txt\r\n"));  // NTFS order
  f.ui.SetTicked(controls::kNaturalOrderBox, true);
  OnWebTabDrop(f.ctx, "/b");
  EXPECT_EQ(f.ui.GetText(controls::kOrderListBox), Gbk("第1章.txt\r\n第2章.txt\r\n第10章.txt\r\n"));
}

// A generated novel: maybe a preface, then headings of every kind between
// prose that holds lines the rule must pass over; line ends CR LF or LF.
struct Novel {
  Text text;  // GBK
  long headings = 0;
  bool preface = false;
};

Novel MakeNovel(std::mt19937& random) {
  const char* prose[] = {"他推开门，雨下得正大。", "第一封信",      "2024", "一部分人留了下来，", "  ", "",
                         "“走吧。”她说。",         "三集合在一起走"};
  const char* headings[] = {"第%d章 山雨", "第%d章", "  第%d回 夜行", "序章", "第%d卷 风起", "番外 小事"};
  Novel novel;
  const char* eol = random() % 2 ? "\r\n" : "\n";
  auto prose_lines = [&](int n) {
    for (int i = 0; i < n; ++i) novel.text += Gbk(prose[random() % std::size(prose)]) + eol;
  };
  int lead = static_cast<int>(random() % 3);
  prose_lines(lead);
  novel.preface = false;
  for (std::size_t i = 0; i < novel.text.size(); ++i)
    if (novel.text[i] != ' ' && novel.text[i] != '\r' && novel.text[i] != '\n') novel.preface = true;
  int chapters = static_cast<int>(random() % 12);
  for (int c = 1; c <= chapters; ++c) {
    char line[64];
    std::snprintf(line, sizeof line, headings[random() % std::size(headings)], c);
    novel.text += Gbk(line) + eol;
    ++novel.headings;
    prose_lines(static_cast<int>(random() % 4));
  }
  if (random() % 3 == 0 && !novel.text.empty()) novel.text.resize(novel.text.size() - 1);  // no last line end
  return novel;
}

TEST(NovelSplitTest, OutputsJoinedAreTheInputAndKeepItsOrder) {
  std::mt19937 random(22);
  ChapterRule rule = DefaultRule();
  for (int round = 0; round < 200; ++round) {
    Novel novel = MakeNovel(random);
    const bool utf8 = round % 2 == 1;
    VirtualFileSystem fs;
    fs.AddFile("/n/book.txt", utf8 ? Utf8FromGbk(novel.text) : novel.text);
    const std::size_t piece = 1 + random() % 40;  // pieces cut lines and characters
    NovelSplit split = SplitNovel(fs, "/n/book.txt", rule, piece);
    SCOPED_TRACE("round " + std::to_string(round));
    ASSERT_EQ(split.failure, "");
    EXPECT_EQ(split.folder, "/n/book");
    Text joined;
    for (const Text& name : split.names) joined += fs.Contents("/n/book/" + name);
    EXPECT_EQ(joined, novel.text);
    EXPECT_EQ(fs.Contents("/n/book.txt"), utf8 ? Utf8FromGbk(novel.text) : novel.text);  // only read
    // Any listing of the folder gives the book's order.
    std::vector<Text> listed;
    for (const DirectoryEntry& e : fs.List("/n/book"))
      if (e.name != "." && e.name != "..") listed.push_back(e.name);
    EXPECT_EQ(listed, split.names);
    long expected = novel.headings + (novel.preface ? 1 : 0);
    EXPECT_EQ(static_cast<long>(split.names.size()), std::max(expected, 1L));
    EXPECT_EQ(split.no_heading, novel.headings == 0);
    if (novel.preface && novel.headings > 0) {
      EXPECT_EQ(split.names.front(), Gbk("0000 前言.txt"));
    }
  }
  // A text without line ends, longer than any line is held, stays whole.
  VirtualFileSystem fs;
  const Text long_line = Gbk("第一章 山雨") + Text(3 << 20, 'x') + "\r\n" + Gbk("第二章 夜");
  fs.AddFile("/n/long.txt", long_line);
  NovelSplit split = SplitNovel(fs, "/n/long.txt", rule);
  ASSERT_EQ(split.names.size(), 2u);
  EXPECT_EQ(fs.Contents("/n/long/" + split.names[0]) + fs.Contents("/n/long/" + split.names[1]), long_line);
}

class ChapterSplittingTest : public ::testing::Test {
 protected:
  ChapterSplittingTest() {
    f.ui.SetText(controls::kChapterRuleBox, DefaultChapterRule());
    f.ui.SetText(controls::kSplitPathBox, Gbk("/n/山雨.txt"));
  }
  Text Message() const { return f.ui.messages.empty() ? "<none>" : Utf8FromGbk(f.ui.messages.back().content); }
  MemoryFixture f;
};

TEST_F(ChapterSplittingTest, ReportsGapsRestartsAndFillsTheOrderList) {
  f.fs.AddFile(Gbk("/n/山雨.txt"), Gbk("第1章 a\r\n第2章 b\r\n第5章 c\r\n第二卷 v\r\n第1章 d\r\n第1章 e:f?\r\n"));
  f.fs.AddDirectory(Gbk("/n/山雨"));  // taken: the split goes beside it
  ChapterSplitting(f.ctx);
  std::string m = Message();
  EXPECT_NE(m.find("分成 6 个文本，在 /n/山雨(2)"), std::string::npos) << m;
  EXPECT_NE(m.find("第2章之后是第5章：缺 2 个序号"), std::string::npos) << m;
  EXPECT_NE(m.find("第5章之后是第1章：序号重新开始"), std::string::npos) << m;
  EXPECT_NE(m.find("第1章之后是第1章：序号重复或倒退"), std::string::npos) << m;
  EXPECT_EQ(f.ui.GetText(controls::kBookFolderBox), Gbk("/n/山雨(2)"));
  EXPECT_EQ(f.ui.GetText(controls::kOrderListBox),
            Gbk("0001 第1章 a.txt\r\n0002 第2章 b.txt\r\n0003 第5章 c.txt\r\n0004 第二卷 v.txt\r\n"
                "0005 第1章 d.txt\r\n0006 第1章 e：f？.txt\r\n"));
  EXPECT_EQ(ChapterTextHeading(Gbk("0006 第1章 e：f？.txt")), Gbk("第1章 e：f？"));
}

TEST_F(ChapterSplittingTest, TextWithoutHeadingsAndBadRulesAreReported) {
  f.fs.AddFile(Gbk("/n/山雨.txt"), Gbk("只有正文。\r\n"));
  ChapterSplitting(f.ctx);
  EXPECT_NE(Message().find("没有一行符合分章规则"), std::string::npos) << Message();
  EXPECT_EQ(f.fs.Contents(Gbk("/n/山雨/0000 山雨.txt")), Gbk("只有正文。\r\n"));

  f.ui.SetText(controls::kChapterRuleBox, Gbk("第(章"));
  ChapterSplitting(f.ctx);
  EXPECT_NE(Message().find("没有分章节"), std::string::npos);
  EXPECT_FALSE(f.fs.Exists(Gbk("/n/山雨(2)")));
}

TEST(NovelSplitTest, NumbersKeepALeadingZero) {
  // With numbers of at least two digits, as 1,000 chapters do with four.
  VirtualFileSystem fs;
  Text text;
  for (int i = 1; i <= 10; ++i) text += Gbk("第") + ToText(i) + Gbk("章\n");
  fs.AddFile("/n/ten.txt", text);
  fs.AddFile("/n/nine.txt", text.substr(0, text.find(Gbk("第10章"))));
  ChapterRule rule = DefaultRule();
  NovelSplit split = SplitNovel(fs, "/n/ten.txt", rule, 1 << 20, 2);
  EXPECT_EQ(split.names.front(), Gbk("001 第1章.txt"));
  EXPECT_EQ(fs.Contents(Gbk("/n/ten/001 第1章.txt")), Gbk("第1章\n"));
  EXPECT_EQ(fs.Contents(Gbk("/n/ten/010 第10章.txt")), Gbk("第10章\n"));
  EXPECT_EQ(SplitNovel(fs, "/n/nine.txt", rule, 1 << 20, 2).names.back(), Gbk("09 第9章.txt"));
  EXPECT_EQ(ChapterTextHeading(Gbk("0010 第10章.txt")), Gbk("第10章"));
  EXPECT_EQ(ChapterTextHeading(Gbk("2024 年度总结.txt")), "");
}

}  // namespace
}  // namespace qm

// "批量转换" and "取 消" through the operations, on the in-memory file
// system: framed pages, recursion, leftbg.gif, the undo's round trip, the
// buttons and cursor, and that no file is lost when something fails.

#include "convert/batch_conversion.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "core/control_names.h"
#include "core/page_images.h"
#include "core/page_templates.h"
#include "runtime/encoding.h"
#include "support/operation_fixture.h"

namespace qm {
namespace {

class BatchConversionTest : public ::testing::Test {
 protected:
  BatchConversionTest() {
    f.fs.AddDirectory("/w");
    Folder("/w");
    f.ui.SetText(controls::kOldExtensionBox, ".txt");
    f.ui.SetText(controls::kNewExtensionBox, ".htm");
    f.ui.SetDisabled(controls::kBatchConvertButton, false);
    f.ui.SetDisabled(controls::kBatchUndoButton, true);
  }
  void Folder(std::string_view box) { f.ui.SetText(controls::kBatchFolderBox, Text(box)); }
  static Text Framed(std::string_view body) { return FramedPageHead() + Text(body) + FramedPageTail(); }
  bool Has(std::string_view path) const { return f.fs.Exists(Text(path)); }
  std::string File(std::string_view path) const { return f.fs.Contents(Text(path)); }
  Text LastMessage() const { return f.ui.messages.empty() ? "<none>" : f.ui.messages.back().content; }

  MemoryFixture f;
};

TEST_F(BatchConversionTest, TextBecomesFramedPageAndComesBack) {
  f.fs.AddFile("/w/a.txt", "A\r\nB  ");
  BatchPageConversion(f.ctx);
  EXPECT_EQ(File("/w/a.htm"), Framed("A<br><br>B"));
  EXPECT_FALSE(Has("/w/a.txt"));
  EXPECT_EQ(File("/w/leftbg.gif"), PaleTileImage().bytes);
  ASSERT_EQ(f.ui.messages.size(), 1u);
  EXPECT_EQ(LastMessage(), Gbk("转换ok!"));
  EXPECT_TRUE(f.ui.IsDisabled(controls::kBatchConvertButton));
  EXPECT_FALSE(f.ui.IsDisabled(controls::kBatchUndoButton));
  EXPECT_EQ(f.ui.cursor_log, (std::vector<std::string>{"wait", "restore"}));

  UndoBatchConversion(f.ctx);
  EXPECT_EQ(File("/w/a.txt"), "A\r\n\r\nB\r\n");
  EXPECT_FALSE(Has("/w/a.htm"));
  EXPECT_TRUE(Has("/w/leftbg.gif"));
  EXPECT_EQ(LastMessage(), Gbk("取消转换ok!"));
  EXPECT_TRUE(f.ui.IsDisabled(controls::kBatchConvertButton));
  EXPECT_EQ(f.ui.cursor_log.size(), 2u);  // the undo shows no wait cursor
}

TEST_F(BatchConversionTest, FullWidthTrailingSpacesGoAndATextWithAZeroByteStays) {
  f.fs.AddFile("/w/a.txt", "x \xA1\xA1");
  f.fs.AddFile("/w/z.txt", std::string("ab\0cd", 5));
  BatchPageConversion(f.ctx);
  EXPECT_EQ(File("/w/a.htm"), Framed("x"));
  // Its page would end at the 0 byte, and the undo would then replace the
  // kept text with that cut copy: it gets no page at all.
  EXPECT_FALSE(Has("/w/z.htm"));
  EXPECT_EQ(File("/w/z.txt"), std::string("ab\0cd", 5));
  EXPECT_NE(LastMessage().find("z.txt"), Text::npos);
}

TEST_F(BatchConversionTest, TextsInTheirOwnEncodingAndNothingReplaced) {
  f.fs.AddFile("/w/u8.txt", "第一行\n第二行😀\n");
  f.fs.AddFile("/w/u16.txt", std::string("\xFF\xFE"
                                         "A\0\n\0"
                                         "B\0",
                                         8));
  f.fs.AddFile("/w/nul16.txt", std::string("\xFF\xFE"
                                           "A\0\0\0",
                                           6));
  f.fs.AddFile("/w/gbk.txt", Gbk("山雨\r\n"));
  f.fs.AddFile("/w/mine.txt", "text");
  f.fs.AddFile("/w/mine.htm", "my own page");
  BatchPageConversion(f.ctx);
  EXPECT_EQ(File("/w/u8.htm"), Framed(Gbk("第一行<br><br>第二行") + "&#x1F600;<br><br>"));
  EXPECT_EQ(File("/w/u16.htm"), Framed("A<br><br>B"));
  EXPECT_EQ(File("/w/gbk.htm"), Framed(Gbk("山雨<br><br>")));
  EXPECT_FALSE(Has("/w/u8.txt") || Has("/w/u16.txt") || Has("/w/gbk.txt"));
  // U+0000 after decoding: no page; an existing page is never replaced.
  EXPECT_FALSE(Has("/w/nul16.htm"));
  EXPECT_EQ(File("/w/mine.htm"), "my own page");
  EXPECT_EQ(File("/w/mine.txt"), "text");
  Text message = LastMessage();
  EXPECT_NE(message.find("nul16.txt"), Text::npos);
  EXPECT_NE(message.find("/w/mine.txt"), Text::npos);
  EXPECT_NE(message.find(Gbk("2 个 UTF-8/UTF-16 文本已转成 GBK 网页")), Text::npos) << message;

  // The undo gives GBK texts back and never replaces an existing text.
  f.fs.AddFile("/w/notes.htm", Framed("x"));
  f.fs.AddFile("/w/notes.txt", "my notes");
  UndoBatchConversion(f.ctx);
  EXPECT_EQ(File("/w/u8.txt"), Gbk("第一行\r\n\r\n第二行") + "&#x1F600;\r\n\r\n\r\n");
  EXPECT_EQ(File("/w/notes.txt"), "my notes");
  EXPECT_EQ(File("/w/notes.htm"), Framed("x"));
  EXPECT_EQ(File("/w/mine.txt"), "text");
  EXPECT_EQ(File("/w/mine.htm"), "my own page");
  EXPECT_NE(LastMessage().find("/w/notes.htm"), Text::npos);
  EXPECT_NE(LastMessage().find("/w/mine.htm"), Text::npos);
}

// A UTF-16 text of an odd number of bytes becomes its page without the last
// byte, and the message lists it.
TEST_F(BatchConversionTest, OddTrailingByteOfAUtf16TextIsListed) {
  f.fs.AddFile("/w/odd16.txt", std::string("\xFF\xFE"
                                           "A\0"
                                           "B",
                                           5));
  BatchPageConversion(f.ctx);
  EXPECT_EQ(File("/w/odd16.htm"), Framed("A"));
  EXPECT_NE(LastMessage().find("odd16.txt"), Text::npos);
  EXPECT_NE(LastMessage().find(Gbk("奇数")), Text::npos);
}

TEST_F(BatchConversionTest, NewNameIsBaseNamePlusNewExtension) {
  f.fs.AddFile("/w/a.b.txt", "1");
  f.fs.AddFile("/w/noext", "2");
  f.fs.AddFile("/w/c.txt1", "3");  // a three-letter pattern also finds longer extensions
  BatchPageConversion(f.ctx);
  EXPECT_EQ(File("/w/a.b.htm"), Framed("1"));
  EXPECT_EQ(File("/w/c.htm"), Framed("3"));
  EXPECT_TRUE(Has("/w/noext"));
  EXPECT_EQ(LastMessage(), Gbk("转换ok!"));
}

TEST_F(BatchConversionTest, NewExtensionHtml) {
  f.fs.AddFile("/w/a.txt", "1");
  f.ui.SetText(controls::kNewExtensionBox, ".html");
  BatchPageConversion(f.ctx);
  EXPECT_EQ(File("/w/a.html"), Framed("1"));
  EXPECT_FALSE(Has("/w/a.txt"));
}

TEST_F(BatchConversionTest, SubFoldersAreConvertedExceptDotFolders) {
  f.fs.AddFile("/w/s/c.txt", "c");
  f.fs.AddFile("/w/s/deeper/d.txt", "d");
  f.fs.AddFile("/w/.hidden/e.txt", "e");
  f.fs.AddDirectory("/w/empty");
  BatchPageConversion(f.ctx);
  EXPECT_EQ(File("/w/s/c.htm"), Framed("c"));
  EXPECT_EQ(File("/w/s/deeper/d.htm"), Framed("d"));
  EXPECT_TRUE(Has("/w/s/leftbg.gif"));
  EXPECT_TRUE(Has("/w/s/deeper/leftbg.gif"));
  EXPECT_FALSE(Has("/w/leftbg.gif"));  // no file converted there
  EXPECT_FALSE(Has("/w/empty/leftbg.gif"));
  EXPECT_EQ(File("/w/.hidden/e.txt"), "e");
  EXPECT_FALSE(Has("/w/.hidden/e.htm"));
}

TEST_F(BatchConversionTest, ExistingLeftbgIsKept) {
  f.fs.AddFile("/w/a.txt", "1");
  f.fs.AddFile("/w/leftbg.gif", "mine");
  BatchPageConversion(f.ctx);
  EXPECT_EQ(File("/w/leftbg.gif"), "mine");
}

TEST_F(BatchConversionTest, RefusesEqualOrFolderLeavingExtensionsBeforeTouchingAnything) {
  f.fs.AddDirectory("/w/a.d");
  f.fs.AddDirectory("/out");
  f.fs.AddFile("/w/a.txt", "1");
  const std::pair<const char*, const char*> refused[] = {
      {".txt", ".TXT"}, {".txt", ".d/../../out/x.htm"}, {".txt", "/x.htm"}, {"/../a.txt", ".htm"}};
  for (auto [old_extension, new_extension] : refused) {
    SCOPED_TRACE(new_extension);
    f.ui.messages.clear();
    f.ui.SetText(controls::kOldExtensionBox, old_extension);
    f.ui.SetText(controls::kNewExtensionBox, new_extension);
    BatchPageConversion(f.ctx);
    EXPECT_EQ(File("/w/a.txt"), "1");
    EXPECT_EQ(f.fs.Files().size(), 1u);
    ASSERT_EQ(f.ui.messages.size(), 1u);
    EXPECT_NE(LastMessage(), Gbk("转换ok!"));
    EXPECT_FALSE(f.ui.IsDisabled(controls::kBatchConvertButton));
    EXPECT_TRUE(f.ui.cursor_log.empty());
  }
}

TEST_F(BatchConversionTest, BackslashInAnExtensionIsAnOrdinaryCharacter) {
  f.fs.AddFile("/w/a.txt", "1");
  f.ui.SetText(controls::kNewExtensionBox, ".h\\m");
  BatchPageConversion(f.ctx);
  EXPECT_TRUE(Has("/w/a.h\\m"));
  EXPECT_EQ(LastMessage(), Gbk("转换ok!"));
}

TEST_F(BatchConversionTest, RefusesAFolderBoxThatNamesNoFolder) {
  f.fs.AddFile("/a.txt", "root text");
  f.fs.AddFile("/w/a.htm", Framed("x"));
  for (Text box : {Text(), Gbk("  ---拖进来---"), Text("/nowhere")}) {
    Folder(box);
    BatchPageConversion(f.ctx);
    UndoBatchConversion(f.ctx);
  }
  EXPECT_EQ(f.ui.messages.size(), 6u);
  EXPECT_EQ(f.ui.messages[0].content, Gbk("请先把文件夹拖进来！"));
  EXPECT_EQ(f.ui.messages[2].content, Gbk("请先把文件夹拖进来！"));
  EXPECT_EQ(f.ui.messages[4].content, Gbk("找不到文件夹：/nowhere"));
  EXPECT_EQ(File("/a.txt"), "root text");
  EXPECT_EQ(f.fs.Files().size(), 2u);
  EXPECT_FALSE(f.ui.IsDisabled(controls::kBatchConvertButton));
}

TEST_F(BatchConversionTest, UnwritablePageKeepsTheText) {
  f.fs.AddFile("/w/a.txt", "A");
  f.fs.AddFile("/w/b.txt", "B");
  f.fs.fail = [](std::string_view call, const Text& path) {
    return call == "write" && path.find("a.htm") != Text::npos;
  };
  BatchPageConversion(f.ctx);
  EXPECT_EQ(File("/w/a.txt"), "A");
  EXPECT_FALSE(Has("/w/a.htm"));
  EXPECT_EQ(File("/w/b.htm"), Framed("B"));
  EXPECT_NE(LastMessage().find("/w/a.txt"), Text::npos);
  EXPECT_EQ(LastMessage().find("b.txt"), Text::npos);
  // The buttons change as after every conversion.
  EXPECT_TRUE(f.ui.IsDisabled(controls::kBatchConvertButton));
}

TEST_F(BatchConversionTest, FullDiskKeepsEveryText) {
  f.fs.AddFile("/w/a.txt", std::string(300, 'a'));
  f.fs.AddFile("/w/b.txt", std::string(300, 'b'));
  // Room for the texts, the pages' background, one page beside them, and a
  // little more.
  f.fs.capacity =
      600 + static_cast<long long>(PaleTileImage().View().size() + Framed(std::string(300, 'a')).size()) + 100;
  BatchPageConversion(f.ctx);
  EXPECT_EQ(Has("/w/a.htm") + Has("/w/b.htm"), 1);
  for (const char* name : {"a", "b"}) {
    Text text = "/w/" + Text(name) + ".txt";
    if (!Has(text)) {
      EXPECT_EQ(File("/w/" + Text(name) + ".htm"), Framed(std::string(300, name[0])));
    } else {
      EXPECT_EQ(File(text), std::string(300, name[0]));
    }
  }
  for (const auto& [path, data] : f.fs.Files()) EXPECT_EQ(path.find("tmp"), Text::npos) << path;
  EXPECT_NE(LastMessage(), Gbk("转换ok!"));
}

TEST_F(BatchConversionTest, UnreadableTextIsNotReplacedByAnEmptyPage) {
  f.fs.AddFile("/w/a.txt", "A");
  f.fs.SetUnreadable("/w/a.txt");
  BatchPageConversion(f.ctx);
  EXPECT_TRUE(Has("/w/a.txt"));
  EXPECT_FALSE(Has("/w/a.htm"));
  EXPECT_NE(LastMessage().find("a.txt"), Text::npos);
}

TEST_F(BatchConversionTest, TwoTextsOfOneBaseNameDoNotOverwriteEachOther) {
  f.fs.AddFile("/w/a.txt", "lower");
  f.fs.AddFile("/w/a.TXT", "upper");
  BatchPageConversion(f.ctx);
  // The first in listing order is converted, the other stays as it was.
  bool upper_first = File("/w/a.htm") == Framed("upper");
  EXPECT_EQ(File("/w/a.htm"), Framed(upper_first ? "upper" : "lower"));
  EXPECT_NE(Has("/w/a.TXT"), upper_first);
  EXPECT_NE(Has("/w/a.txt"), !upper_first);
  EXPECT_NE(LastMessage().find(upper_first ? "/w/a.txt" : "/w/a.TXT"), Text::npos);
}

TEST_F(BatchConversionTest, PageNeverLandsOnAnotherTextOfTheRun) {
  // ".txt" to ".txt1": a.txt would become a.txt1, which is a text itself.
  f.fs.AddFile("/w/a.txt", "A");
  f.fs.AddFile("/w/a.txt1", "A1");
  f.ui.SetText(controls::kNewExtensionBox, ".txt1");
  BatchPageConversion(f.ctx);
  EXPECT_EQ(File("/w/a.txt"), "A");
  EXPECT_EQ(File("/w/a.txt1"), "A1");
}

TEST_F(BatchConversionTest, InheritedUndoTurnsEveryPageOfTheFolderOnly) {
  f.fs.AddFile("/w/index.htm", "<html>hello<BR>world</BODY></HTML>");
  f.fs.AddFile("/w/p.htm", PlainPageHead() + "x" + Text(kPlainPageTail));
  f.fs.AddFile("/w/s/c.htm", Framed("c"));
  UndoBatchConversion(f.ctx);
  EXPECT_EQ(File("/w/index.txt"), "<html>hello\r\nworld\r\n");
  EXPECT_EQ(File("/w/p.txt"), "x\r\n");
  EXPECT_FALSE(Has("/w/index.htm"));
  EXPECT_EQ(File("/w/s/c.htm"), Framed("c"));
  EXPECT_FALSE(Has("/w/s/c.txt"));
}

// The pages are GBK whatever the texts were; the undo writes what the pages
// hold, so a UTF-8 or UTF-16 text comes back as GBK.
TEST_F(BatchConversionTest, InheritedUndoGivesGbkTextsBackNotTheOriginalEncoding) {
  for (const std::string& text : {std::string("\xEF\xBB\xBF山雨"), std::string("\xFF\xFE\x71\x5C\xE8\x96", 6)}) {
    f.fs.AddFile("/w/a.txt", text);
    BatchPageConversion(f.ctx);
    UndoBatchConversion(f.ctx);
    EXPECT_EQ(File("/w/a.txt"), Gbk("山雨") + "\r\n");
  }
}

TEST_F(BatchConversionTest, UndoKeepsThePageWhenItsTextCannotBeWritten) {
  f.fs.AddFile("/w/a.htm", Framed("A"));
  f.fs.fail = [](std::string_view call, const Text& path) {
    return call == "write" && path.find("a.txt") != Text::npos;
  };
  UndoBatchConversion(f.ctx);
  EXPECT_EQ(File("/w/a.htm"), Framed("A"));
  EXPECT_FALSE(Has("/w/a.txt"));
  EXPECT_NE(LastMessage(), Gbk("取消转换ok!"));
}

TEST_F(BatchConversionTest, UndoKeepsAPageWithAZeroByteAndMakesNoCutText) {
  f.fs.AddFile("/w/a.htm", Framed(std::string("A\0B", 3)));
  UndoBatchConversion(f.ctx);
  EXPECT_FALSE(Has("/w/a.txt"));
  EXPECT_TRUE(Has("/w/a.htm"));
  EXPECT_NE(LastMessage().find("a.htm"), Text::npos);
}

TEST_F(BatchConversionTest, UndoWritesTextsIntoTheChosenFolder) {
  // ".htm" inside the folder's own name is not removed.
  f.fs.AddFile("/site.htm/a.htm", Framed("A"));
  Folder("/site.htm");
  UndoBatchConversion(f.ctx);
  EXPECT_EQ(File("/site.htm/a.txt"), "A\r\n");
  EXPECT_FALSE(Has("/site.htm/a.htm"));
}

TEST_F(BatchConversionTest, UndoNeverWritesOneTextTwice) {
  f.fs.AddFile("/w/x.htm", Framed("one"));
  f.fs.AddFile("/w/x.htm.htm", Framed("two"));
  UndoBatchConversion(f.ctx);
  EXPECT_EQ(File("/w/x.txt"), "one\r\n");
  EXPECT_EQ(File("/w/x.htm.htm"), Framed("two"));
}

}  // namespace
}  // namespace qm

namespace qm {
namespace {

// Twenty texts of every kind the conversion meets (GBK, UTF-8, UTF-16 with
// an odd byte, a 0 byte, unreadable, empty, over a megabyte), in /w, and
// three in /w/sub.
void AddMixedTexts(MemoryFixture& g) {
  g.fs.AddDirectory("/w");
  for (int i = 0; i < 20; ++i) {
    const Text name = "/w/t" + std::to_string(10 + i) + ".txt";
    switch (i % 7) {
      case 0: g.fs.AddFile(name, "\xC4\xE3\xBA\xC3 " + std::to_string(i)); break;
      case 1: g.fs.AddFile(name, "\xE4\xBD\xA0\xE5\xA5\xBD utf-8 " + std::to_string(i)); break;
      case 2:
        g.fs.AddFile(name, std::string("\xFF\xFE"
                                       "a\0b\0c",
                                       7));
        break;
      case 3: g.fs.AddFile(name, std::string("zero\0byte", 9)); break;
      case 4: g.fs.AddFile(name, "unreadable"), g.fs.SetUnreadable(name); break;
      case 5: g.fs.AddFile(name, ""); break;
      default: g.fs.AddFile(name, std::string((1 << 20) + i, 'x')); break;
    }
  }
  for (int i = 0; i < 3; ++i) g.fs.AddFile("/w/sub/s" + std::to_string(i) + ".txt", "\xC4\xE3 " + std::to_string(i));
  g.ui.SetText(controls::kBatchFolderBox, "/w");
  g.ui.SetText(controls::kOldExtensionBox, ".txt");
  g.ui.SetText(controls::kNewExtensionBox, ".htm");
}

// A folder swapped at any step of the run for one that holds texts of the
// same names, and maybe swapped back a step or two later, converts at most
// the one text under way there, while every text, there and in the
// folder it was in, is still itself or its page.
TEST(BatchConversionSwap, AFolderSwappedAtAnyStepLosesNoText) {
  MemoryFixture done;
  AddMixedTexts(done);
  BatchPageConversion(done.ctx);
  const std::map<Text, std::string> pages = done.fs.Files();
  MemoryFixture original;
  AddMixedTexts(original);
  for (int back : {0, 1, 2, 3}) {  // steps until the swap back; 0: never
    for (int at = 0;; ++at) {
      MemoryFixture g;
      AddMixedTexts(g);
      g.fs.unnamed_files = true;  // a page is written unnamed, then linked in by its path
      int calls = 0;
      bool swapping = false;  // the swaps' own calls do not count
      g.fs.fail = [&](std::string_view, const Text&) {
        if (swapping) return false;
        const int now = calls++;
        swapping = true;
        if (now == at) {
          g.fs.Rename("/w", "/w-ours");
          g.fs.AddDirectory("/w");
          for (const auto& [path, data] : original.fs.Files()) g.fs.AddFile(path, "elsewhere");
        }
        if (back != 0 && now == at + back) {
          g.fs.Rename("/w", "/w-other");
          g.fs.Rename("/w-ours", "/w");
        }
        swapping = false;
        return false;
      };
      BatchPageConversion(g.ctx);
      if (calls <= at) break;  // the run ended before that step
      const bool swapped_back = back != 0 && calls > at + back;
      const Text ours = swapped_back ? "/w" : "/w-ours", other = swapped_back ? "/w-other" : "/w";
      // Written there: the one text under way, or the background of the
      // folder under way, never more.
      int converted_there = g.fs.Exists(other + "/leftbg.gif") + g.fs.Exists(other + "/sub/leftbg.gif");
      for (const auto& [path, data] : original.fs.Files()) {
        const Text text = other + path.substr(2), page = text.substr(0, text.size() - 4) + ".htm";
        converted_there += !g.fs.Exists(text);
        EXPECT_TRUE(g.fs.Exists(text) ? g.fs.Contents(text) == "elsewhere"
                                      : g.fs.Contents(page).find("elsewhere") != std::string::npos)
            << text << " swap at " << at << ", back " << back;
      }
      EXPECT_LE(converted_there, 1) << "swap at " << at << ", back " << back;
      for (const auto& [path, data] : original.fs.Files()) {
        const Text text = ours + path.substr(2), page = text.substr(0, text.size() - 4) + ".htm";
        EXPECT_TRUE(g.fs.Exists(text) ? g.fs.Contents(text) == data
                                      : g.fs.Contents(page) == pages.at(path.substr(0, path.size() - 4) + ".htm"))
            << text << " swap at " << at << ", back " << back;
      }
    }
  }
  // The undo, its folder swapped after it was listed for one holding pages
  // of the same names, writes at most the text under way there.
  for (int at = 0;; ++at) {
    MemoryFixture g;
    AddMixedTexts(g);
    BatchPageConversion(g.ctx);
    const std::map<Text, std::string> converted = g.fs.Files();
    int calls = 0;
    bool listed = false, swapping = false;
    g.fs.fail = [&](std::string_view call, const Text&) {
      if (swapping || !(listed = listed || call == "list")) return false;
      swapping = true;
      if (calls++ == at) {
        g.fs.Rename("/w", "/w-ours");
        g.fs.AddDirectory("/w");
        for (const auto& [path, data] : converted) g.fs.AddFile(path, "<p>elsewhere");
      }
      swapping = false;
      return false;
    };
    UndoBatchConversion(g.ctx);
    if (calls <= at) break;
    int written_there = 0;
    for (const auto& [path, data] : converted) {
      if (path.size() > 4 && path.substr(path.size() - 4) == ".htm")
        written_there += g.fs.Exists(path.substr(0, path.size() - 4) + ".txt");
    }
    EXPECT_LE(written_there, 1) << "swap at " << at;
  }
}

}  // namespace
}  // namespace qm

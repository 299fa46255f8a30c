// "转网页" through the operation, on the in-memory file system: pages and
// their links, the contents page, the images, the backup folder, and that
// no text file is lost when the disk misbehaves.

#include "convert/paged_book.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "convert/book_run.h"
#include "core/book_page.h"
#include "core/control_names.h"
#include "core/decoration_check.h"
#include "core/page_images.h"
#include "core/page_templates.h"
#include "runtime/encoding.h"
#include "support/operation_fixture.h"

namespace qm {
namespace {

constexpr char kFolder[] = "/books/novel";
constexpr char kBackup[] = "/books/bak";

class PagedBookTest : public ::testing::Test {
 protected:
  PagedBookTest() {
    f.fs.AddDirectory(kFolder);
    f.ui.SetText(controls::kBookFolderBox, kFolder);
    f.state.DateText = "2024-5-7";
  }

  void List(std::string_view order) { f.ui.SetText(controls::kOrderListBox, Text(order)); }
  std::string File(std::string_view name) const {
    return f.fs.Contents(std::string(kFolder) + "/" + std::string(name));
  }
  bool Has(std::string_view path) const { return f.fs.Exists(Text(path)); }
  Text LastMessage() const { return f.ui.messages.empty() ? "<none>" : f.ui.messages.back().content; }
  bool Wrote() const {
    for (const std::string& call : f.fs.log) {
      if (call.rfind("write ", 0) == 0 || call.rfind("mkdir ", 0) == 0) return true;
    }
    return false;
  }
  // The body of a page written without wrapping.
  Text Body(std::string_view page) const {
    std::string text = File(page);
    std::size_t start = text.find("<pre><span class=text1>");
    std::size_t end = text.find("</pre></span>");
    if (start == std::string::npos || end == std::string::npos) return "<missing>";
    start += 23;
    return text.substr(start, end - start);
  }

  MemoryFixture f;
};

TEST_F(PagedBookTest, ThreeTextsBecomeLinkedPagesAndMoveToBackup) {
  f.fs.AddFile("/books/novel/a.txt", "alpha");
  f.fs.AddFile("/books/novel/b.txt", "beta\r\n");
  f.fs.AddFile("/books/novel/c.txt", "gamma");
  List("a.txt\r\nb.txt\r\nc.txt\r\n");

  PagedBookConversion(f.ctx);

  ASSERT_EQ(f.ui.messages.size(), 1u);
  EXPECT_EQ(LastMessage(), "ok");
  EXPECT_EQ(f.ui.messages[0].flags, 0);
  EXPECT_EQ(Body("000.htm"), "alpha");
  EXPECT_EQ(Body("001.htm"), "beta\r\n");
  EXPECT_EQ(Body("002.htm"), "gamma");
  EXPECT_FALSE(Has("/books/novel/003.htm"));
  const Text& index = ContentsPageLink();
  EXPECT_NE(File("000.htm").find("<td><p align=\"right\" > " + index + " " + NextPageLink("001") + "</td>"),
            std::string::npos);
  EXPECT_NE(File("001.htm").find(PreviousPageLink("000") + " " + index + " " + NextPageLink("002")), std::string::npos);
  EXPECT_NE(File("002.htm").find(PreviousPageLink("001") + " " + index + " </td>"), std::string::npos);
  EXPECT_EQ(File("002.htm").find(Gbk("下一页")), std::string::npos);

  EXPECT_EQ(File("index.htm"), BuildContentsPage({"a.txt", "b.txt", "c.txt"}, "2024-5-7"));
  EXPECT_EQ(File("N02.GIF"), DividerImage().bytes);
  EXPECT_EQ(File("PAPER10.JPG"), PaperImage().bytes);
  EXPECT_EQ(File("icon.gif"), BulletImage().bytes);
  EXPECT_FALSE(Has("/books/novel/leftbg.gif"));

  for (const char* name : {"a.txt", "b.txt", "c.txt"}) EXPECT_FALSE(Has(std::string(kFolder) + "/" + name));
  EXPECT_EQ(f.fs.Contents("/books/bak/a.txt"), "alpha");
  EXPECT_EQ(f.fs.Contents("/books/bak/b.txt"), "beta\r\n");
  EXPECT_EQ(f.fs.Contents("/books/bak/c.txt"), "gamma");
  // No temporary files are left behind.
  for (const auto& [path, data] : f.fs.Files()) EXPECT_EQ(path.find("tmp"), Text::npos) << path;
}

TEST_F(PagedBookTest, OneEntryGivesOnePageWithOnlyTheContentsLink) {
  f.fs.AddFile("/books/novel/only.txt", "x");
  List("only.txt\r\n");
  PagedBookConversion(f.ctx);
  EXPECT_EQ(File("000.htm"), BuildBookPage("only.txt", ByteSet("x"), 0, 1, "2024-5-7", {}, f.random));
  EXPECT_EQ(File("index.htm"), BuildContentsPage({"only.txt"}, "2024-5-7"));
  EXPECT_EQ(LastMessage(), "ok");
}

TEST_F(PagedBookTest, EmptyListWritesImagesAndContentsPage) {
  List("");
  PagedBookConversion(f.ctx);
  EXPECT_EQ(File("index.htm"), BuildContentsPage({}, "2024-5-7"));
  EXPECT_TRUE(Has("/books/novel/N02.GIF"));
  EXPECT_TRUE(Has(kBackup));
  EXPECT_FALSE(Has("/books/novel/000.htm"));
  EXPECT_EQ(LastMessage(), "ok");
}

TEST_F(PagedBookTest, LongListNumbersPagesPastOneThousand) {
  Text order;
  for (int i = 0; i <= 1000; ++i) order += "n" + ToText(i) + ".txt\r\n";
  List(order);
  PagedBookConversion(f.ctx);
  auto title = [&](std::string_view page) {
    std::string text = File(page);
    std::size_t at = text.find("<div align=\"center\">", text.find("bgcolor=\"#C7E2DA\""));
    return text.substr(at + 20, text.find("</div>", at) - at - 20);
  };
  EXPECT_EQ(title("010.htm"), "n10");
  EXPECT_EQ(title("100.htm"), "n100");
  EXPECT_EQ(title("1000.htm"), "n1000");
  EXPECT_NE(File("100.htm").find(PreviousPageLink("099") + " " + ContentsPageLink() + " " + NextPageLink("101")),
            std::string::npos);
  EXPECT_NE(File("1000.htm").find(PreviousPageLink("999")), std::string::npos);
  EXPECT_FALSE(Has("/books/novel/1001.htm"));
  EXPECT_NE(File("index.htm").find("<A HREF=1000.htm><font size=4>n1000</font>"), std::string::npos);
  EXPECT_NE(LastMessage().find(Gbk("n0.txt：文件夹中没有这个文件")), Text::npos);  // missing texts are named
  EXPECT_NE(LastMessage().find(Gbk("共 1001 个")), Text::npos);
}

TEST_F(PagedBookTest, EmptyLineInTheListTakesAPageNumber) {
  f.fs.AddFile("/books/novel/a.txt", "A");
  f.fs.AddFile("/books/novel/b.txt", "B");
  List("a.txt\r\n\r\nb.txt");
  PagedBookConversion(f.ctx);
  EXPECT_EQ(Body("000.htm"), "A");
  EXPECT_EQ(Body("001.htm"), "");
  EXPECT_EQ(Body("002.htm"), "B");
  EXPECT_EQ(LastMessage(), "ok");
}

TEST_F(PagedBookTest, UpperCaseExtensionStaysInTitleButNotInContents) {
  f.fs.AddFile("/books/novel/X.TXT", "x");
  List("X.TXT\r\n");
  PagedBookConversion(f.ctx);
  EXPECT_NE(File("000.htm").find("<div align=\"center\">X.TXT</div>"), std::string::npos);
  EXPECT_NE(File("index.htm").find("<font size=4>X</font>"), std::string::npos);
  EXPECT_EQ(f.fs.Contents("/books/bak/X.TXT"), "x");
}

TEST_F(PagedBookTest, WrappingAndDecorationFollowTheCheckBoxes) {
  f.fs.AddFile("/books/novel/a.txt", "A\r\nB");
  f.fs.AddFile("/books/novel/b.txt", "A\r\nB");
  List("a.txt\r\nb.txt");
  f.ui.SetTicked(controls::kWrapLinesBox, true);
  f.ui.SetTicked(controls::kDecorateBox, true);
  PagedBookConversion(f.ctx);
  std::string page = File("000.htm");
  EXPECT_EQ(page.find("<pre>"), std::string::npos);
  EXPECT_NE(MaskDecorations(page).find("<tr><td><span class=text1>A{D}&nbsp;&nbsp;&nbsp;B{D}</span></td></tr>"),
            std::string::npos);
}

TEST_F(PagedBookTest, DecorationWithoutWrappingLeavesTheTextAlone) {
  f.fs.AddFile("/books/novel/a.txt", "A\r\nB");
  List("a.txt");
  f.ui.SetTicked(controls::kDecorateBox, true);
  PagedBookConversion(f.ctx);
  EXPECT_EQ(Body("000.htm"), "A\r\nB");
  EXPECT_EQ(File("000.htm").find("EAF4F1 size"), std::string::npos);
}

TEST_F(PagedBookTest, ZeroByteEndsTheBodyButTheBackupKeepsEveryByte) {
  f.fs.AddFile("/books/novel/z.txt", std::string("ab\0cd", 5));
  List("z.txt");
  PagedBookConversion(f.ctx);
  EXPECT_EQ(Body("000.htm"), "ab");
  EXPECT_EQ(f.fs.Contents("/books/bak/z.txt"), std::string("ab\0cd", 5));
  EXPECT_NE(LastMessage().find("z.txt"), Text::npos);  // said, not "ok"
}

TEST_F(PagedBookTest, MissingTextNeverReplacesItsBackupCopy) {
  f.fs.AddFile("/books/bak/a.txt", "converted earlier");
  f.fs.AddFile("/books/novel/b.txt", "B");
  List("a.txt\r\nb.txt\r\nb.txt\r\n");  // a.txt is gone, b.txt listed twice
  PagedBookConversion(f.ctx);
  EXPECT_EQ(f.fs.Contents("/books/bak/a.txt"), "converted earlier");
  EXPECT_EQ(f.fs.Contents("/books/bak/b.txt"), "B");
  EXPECT_EQ(Body("000.htm"), "");
  EXPECT_EQ(Body("001.htm"), "B");
  EXPECT_EQ(Body("002.htm"), "");
  EXPECT_NE(LastMessage().find(Gbk("a.txt：文件夹中没有这个文件，它的网页是空的")), Text::npos);
  EXPECT_NE(LastMessage().find(Gbk("b.txt：文件夹中没有这个文件")), Text::npos);  // the second time
}

TEST_F(PagedBookTest, EntriesThatAreNoBareFileNamesAreRefusedAndReported) {
  f.fs.AddFile("/books/victim.txt", "secret");
  f.fs.AddFile("/books/novel/sub/b.txt", "sub");
  f.fs.AddFile("/books/novel/a.txt", "A");
  List("../victim.txt\r\n/books/victim.txt\r\nsub/b.txt\r\n..\r\n.\r\na.txt\r\n.quillmere-unfinished-book");
  PagedBookConversion(f.ctx);
  for (std::string_view page : {"000.htm", "001.htm", "002.htm", "003.htm", "004.htm"}) {
    EXPECT_EQ(Body(page), "") << page;
  }
  EXPECT_EQ(Body("005.htm"), "A");
  EXPECT_FALSE(Has("/books/novel/006.htm")) << "the run's own record is no text";
  EXPECT_NE(LastMessage().find(Gbk("是本程序自己的记录或临时文件")), Text::npos);
  EXPECT_EQ(f.fs.Contents("/books/victim.txt"), "secret");
  EXPECT_EQ(f.fs.Contents("/books/novel/sub/b.txt"), "sub");
  EXPECT_FALSE(Has("/books/bak/victim.txt"));
  for (std::string_view entry : {"../victim.txt", "/books/victim.txt", "sub/b.txt"}) {
    EXPECT_NE(LastMessage().find(entry), Text::npos) << entry;
  }
  EXPECT_NE(LastMessage(), "ok");
}

TEST_F(PagedBookTest, SecondRunLeavesBackupCopiesIntact) {
  f.fs.AddFile("/books/novel/a.txt", "A");
  List("a.txt\r\n");
  PagedBookConversion(f.ctx);
  PagedBookConversion(f.ctx);
  EXPECT_EQ(f.fs.Contents("/books/bak/a.txt"), "A");
}

TEST_F(PagedBookTest, TrailingSeparatorPutsBackupInsideTheFolder) {
  f.fs.AddFile("/books/novel/a.txt", "A");
  f.ui.SetText(controls::kBookFolderBox, "/books/novel/");
  List("a.txt");
  PagedBookConversion(f.ctx);
  EXPECT_EQ(f.fs.Contents("/books/novel/bak/a.txt"), "A");
  EXPECT_EQ(Body("000.htm"), "A");
}

TEST_F(PagedBookTest, RefusesAFolderBoxThatNamesNoFolder) {
  f.fs.AddFile("/books/novel/a.txt", "A");
  List("a.txt");
  for (Text box : {Text(), Gbk("  ---拖进来---"), Text("/books/missing"), Text("/books/novel/a.txt")}) {
    f.ui.SetText(controls::kBookFolderBox, box);
    f.ui.messages.clear();
    PagedBookConversion(f.ctx);
    ASSERT_EQ(f.ui.messages.size(), 1u);
    EXPECT_NE(LastMessage(), "ok");
  }
  EXPECT_EQ(f.ui.messages[0].content, Gbk("找不到文件夹：") + "/books/novel/a.txt");
  EXPECT_FALSE(Wrote());
  EXPECT_EQ(File("a.txt"), "A");
}

// Fault injection: every failure leaves each text file either in the web
// folder or in the backup folder, whole, and the closing message says so.

// A read-only backup folder, or an older backup of the same name there
// (which is kept): the text stays, gets its page and is listed.
TEST_F(PagedBookTest, ReadOnlyBackupFolderOrAnOlderBackupKeepsTheText) {
  for (std::string_view top : {"/books", "/older"}) {
    SCOPED_TRACE(top);
    const Text folder = Text(top) + "/novel", backup = Text(top) + "/bak";
    f.fs.AddFile(folder + "/a.txt", "A");
    f.fs.AddDirectory(backup);
    if (top == "/older") f.fs.AddFile(backup + "/a.txt", "older backup");
    else f.fs.SetReadOnly(backup);
    f.ui.SetText(controls::kBookFolderBox, folder);
    List("a.txt");
    PagedBookConversion(f.ctx);
    EXPECT_EQ(f.fs.Contents(folder + "/a.txt"), "A");
    EXPECT_NE(f.fs.Contents(folder + "/000.htm").find("<pre><span class=text1>A</pre>"), Text::npos);
    if (top == "/older") {
      EXPECT_EQ(f.fs.Contents(backup + "/a.txt"), "older backup");
    }
    EXPECT_NE(LastMessage().find("a.txt"), Text::npos);
    EXPECT_NE(LastMessage(), "ok");
  }
}

TEST_F(PagedBookTest, UnwritablePageIsReportedAndItsTextIsInBackup) {
  f.fs.AddFile("/books/novel/a.txt", "A");
  f.fs.AddFile("/books/novel/b.txt", "B");
  f.fs.fail = [](std::string_view call, const Text& path) {
    return call == "write" && path.find("001.htm") != Text::npos;
  };
  List("a.txt\r\nb.txt");
  PagedBookConversion(f.ctx);
  EXPECT_EQ(f.fs.Contents("/books/bak/b.txt"), "B");
  EXPECT_FALSE(Has("/books/novel/001.htm"));
  EXPECT_NE(LastMessage().find("001.htm"), Text::npos);
  EXPECT_EQ(LastMessage().find("000.htm"), Text::npos);
}

TEST_F(PagedBookTest, FullDiskDuringTheCopyKeepsTheText) {
  // The backup folder is on another disk: the text cannot be renamed and
  // its copy does not fit.
  f.fs.AddFile("/books/novel/a.txt", std::string(1000, 'a'));
  f.fs.fail = [](std::string_view call, const Text& path) { return call == "rename" && path == "/books/novel/a.txt"; };
  f.fs.capacity = 1000 + DividerImage().Length() + PaperImage().Length() + BulletImage().Length() + 500;
  List("a.txt");
  PagedBookConversion(f.ctx);
  EXPECT_EQ(File("a.txt"), std::string(1000, 'a'));
  EXPECT_FALSE(Has("/books/bak/a.txt"));
  EXPECT_NE(LastMessage().find("a.txt"), Text::npos);
}

TEST_F(PagedBookTest, TextIsCopiedWhenItCannotBeRenamed) {
  f.fs.AddFile("/books/novel/a.txt", "A");
  f.fs.fail = [](std::string_view call, const Text& path) { return call == "rename" && path == "/books/novel/a.txt"; };
  List("a.txt");
  PagedBookConversion(f.ctx);
  EXPECT_EQ(f.fs.Contents("/books/bak/a.txt"), "A");
  EXPECT_FALSE(Has("/books/novel/a.txt"));
  EXPECT_EQ(LastMessage(), "ok");
}

// A text that is there but cannot be read gets no page and no line on the
// contents page: the book is made of the others.
TEST_F(PagedBookTest, UnreadableTextStaysAndIsReported) {
  f.fs.AddFile("/books/novel/a.txt", "A");
  f.fs.AddFile("/books/novel/b.txt", "B");
  f.fs.SetUnreadable("/books/novel/a.txt");
  List("a.txt\r\nb.txt");
  PagedBookConversion(f.ctx);
  EXPECT_TRUE(Has("/books/novel/a.txt"));
  EXPECT_FALSE(Has("/books/bak/a.txt"));
  EXPECT_EQ(Body("000.htm"), "B");
  EXPECT_FALSE(Has("/books/novel/001.htm"));
  EXPECT_EQ(File("index.htm").find(">a</font>"), std::string::npos);
  EXPECT_NE(LastMessage().find("a.txt"), Text::npos);
}

TEST_F(PagedBookTest, MakersHeaderAndNoticeReplaceTheTemplatesOwn) {
  f.fs.AddFile("/books/novel/a.txt", "A");
  f.fs.AddFile("/books/novel/b.txt", "B");
  List("a.txt\r\nb.txt");
  // As the boxes start: every page exactly as the plain template makes it.
  PagedBookConversion(f.ctx);
  EXPECT_EQ(File("000.htm"), BuildBookPage("a.txt", ByteSet("A"), 0, 2, "2024-5-7", {}, f.random));
  EXPECT_EQ(File("index.htm"), BuildContentsPage({"a.txt", "b.txt"}, "2024-5-7"));

  f.fs.AddFile("/books/novel/c.txt", "C");
  List("c.txt");
  f.ui.SetText(controls::kHeaderBox, Gbk("小林制作"));
  f.ui.SetText(controls::kNoticeBox, Gbk("仅供自己阅读"));
  PagedBookConversion(f.ctx);
  for (std::string_view page : {"000.htm", "index.htm"}) {
    std::string text = File(page);
    EXPECT_EQ(text.find(Gbk("倾情制作")), std::string::npos) << page;
    EXPECT_NE(text.find(Gbk("<title>小林制作</title>")), std::string::npos) << page;
    EXPECT_NE(text.find(Gbk("size=2 >小林制作</font>")), std::string::npos) << page;
    EXPECT_NE(text.find(Gbk("<font size=\"2\" color=\"#00FFFF\">仅供自己阅读</font><br></div>")), std::string::npos);
  }
  EXPECT_EQ(Body("000.htm"), "C");

  f.fs.AddFile("/books/novel/d.txt", "D");
  List("d.txt");
  f.ui.SetText(controls::kNoticeBox, "");
  PagedBookConversion(f.ctx);
  EXPECT_NE(File("000.htm").find("</table></table></div></body></html>"), std::string::npos);
  EXPECT_EQ(File("000.htm").find("#00FFFF"), std::string::npos);
}

TEST_F(PagedBookTest, ChapterTextsGiveTheirHeadingsAsTitles) {
  const Text name = Gbk("0003 第二章 山雨.txt");
  f.fs.AddFile("/books/novel/" + name, Gbk("第二章 山雨\r\n"));
  f.fs.AddFile("/books/novel/0004.txt", "x");  // no heading in the name
  List(name + "\r\n0004.txt");
  PagedBookConversion(f.ctx);
  std::string page = File("000.htm");
  EXPECT_NE(page.find(Gbk("<title>第二章 山雨</title>")), std::string::npos);
  EXPECT_NE(page.find(Gbk("<div align=\"center\">第二章 山雨</div>")), std::string::npos);
  EXPECT_NE(File("index.htm").find(Gbk("<font size=4>第二章 山雨</font>")), std::string::npos);
  Text heading;
  ASSERT_TRUE(BookPageHeading(page, &heading));
  EXPECT_EQ(heading, Gbk("第二章 山雨"));
  // A page of someone else's that begins like a book page keeps its own title.
  EXPECT_FALSE(
      BookPageHeading(page.substr(0, page.find("<title>")) + "<title>own</title></head><body></body>", &heading));
  EXPECT_NE(File("001.htm").find("<div align=\"center\">0004</div>"), std::string::npos);
}

// A run cut off midway (the program killed) leaves its list behind; the
// next run, given only the texts still in the folder (as a new drop lists
// them), finishes that list: the texts already in the backup folder keep
// their pages and numbers, and the message says what it found.
TEST_F(PagedBookTest, RerunAfterACutOffRunFinishesItsList) {
  // What a run over a.txt and b.txt leaves when killed after the first page.
  f.fs.AddFile("/books/novel/.quillmere-unfinished-book", "+a.txt\r\n+b.txt\r\n");
  f.fs.AddFile("/books/bak/a.txt", "alpha");
  f.fs.AddFile("/books/novel/000.htm", "page of a");
  f.fs.AddFile("/books/novel/b.txt", "beta");
  List("b.txt\r\n");
  PagedBookConversion(f.ctx);
  EXPECT_EQ(Body("000.htm"), "alpha");
  EXPECT_EQ(Body("001.htm"), "beta");
  EXPECT_NE(File("index.htm").find(">a</font>"), std::string::npos);
  EXPECT_NE(LastMessage().find(Gbk("上次的转换中断了")), Text::npos);
  List("c.txt\r\n");  // the finished run leaves no list behind
  f.fs.AddFile("/books/novel/c.txt", "gamma");
  PagedBookConversion(f.ctx);
  EXPECT_EQ(Body("000.htm"), "gamma");
  EXPECT_EQ(LastMessage(), "ok");
}

// A page that cannot be written (a full disk) leaves the run unfinished:
// its text is already in the backup folder, and the next click writes the
// page from there.
TEST_F(PagedBookTest, PagesThatCouldNotBeWrittenAreWrittenByTheNextClick) {
  f.fs.AddFile("/books/novel/a.txt", "alpha");
  f.fs.AddFile("/books/novel/b.txt", "beta");
  List("a.txt\r\nb.txt\r\n");
  f.fs.fail = [](std::string_view call, const Text& path) {
    return call != "read" && path.find("001.htm") != Text::npos;
  };
  PagedBookConversion(f.ctx);
  EXPECT_FALSE(f.fs.Exists("/books/novel/001.htm"));
  EXPECT_NE(LastMessage().find(Gbk("补写")), Text::npos);
  f.fs.fail = nullptr;
  List("");  // a new drop lists no texts: both are in the backup folder
  PagedBookConversion(f.ctx);
  EXPECT_EQ(Body("000.htm"), "alpha");
  EXPECT_EQ(Body("001.htm"), "beta");
  EXPECT_NE(LastMessage().find(Gbk("上次的转换中断了")), Text::npos);
}

// Another window's run under way in the folder (its record names a live
// process) is left alone: nothing is read, moved or written. A record whose
// process has ended is a cut-off run and is finished.
TEST_F(PagedBookTest, ARunUnderWayInAnotherProcessIsNotTakenOver) {
  f.fs.AddFile("/books/novel/a.txt", "alpha");
  const Text live = ToText(static_cast<long long>(::getppid()));
  f.fs.AddFile("/books/novel/.quillmere-unfinished-book", "#" + live + "\r\n+a.txt\r\n");
  List("a.txt\r\n");
  PagedBookConversion(f.ctx);
  EXPECT_NE(LastMessage().find(live), Text::npos);
  EXPECT_FALSE(Wrote());
  EXPECT_EQ(File("a.txt"), "alpha");

  const pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  ::waitpid(child, nullptr, 0);
  f.fs.AddFile("/books/novel/.quillmere-unfinished-book",
               "#" + ToText(static_cast<long long>(child)) + "\r\n+a.txt\r\n");
  PagedBookConversion(f.ctx);
  EXPECT_EQ(Body("000.htm"), "alpha");
  EXPECT_NE(LastMessage().find(Gbk("上次的转换中断了")), Text::npos);

  // Another process begins its run in the folder just as this one does:
  // its record appears before this one's is written, and it goes on alone.
  MemoryFixture g;
  g.fs.AddDirectory(kFolder);
  g.ui.SetText(controls::kBookFolderBox, kFolder);
  g.ui.SetText(controls::kOrderListBox, "a.txt");
  g.fs.AddFile("/books/novel/a.txt", "alpha");
  const Text record = Text(kFolder) + "/" + kUnfinishedBookName;
  g.fs.fail = [&](std::string_view call, const Text& path) {
    if (call == "write" && path.find(kUnfinishedBookName) != Text::npos && !g.fs.Exists(record))
      g.fs.AddFile(record, "#" + live + "\r\n+a.txt\r\n");
    return false;
  };
  PagedBookConversion(g.ctx);
  EXPECT_NE(g.ui.messages.back().content.find(live), Text::npos);
  EXPECT_EQ(g.fs.Contents("/books/novel/a.txt"), "alpha");
  EXPECT_FALSE(g.fs.Exists("/books/novel/000.htm"));
}

// A listed name that the run writes itself (a page name of this run,
// index.htm, an image) is not read as a text and gets no page: the user's
// file of that name goes into the backup folder before any page is written.
TEST_F(PagedBookTest, EntriesNamedLikeTheRunsOwnFilesAreKeptAndListed) {
  f.fs.AddFile("/books/novel/a.txt", "A");
  f.fs.AddFile("/books/novel/b.txt", "B");
  f.fs.AddFile("/books/novel/001.htm", "user page");
  f.fs.AddFile("/books/bak/icon.gif", "older backup");
  List("a.txt\r\nb.txt\r\n001.htm\r\nicon.gif\r\n");
  PagedBookConversion(f.ctx);
  EXPECT_EQ(f.fs.Contents("/books/bak/001.htm"), "user page");
  EXPECT_EQ(f.fs.Contents("/books/bak/icon.gif"), "older backup");
  EXPECT_EQ(Body("000.htm"), "A");
  EXPECT_EQ(Body("001.htm"), "B");
  EXPECT_FALSE(Has("/books/novel/002.htm"));
  EXPECT_EQ(File("index.htm").find("001.htm><font size=4>001"), std::string::npos);
  EXPECT_NE(LastMessage().find("001.htm"), Text::npos);
  EXPECT_NE(LastMessage().find("icon.gif"), Text::npos);
}

// A UTF-16 text of an odd number of bytes loses its last byte, and says so.
TEST_F(PagedBookTest, OddTrailingByteOfAUtf16TextIsListed) {
  f.fs.AddFile("/books/novel/u.txt", std::string("\xFF\xFE"
                                                 "A\0B\0"
                                                 "C",
                                                 7));
  List("u.txt");
  PagedBookConversion(f.ctx);
  EXPECT_EQ(Body("000.htm"), "AB");
  EXPECT_NE(LastMessage().find("u.txt"), Text::npos);
  EXPECT_NE(LastMessage().find(Gbk("奇数")), Text::npos);
}

// The folder or bak swapped for another as the run starts (by another
// program): no text moves, and nothing is written into the folder now there.
TEST_F(PagedBookTest, AFolderSwappedAsTheRunStartsStopsItBeforeAnyTextMoves) {
  for (const char* swapped : {kFolder, kBackup}) {
    MemoryFixture g;
    g.fs.AddDirectory(kFolder);
    g.fs.AddDirectory(kBackup);
    g.ui.SetText(controls::kBookFolderBox, kFolder);
    g.ui.SetText(controls::kOrderListBox, "a.txt\r\nb.txt");
    g.fs.AddFile("/books/novel/a.txt", "A");
    g.fs.AddFile("/books/novel/b.txt", "B");
    bool done = false;
    g.fs.fail = [&](std::string_view, const Text& path) {
      if (!done && path.find(kUnfinishedBookName) != Text::npos) {
        done = true;
        g.fs.Rename(swapped, Text(swapped) + "-old");
        g.fs.AddDirectory(swapped);
      }
      return false;
    };
    PagedBookConversion(g.ctx);
    const Text folder = Text(kFolder) + (Text(swapped) == kFolder ? "-old" : "");
    EXPECT_EQ(g.fs.Contents(folder + "/a.txt"), "A") << swapped;
    EXPECT_EQ(g.fs.Contents(folder + "/b.txt"), "B") << swapped;
    EXPECT_FALSE(g.fs.Exists(Text(kFolder) + "/000.htm")) << swapped;
    EXPECT_NE(g.ui.messages.back().content.find(Gbk("换掉")), Text::npos) << swapped;
  }
}

}  // namespace
}  // namespace qm

// The project preview and the contents and project files, byte for byte.
#include <gtest/gtest.h>

#include <array>
#include <random>

#include "chm/compile.h"
#include "chm/document_tree.h"
#include "chm/project_files.h"
#include "chm/tree_editing.h"
#include "core/book_page.h"
#include "core/control_names.h"
#include "literal_tree_ops.h"
#include "runtime/encoding.h"
#include "support/operation_fixture.h"
#include "tree_test_support.h"

namespace qm {
namespace {

const Text kHeader =
    "<HTML><HEAD><META name=\"GENERATOR\" content=\"Vellumix 1.0.1\">\r\n"
    "<!-- Sitemap 1.0 --></HEAD><BODY>\r\n"
    "<OBJECT type=\"text/site properties\">\r\n"
    "<PARAM name=\"Window Styles\" value=\"0x800627\">\r\n"
    "<PARAM name=\"ImageType\" value=\"Folder\">\r\n"
    "</OBJECT>\r\n"
    "<UL>\r\n";
const Text kFooter = "\r\n</UL></BODY></HTML>";

Text Folder(const Text& name) {
  return "<LI><OBJECT type=\"text/sitemap\">\r\n<PARAM name=\"Name\" value=\"" + name + "\">\r\n</OBJECT>";
}
Text Document(const Text& name, const Text& local) {
  return "<LI><OBJECT type=\"text/sitemap\">\r\n<PARAM name=\"Name\" value=\"" + name +
         "\">\r\n<PARAM name=\"Local\" value=\"" + local + "\">\r\n</OBJECT>";
}
Text Project(const Text& book, const Text& home, const Text& files) {
  return "[OPTIONS]\r\nDisplay compile progress=no\r\nDefault Window=win\r\nCompiled file=" + book +
         ".chm\r\nDefault topic=" + home + "\r\n\r\n[WINDOWS]\r\nwin=\"" + book + "\",\"" + book + ".hhc\",,\"" + home +
         "\",\"" + home + "\",,,,,0x040120,,0x304E,[0,0,1010,738],0x0,0x0,,,,,\r\n\r\n[FILES]\r\n\r\n" + files;
}

struct ChmTab : MemoryFixture {
  ChmTab() {
    tree.SetSelectionListener([this](int how) { OnTreeSelectionChanged(ctx, how); });
    ui.SetDisabled(chm::kCompileButton, true);
    fs.AddFile("/books/MyBook/img/c.gif", "GIF");
    fs.AddFile("/books/MyBook/b.txt", "text");
    fs.AddFile("/books/MyBook/a.htm", "<p>");
  }
  // The timer ticks when it is armed.
  void Tick() {
    if (ui.Interval(chm::kPreviewTimer) > 0) RefreshProjectPreview(ctx);
  }
};

TEST(ContentsFile, WorkedExampleByteForByte) {
  TreeModel tree;
  test::Build(tree, {{1, "<img>"}, {2, "c.gif"}, {1, "a.htm"}});
  EXPECT_EQ(ContentsText(tree), kHeader + Folder("img") + "\r\n<UL>\r\n" + Document("c.gif", "img\\c.gif") + "\r\n" +
                                    "\r\n</UL>\r\n" + Document("a", "a.htm") + "\r\n" + kFooter);
}

TEST(ContentsFile, EmptyTreeAndChildlessFolders) {
  TreeModel tree;
  EXPECT_EQ(ContentsText(tree), kHeader + kFooter);
  test::Build(tree, {{1, "<ch1>"}, {2, "<empty>"}, {2, "p.htm"}, {1, "<none>"}});
  EXPECT_EQ(ContentsText(tree), kHeader + Folder("ch1") + "\r\n<UL>\r\n" + Folder("empty") + "\r\n" +
                                    Document("p", "ch1\\p.htm") + "\r\n\r\n</UL>\r\n" + Folder("none") + "\r\n" +
                                    kFooter);
}

TEST(ContentsFile, ClosesAsManyLevelsAsTheDepthFalls) {
  TreeModel tree;
  const Text next = Document("y", "y.htm");
  auto after = [](const Text& local) { return "value=\"" + local + "\">\r\n</OBJECT>\r\n"; };
  test::Build(tree, {{1, "<a>"}, {2, "x.htm"}, {1, "y.htm"}});
  EXPECT_NE(ContentsText(tree).find(after("a\\x.htm") + "\r\n</UL>\r\n" + next), Text::npos);
  test::Build(tree, {{1, "<a>"}, {2, "<b>"}, {3, "x.htm"}, {1, "y.htm"}});
  EXPECT_NE(ContentsText(tree).find(after("a\\b\\x.htm") + "\r\n</UL>\r\n</UL>\r\n" + next), Text::npos);
  test::Build(tree, {{1, "<a>"}, {2, "<b>"}, {3, "<c>"}, {4, "x.htm"}, {1, "y.htm"}});
  EXPECT_NE(ContentsText(tree).find(after("a\\b\\c\\x.htm") + "\r\n</UL>\r\n</UL>\r\n</UL>\r\n" + next), Text::npos);
  test::Build(tree, {{1, "<a>"}, {2, "<b>"}, {3, "<c>"}, {4, "<d>"}, {5, "x.htm"}, {1, "y.htm"}});
  EXPECT_NE(ContentsText(tree).find(after("a\\b\\c\\d\\x.htm") + "\r\n</UL>\r\n</UL>\r\n</UL>\r\n</UL>\r\n" + next),
            Text::npos);
  // The last document closes its folder's list; the footer closes the top.
  test::Build(tree, {{1, "<a>"}, {2, "x.htm"}});
  EXPECT_TRUE(EndsWith(ContentsText(tree), after("a\\x.htm") + "\r\n</UL>\r\n" + kFooter));
}

TEST(ContentsFile, InheritedNamesLoseOnlyLowerCaseExtensionsAndPlaceholdersChain) {
  TreeModel tree;
  test::Build(tree, {{1, "X.HTM"}, {1, "a.html"}, {1, "style.css"}, {1, "<ch>"}, {2, "CCCCCC.htm"}, {2, "Y.HTML"}});
  const Text text = ContentsText(tree);
  EXPECT_NE(text.find(Document("X.HTM", "X.HTM")), Text::npos);
  EXPECT_NE(text.find(Document("a", "a.html")), Text::npos);
  EXPECT_NE(text.find(Document("style.css", "style.css")), Text::npos);
  EXPECT_NE(text.find(Document("Y.HTML", "ch\\Y.HTML")), Text::npos);
  // The name is put in before the local path, so a name holding the path's
  // placeholder becomes the path too.
  EXPECT_NE(text.find(Document("ch\\CCCCCC.htm", "ch\\CCCCCC.htm")), Text::npos);
}

// Angle brackets mark folders in the tree's texts; inside a folder every one
// goes from the names and paths, a top-level page keeps its own.
TEST(ContentsFile, InheritedNamesInsideFoldersLoseTheirAngleBrackets) {
  TreeModel tree;
  test::Build(tree, {{1, "<a<b>>"}, {2, "x<y>.htm"}, {1, "p<q>.htm"}});
  EXPECT_EQ(ContentsText(tree), kHeader + Folder("ab") + "\r\n<UL>\r\n" + Document("xy", "ab\\xy.htm") +
                                    "\r\n\r\n</UL>\r\n" + Document("p<q>", "p<q>.htm") + "\r\n" + kFooter);
  EXPECT_EQ(DocumentOrderListOf(tree), "ab\\xy.htm\r\np<q>.htm\r\n");
}

TEST(ContentsFile, QuotesInNamesAreWrittenAsReferencesAndNothingElseChanges) {
  TreeModel tree;
  test::Build(tree, {{1, "a\"><!--.htm"},
                     {1, "<q\"&quot;>"},
                     {2, "d?x#y.htm"},
                     {2, "&amp;.htm"},
                     {1, "<&lt;dir&gt;>"},
                     {2, "a&lt;b.htm"},
                     {2, "d&lt.htm"},
                     {2, "&#20013;&.htm"},
                     {1, "x&1 & y.htm"}});
  const Text text = ContentsText(tree);
  // An "&" that a reader could take for a reference is written as "&amp;".
  EXPECT_NE(text.find(Folder("&amp;lt;dir&amp;gt;")), Text::npos) << text;
  EXPECT_NE(text.find(Document("a&amp;lt;b", "&amp;lt;dir&amp;gt;\\a&amp;lt;b.htm")), Text::npos) << text;
  EXPECT_NE(text.find(Document("d&amp;lt", "&amp;lt;dir&amp;gt;\\d&amp;lt.htm")), Text::npos) << text;
  EXPECT_NE(text.find(Document("&amp;#20013;&", "&amp;lt;dir&amp;gt;\\&amp;#20013;&.htm")), Text::npos) << text;
  EXPECT_NE(text.find(Document("x&1 & y", "x&1 & y.htm")), Text::npos) << text;
  EXPECT_NE(text.find(Document("a&quot;><!--", "a&quot;><!--.htm")), Text::npos) << text;
  EXPECT_NE(text.find(Folder("q&quot;&amp;quot;")), Text::npos) << text;
  EXPECT_NE(text.find(Document("d?x#y", "q&quot;&amp;quot;\\d?x#y.htm")), Text::npos) << text;
  EXPECT_NE(text.find(Document("&amp;amp;", "q&quot;&amp;quot;\\&amp;amp;.htm")), Text::npos) << text;
  for (const char* name : {"a\"><!--.htm", "q\"&quot;", "&amp;.htm", "x&y\"z", "&lt;&#1;&&", "e&quot.htm&"})
    EXPECT_EQ(AttributeValueText(QuotedAttributeText(name)), name) << name;
}

// The depth of each entry of a contents text, read back from its lists
// (the header's list is depth 1); empty when the lists are not balanced.
std::vector<int> EntryDepths(const Text& contents) {
  std::vector<int> depths;
  int open = 0;
  for (std::size_t i = contents.find('<'); i != Text::npos; i = contents.find('<', i + 1)) {
    if (contents.compare(i, 4, "<UL>") == 0) ++open;
    else if (contents.compare(i, 5, "</UL>") == 0 && --open < 0) return {};
    else if (contents.compare(i, 4, "<LI>") == 0) depths.push_back(open);
  }
  if (open != 0) return {};
  return depths;
}

TEST(ContentsFile, NestsAsTheTreeDoesAndMatchesTheStepByStepBuildWhereThatNestsRight) {
  std::mt19937 rng(5);
  int same = 0;
  for (int round = 0; round < 400; ++round) {
    TreeModel tree;
    test::BuildRandom(tree, rng, static_cast<int>(rng() % 40), 1 + round % 8);
    std::vector<int> depths;
    for (int i = 0; i < tree.Count(); ++i) depths.push_back(tree.Depth(i));
    const Text text = ContentsText(tree);
    ASSERT_EQ(EntryDepths(text), depths) << "round " << round << "\n" << test::Dump(tree) << text;
    // Where the step-by-step build already nests every entry right, every
    // byte is the same.
    const Text literal_text = literal::ContentsText(tree);
    if (EntryDepths(literal_text) != depths) continue;
    ASSERT_EQ(text, literal_text) << "round " << round;
    ++same;
  }
  EXPECT_GT(same, 50);  // the comparison is not empty
}

TEST(ProjectPreview, FollowsTheNodeSelectedAtTheTick) {
  ChmTab t;
  OnChmFolderDrop(t.ctx, "/books/MyBook");
  t.tree.Select(1, 1);
  t.tree.Select(2, 1);  // within the same second
  EXPECT_EQ(t.ui.timer_restarts, 1);
  t.Tick();
  EXPECT_EQ(t.ui.GetText(chm::kProjectBox), Project("MyBook", "a.htm", "img\\c.gif\r\na.htm\r\nb.txt\r\n"));
  EXPECT_EQ(t.ui.Interval(chm::kPreviewTimer), 0);
  t.tree.Select(0, 1);  // a folder node gives the folder's own path
  t.Tick();
  EXPECT_EQ(t.ui.GetText(chm::kProjectBox), Project("MyBook", "img", "img\\c.gif\r\na.htm\r\nb.txt\r\n"));
  t.tree.Select(1, 1);
  t.Tick();
  EXPECT_EQ(t.ui.GetText(chm::kProjectBox), Project("MyBook", "img\\c.gif", "img\\c.gif\r\na.htm\r\nb.txt\r\n"));
}

TEST(ProjectPreview, NothingSelectedEmptiesTheBoxAndStopsTheTimer) {
  ChmTab t;
  OnChmFolderDrop(t.ctx, "/books/MyBook");
  t.tree.Select(2, 1);
  OnChmFolderDrop(t.ctx, "/books/MyBook");  // clears the selection, re-arming the timer
  t.ui.SetText(chm::kProjectBox, "left over");
  t.Tick();
  EXPECT_EQ(t.ui.GetText(chm::kProjectBox), "");
  EXPECT_EQ(t.ui.Interval(chm::kPreviewTimer), 0);
}

TEST(ProjectPreview, FullTextSearchTickAsksForTheIndexAndShowsTheSearchTab) {
  ChmTab t;
  OnChmFolderDrop(t.ctx, "/books/MyBook");
  t.tree.Select(2, 1);
  t.Tick();
  const Text plain = t.ui.GetText(chm::kProjectBox);
  t.ui.SetTicked(chm::kFullTextSearchBox, true);
  RefreshProjectPreview(t.ctx);  // what the tick box's click runs
  Text searchable = ReplaceSubtext(plain, "\r\n\r\n[WINDOWS]", "\r\nFull-text search=Yes\r\n\r\n[WINDOWS]");
  EXPECT_EQ(t.ui.GetText(chm::kProjectBox), ReplaceSubtext(searchable, "0x040120", "0x040520"));
  t.ui.SetTicked(chm::kFullTextSearchBox, false);
  RefreshProjectPreview(t.ctx);
  EXPECT_EQ(t.ui.GetText(chm::kProjectBox), plain) << "unticked, every byte is as before";
}

TEST(ProjectPreview, InheritedPlaceholdersInReplacedTextAreReplacedAgain) {
  EXPECT_EQ(ProjectText(Gbk("我的主页"), "<ch1>\\p.htm\\", "p\r\n"),
            Project(Gbk("我的") + "ch1\\p.htm", "ch1\\p.htm", "p\r\n"));
  EXPECT_EQ(ProjectText("DDDDD", "a.htm\\", "a.htm\r\n"), Project("a.htm\r\n", "a.htm", "a.htm\r\n"));
  EXPECT_EQ(ProjectText("B", "a.htm\\", ""), Project("B", "a.htm", ""));  // ends with the empty line's CR LF
}

// A home page whose name holds a quote stays out of the window line, which
// cannot hold it; the default topic names it.
TEST(ProjectPreview, HomeWithAQuoteIsLeftToTheDefaultTopic) {
  const Text text = ProjectText("B", "a\"b.htm", "a\"b.htm\r\n");
  EXPECT_NE(text.find("Default topic=a\"b.htm\r\n"), Text::npos);
  EXPECT_NE(text.find("win=\"B\",\"B.hhc\",,\"\",\"\",,"), Text::npos) << text;
  EXPECT_EQ(ProjectText("B", "a.htm", ""), Project("B", "a.htm", ""));
}

TEST(ProjectPreview, InheritedFilesListHoldsTheLastDrop) {
  ChmTab t;
  OnChmFolderDrop(t.ctx, "/books/MyBook");
  t.tree.Select(3, 1);
  OnDeleteItemClicked(t.ctx);  // b.txt goes; a.htm is selected now
  OnFilterClicked(t.ctx);      // c.gif goes
  t.Tick();
  EXPECT_EQ(t.ui.GetText(chm::kProjectBox), Project("MyBook", "a.htm", "img\\c.gif\r\na.htm\r\nb.txt\r\n"));
  BuildContents(t.ctx);
  EXPECT_EQ(t.fs.Contents("/books/MyBook/MyBook.hhc"),
            kHeader + Folder("img") + "\r\n" + Document("a", "a.htm") + "\r\n" + kFooter);
}

TEST(BuildContents, WritesBothFilesFromTheBoxesAndEnablesCompiling) {
  ChmTab t;
  OnChmFolderDrop(t.ctx, "/books/MyBook");
  t.tree.Select(2, 1);
  t.Tick();
  t.ui.SetText(chm::kProjectBox, t.ui.GetText(chm::kProjectBox) + Gbk("; 手改"));  // edited by hand
  t.ui.SetText(chm::kContentsBox, "stale");
  BuildContents(t.ctx);
  const Text contents = kHeader + Folder("img") + "\r\n<UL>\r\n" + Document("c.gif", "img\\c.gif") + "\r\n" +
                        "\r\n</UL>\r\n" + Document("a", "a.htm") + "\r\n" + Document("b.txt", "b.txt") + "\r\n" +
                        kFooter;
  EXPECT_EQ(t.ui.GetText(chm::kContentsBox), contents);
  EXPECT_EQ(t.fs.Contents("/books/MyBook/MyBook.hhc"), contents);
  EXPECT_EQ(t.fs.Contents("/books/MyBook/MyBook.hhp"), t.ui.GetText(chm::kProjectBox));
  EXPECT_TRUE(EndsWith(t.fs.Contents("/books/MyBook/MyBook.hhp"), Gbk("; 手改")));
  EXPECT_FALSE(t.ui.IsDisabled(chm::kCompileButton));
  EXPECT_TRUE(t.ui.messages.empty());
}

TEST(BuildContents, PageTitlesNameTheEntriesWhenTicked) {
  ChmTab t;
  Random random;
  const Text book_page =
      BuildBookPage(TextFromNativeName("感遇・其一.txt"), ByteSet("poem"), 0, 2, "2026-1-1", {}, random);
  t.fs.AddFile("/books/T/000.htm", book_page);
  t.fs.AddFile("/books/T/index.htm", BuildContentsPage({"a.txt"}, "2026-1-1"));  // no title of its own
  t.fs.AddFile("/books/T/ch/p.htm", Gbk("<html><TITLE lang=zh>\r\n 第一 &amp; \"二\"\t</title>"));
  t.fs.AddFile("/books/T/q.html", "<html>no title</html>");
  t.fs.AddFile("/books/T/" + TextFromNativeName("夜・雨.htm"), "<title></title>");
  t.fs.AddFile("/books/T/pic.gif", "<title>not a page</title>");
  // Pages in UTF-8, found by their bytes or by what they say; a GBK page
  // that says so keeps its bytes though they also read as UTF-8 ("中文").
  t.fs.AddFile("/books/T/u8.htm", "<meta charset=\"UTF-8\"><title>中文・标题😀</title>");
  t.fs.AddFile("/books/T/u8b.htm", "<title>中文</title>");
  t.fs.AddFile("/books/T/u8c.htm", "<meta content='text/html; charset=utf-8'><title>x\xFFy</title>");
  t.fs.AddFile("/books/T/gb.htm", "<meta charset=gb2312><title>" + Gbk("涓枃") + "</title>");
  // Titles read as the book stores the page: another declared charset is
  // converted, and "charset=" in the body declares nothing.
  t.fs.AddFile("/books/T/b5.htm", "<head><meta charset=big5><title>\xA4\xA4</title>");
  t.fs.AddFile("/books/T/cs.htm", "<title>" + Gbk("中文") + "</title><body>charset=utf-8");
  // Titles in comments do not count; "<" and ">" become references.
  t.fs.AddFile("/books/T/c.htm", "<!-- <title>fake</title> --><!--><title>real <x> & y</title>");
  t.fs.AddFile("/books/T/c2.htm", "<!-- <title>fake</title>");
  OnChmFolderDrop(t.ctx, "/books/T");
  BuildContents(t.ctx);
  const Text by_file = t.fs.Contents("/books/T/T.hhc");
  t.ui.SetTicked(chm::kPageTitleBox, true);
  BuildContents(t.ctx);
  const Text by_title = t.fs.Contents("/books/T/T.hhc");
  EXPECT_EQ(by_file, ContentsText(t.tree));
  const Text night = TextFromNativeName("夜・雨.htm");
  for (const auto& [file_name, title_name, local] :
       std::vector<std::array<Text, 3>>{{"000", Gbk("感遇") + "&#12539;" + Gbk("其一"), "000.htm"},
                                        {"p", Gbk("第一 &amp; &quot;二&quot;"), "ch\\p.htm"},
                                        {"q", "q", "q.html"},
                                        {"index", "index", "index.htm"},
                                        {Gbk("夜") + "&#12539;" + Gbk("雨"), Gbk("夜") + "&#12539;" + Gbk("雨"), night},
                                        {"pic.gif", "pic.gif", "pic.gif"},
                                        {"u8", Gbk("中文") + "&#12539;" + Gbk("标题") + "&#128512;", "u8.htm"},
                                        {"u8b", Gbk("中文"), "u8b.htm"},
                                        {"u8c", "x&#65533;y", "u8c.htm"},
                                        {"gb", Gbk("涓枃"), "gb.htm"},
                                        {"b5", Gbk("中"), "b5.htm"},
                                        {"cs", Gbk("中文"), "cs.htm"},
                                        {"c", "real &lt;x&gt; & y", "c.htm"},
                                        {"c2", "c2", "c2.htm"}}) {
    EXPECT_NE(by_file.find(Document(file_name, local)), Text::npos) << local;
    EXPECT_NE(by_title.find(Document(title_name, local)), Text::npos) << local;
  }
}

TEST(BuildContents, WithoutAHomePageKeepsTheEarlierProjectFileAndSaysSo) {
  ChmTab t;
  t.fs.AddFile("/books/MyBook/MyBook.hhp", "[OPTIONS]\r\nearlier");
  OnChmFolderDrop(t.ctx, "/books/MyBook");
  BuildContents(t.ctx);
  EXPECT_EQ(t.fs.Contents("/books/MyBook/MyBook.hhp"), "[OPTIONS]\r\nearlier");
  EXPECT_NE(t.fs.Contents("/books/MyBook/MyBook.hhc"), "");
  ASSERT_EQ(t.ui.messages.size(), 1u);
  EXPECT_NE(t.ui.messages[0].content.find("MyBook.hhp"), Text::npos);
}

TEST(BuildContents, FailedWritesAreReportedAndLeaveOldFilesWhole) {
  ChmTab t;
  t.fs.AddFile("/books/MyBook/MyBook.hhc", "old contents");
  OnChmFolderDrop(t.ctx, "/books/MyBook");
  t.tree.Select(2, 1);
  t.Tick();
  t.fs.capacity = 10;  // the disk is full
  BuildContents(t.ctx);
  EXPECT_EQ(t.fs.Contents("/books/MyBook/MyBook.hhc"), "old contents");
  EXPECT_FALSE(t.fs.Exists("/books/MyBook/MyBook.hhp"));
  ASSERT_EQ(t.ui.messages.size(), 1u);
  EXPECT_NE(t.ui.messages[0].content.find("MyBook.hhc"), Text::npos);
  EXPECT_NE(t.ui.messages[0].content.find("MyBook.hhp"), Text::npos);
  EXPECT_FALSE(t.ui.IsDisabled(chm::kCompileButton));
  EXPECT_EQ(t.ui.GetText(chm::kContentsBox).substr(0, kHeader.size()), kHeader);

  // A folder box that names no folder any more: the boxes keep their texts.
  ChmTab u;
  OnChmFolderDrop(u.ctx, "/books/MyBook");
  u.ui.SetText(chm::kFolderBox, "/gone");
  BuildContents(u.ctx);
  EXPECT_FALSE(u.fs.Exists("/gone/MyBook.hhc"));
  EXPECT_EQ(u.ui.messages.size(), 1u);

  // No folder dropped: the start hint is no book folder, even where a folder
  // of that name exists; neither button writes or runs anything.
  ChmTab v;
  const Text hint = Gbk("  ---拖进来---");
  v.fs.AddDirectory(hint);
  v.ui.SetText(chm::kFolderBox, hint);
  BuildContents(v.ctx);
  CompileChm(v.ctx);
  EXPECT_FALSE(v.fs.Exists(hint + "/.hhc"));
  EXPECT_TRUE(v.processes.runs.empty());
  ASSERT_EQ(v.ui.messages.size(), 2u);
  EXPECT_EQ(v.ui.messages[1].content, Gbk("请先把文件夹拖进来！"));
}

// The contents and project files are written only into the folder the tree
// was built from, under the book's name: not after a refused drop, not with
// an empty book name, not into another folder typed into the box since. The
// user's files there stay, and the message says why.
TEST(BuildContents, WritesOnlyForTheDroppedFolder) {
  ChmTab t;
  const Text refused = "/books/B\nx";
  t.fs.AddFile(refused + "/.hhc", "user file");
  t.fs.AddFile(refused + "/.hhp", "user project");
  t.fs.AddFile("/books/other/MyBook.hhc", "user contents");
  t.ui.SetTicked(chm::kNoOwnContentsBox, true);  // the compile button is on

  OnChmFolderDrop(t.ctx, "/books/MyBook");
  t.tree.Select(2, 1);
  t.Tick();
  OnChmFolderDrop(t.ctx, refused);
  BuildContents(t.ctx);
  CompileChm(t.ctx);
  EXPECT_EQ(t.fs.Contents(refused + "/.hhc"), "user file");
  EXPECT_EQ(t.fs.Contents(refused + "/.hhp"), "user project");
  EXPECT_EQ(t.ui.messages.back().content, Gbk("请先把文件夹拖进来！"));

  OnChmFolderDrop(t.ctx, "/books/MyBook");
  t.tree.Select(2, 1);
  t.Tick();
  t.ui.SetText(chm::kFolderBox, "/books/other");
  const std::size_t before = t.ui.messages.size();
  BuildContents(t.ctx);
  CompileChm(t.ctx);
  EXPECT_EQ(t.fs.Contents("/books/other/MyBook.hhc"), "user contents");
  EXPECT_FALSE(t.fs.Exists("/books/other/MyBook.hhp"));
  EXPECT_TRUE(t.processes.runs.empty());
  ASSERT_EQ(t.ui.messages.size(), before + 2);
  EXPECT_NE(t.ui.messages.back().content.find(Gbk("重新拖进来")), Text::npos);

  t.ui.SetTicked(chm::kNoOwnContentsBox, false);
  t.state.BookName.clear();  // as a drive root gives
  t.ui.SetText(chm::kFolderBox, "/books/MyBook");
  BuildContents(t.ctx);
  EXPECT_FALSE(t.fs.Exists("/books/MyBook/.hhc"));
  EXPECT_NE(t.ui.messages.back().content.find(Gbk("书名是空的")), Text::npos);
}

}  // namespace
}  // namespace qm

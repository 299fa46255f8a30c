// The page simplifier on a folder of pages.
#include "batch/page_simplifier.h"
#include "batch/reencoding.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "batch/text_between_markers.h"
#include "core/control_names.h"
#include "core/page_images.h"
#include "core/page_templates.h"
#include "runtime/encoding.h"
#include "support/operation_fixture.h"
#include "support/virtual_file_system.h"

namespace qm {
namespace {

class PageSimplificationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    f.ui.SetText(controls::kSimplifyFolderBox, "/site");
    f.ui.SetText(controls::kSimplifySuffixBox, ".htm");
    f.ui.SetText(controls::kFrontMarkerBox, "<body>");
    f.ui.SetText(controls::kBackMarkerBox, "</body>");
    f.ui.SetDisabled(controls::kSimplifyButton, false);
  }
  Text OutPath(std::string_view name) { return "/site/" + Gbk("处理后") + "/" + Text(name); }
  Text Framed(const Text& body) { return FramedPageHead() + body + FramedPageTail(); }
  MemoryFixture f;
};

TEST_F(PageSimplificationTest, MovesTheCutPagesIntoTheOutputFolder) {
  f.fs.AddFile("/site/a.htm", "<html><BODY>" + Gbk("正文") + "</Body></html>");
  f.fs.AddFile("/site/b.html", std::string("<body>cut\0<body>x</body>", 24));
  f.fs.AddFile("/site/c.txt", "<body>not a page</body>");
  f.fs.AddFile("/site/sub/d.htm", "<body>deeper</body>");
  PageSimplification(f.ctx);
  EXPECT_EQ(f.fs.Contents(OutPath("a.htm")), Framed(Gbk("正文")));
  EXPECT_FALSE(f.fs.Exists("/site/a.htm"));
  // Cut at the 0 byte: no back marker before it, so b.html stays.
  EXPECT_TRUE(f.fs.Exists("/site/b.html"));
  EXPECT_FALSE(f.fs.Exists(OutPath("b.html")));
  EXPECT_TRUE(f.fs.Exists("/site/c.txt"));
  EXPECT_TRUE(f.fs.Exists("/site/sub/d.htm"));
  EXPECT_EQ(f.fs.Contents(OutPath(kPaleTileImageName)), PaleTileImage().bytes);
  EXPECT_EQ(f.ui.cursor_log, (std::vector<std::string>{"wait", "restore"}));
  EXPECT_TRUE(f.ui.IsDisabled(controls::kSimplifyButton));
  EXPECT_EQ(f.ui.GetText(controls::kSimplifyFolderBox), "/site");
  // One closing message, and no "ok" before a failure.
  ASSERT_EQ(f.ui.messages.size(), 1u);
  EXPECT_EQ(f.ui.messages[0].caption, Gbk("信息："));
  EXPECT_NE(f.ui.messages[0].content.find(Gbk("有 1 个网页在前标记和后标记之间没有内容")), Text::npos);
}

TEST(PageToolsOnDisk, ALinkToAPageOutsideStaysAndIsListed) {
  DiskFixture f;
  namespace fs = std::filesystem;
  fs::path dir = f.dir.path();
  fs::create_directory(dir / "site");
  std::ofstream(dir / "secret.htm") << "<body>SECRET</body>";
  std::ofstream(dir / "site" / "own.htm") << "<body>OWN</body>";
  fs::create_symlink("../secret.htm", dir / "site" / "pw.htm");
  fs::create_symlink("own.htm", dir / "site" / "alias.htm");
  f.ui.SetText(controls::kSimplifyFolderBox, (dir / "site").string());
  f.ui.SetText(controls::kSimplifySuffixBox, ".htm");
  f.ui.SetText(controls::kFrontMarkerBox, "<body>");
  f.ui.SetText(controls::kBackMarkerBox, "</body>");
  PageSimplification(f.ctx);
  fs::path out = dir / "site" / "\xE5\xA4\x84\xE7\x90\x86\xE5\x90\x8E";  // 处理后
  EXPECT_TRUE(fs::is_symlink(dir / "site" / "pw.htm"));
  EXPECT_FALSE(fs::exists(out / "pw.htm"));
  EXPECT_TRUE(fs::exists(out / "alias.htm"));  // a link inside the folder is a page like any other
  ASSERT_EQ(f.ui.messages.size(), 1u);
  EXPECT_NE(f.ui.messages[0].content.find("pw.htm"), Text::npos);
  EXPECT_EQ(f.ui.messages[0].content.find("alias.htm"), Text::npos);
  // The re-encoding copies no page from outside either.
  f.ui.SetText(controls::kReencodeFolderBox, (dir / "site").string());
  f.ui.SetText(controls::kReencodeSuffixBox, ".htm");
  Utf8ToGb2312Reencoding(f.ctx);
  EXPECT_FALSE(fs::exists(out / "pw.htm"));
  EXPECT_TRUE(fs::is_symlink(dir / "site" / "pw.htm"));
  EXPECT_NE(f.ui.messages.back().content.find("pw.htm"), Text::npos);
}

TEST_F(PageSimplificationTest, PagesWithNothingBetweenTheMarkersStayUntouched) {
  // The initial state of the marker boxes: both empty.
  f.ui.SetText(controls::kFrontMarkerBox, "");
  f.ui.SetText(controls::kBackMarkerBox, "");
  f.fs.AddFile("/site/a.htm", "whole content");
  f.fs.AddFile("/site/empty.htm", "");
  SimplificationSummary s = SimplifyPagesInFolder(f.ctx, "/site", ".htm");
  EXPECT_EQ(s.nothing_kept, 2);
  EXPECT_EQ(f.fs.Contents("/site/a.htm"), "whole content");
  EXPECT_TRUE(f.fs.Exists("/site/empty.htm"));
  EXPECT_FALSE(f.fs.Exists(OutPath("a.htm")));
  // The image is written all the same.
  EXPECT_TRUE(f.fs.Exists(OutPath(kPaleTileImageName)));
}

TEST_F(PageSimplificationTest, EmptySuffixTakesEveryFileAndASecondRunReplacesResults) {
  f.fs.AddFile("/site/readme", "<body>one</body>");
  f.fs.AddFile(OutPath("readme"), "earlier result");
  f.fs.AddFile(OutPath(kPaleTileImageName), "old image");
  SimplificationSummary s = SimplifyPagesInFolder(f.ctx, "/site", "");
  EXPECT_EQ(s.simplified, 1);
  EXPECT_EQ(f.fs.Contents(OutPath("readme")), Framed("one"));
  EXPECT_EQ(f.fs.Contents(OutPath(kPaleTileImageName)), PaleTileImage().bytes);
  // The results in 处理后 are not taken as pages of the folder.
  f.fs.AddFile("/site/readme", "<body>two</body>");
  EXPECT_EQ(SimplifyPagesInFolder(f.ctx, "/site", "").simplified, 1);
  EXPECT_EQ(f.fs.Contents(OutPath("readme")), Framed("two"));
}

TEST_F(PageSimplificationTest, APageStaysWhenItsCopyCannotBeWritten) {
  // A full disk: the copy of a.htm would replace an earlier result, the
  // copy of b.htm would be new; neither may be left half written.
  f.fs.AddFile("/site/a.htm", "<body>keep me</body>");
  f.fs.AddFile("/site/b.htm", "<body>me too</body>");
  f.fs.AddFile(OutPath("a.htm"), "earlier result");
  f.fs.capacity = 2 * 20 + 14 + 100;
  PageSimplification(f.ctx);
  EXPECT_EQ(f.fs.Contents("/site/a.htm"), "<body>keep me</body>");
  EXPECT_EQ(f.fs.Contents("/site/b.htm"), "<body>me too</body>");
  EXPECT_EQ(f.fs.Contents(OutPath("a.htm")), "earlier result");
  EXPECT_FALSE(f.fs.Exists(OutPath("b.htm")));
  ASSERT_EQ(f.ui.messages.size(), 1u);
  EXPECT_NE(f.ui.messages[0].content.find(Gbk("有 2 个网页无法读取")), Text::npos);
}

TEST_F(PageSimplificationTest, RefusesAnEmptyOrMissingFolder) {
  f.fs.AddFile("/a.htm", "<body>at the root</body>");
  for (Text folder : {Text(), Text("/missing")}) {
    f.ui.messages.clear();
    f.ui.SetText(controls::kSimplifyFolderBox, folder);
    PageSimplification(f.ctx);
    ASSERT_EQ(f.ui.messages.size(), 1u);
    EXPECT_NE(f.ui.messages[0].content, Gbk("精简网页结束!"));
    EXPECT_FALSE(f.ui.IsDisabled(controls::kSimplifyButton));
  }
  EXPECT_TRUE(f.fs.Exists("/a.htm"));
  EXPECT_FALSE(f.fs.Exists("/" + Gbk("处理后")));
  EXPECT_TRUE(f.ui.cursor_log.empty());
}

// Reading a page in pieces of any size gives the result of cutting the
// whole page: over generated pages of tags, comments, scripts, CR LF, GBK
// and UTF-8 characters, stray lead bytes and 0 bytes, with pieces of every
// size up to the page's, so that a piece ends at every place (inside a
// marker, a tag, a two-byte character). Pieces smaller than the result
// also send it through the writer in pieces; an earlier result is
// replaced only by a complete one, and no temporary file stays behind.
TEST(PageSimplifierPieces, StreamedPagesMatchTheWholePageCut) {
  const std::vector<Text> tokens = {"<body>",
                                    "<BODY>",
                                    "</body>",
                                    "</Body >",
                                    "<!-- <body> -->",
                                    "<script>if(a<b)</script>",
                                    "\r\n",
                                    "x",
                                    "Y",
                                    "<",
                                    "/",
                                    ">",
                                    "b",
                                    "\xB0\xA1",
                                    "\xD5\xFD\xCE\xC4",
                                    "\xB0<",
                                    "\xB0",
                                    "\xA1X",
                                    "\xE4\xB8\xAD",
                                    std::string("\0", 1)};
  const std::vector<std::pair<Text, Text>> markers = {{"<body>", "</body>"},
                                                      {"", "</BODY>"},
                                                      {"<body>", ""},
                                                      {"b", "y"},
                                                      {"<", ">"},
                                                      {"\xB0", "\xA1X"},
                                                      {"\xD5\xFD", "\xCE\xC4"},
                                                      {"\xD5\xFD\xCE\xC4", "\xA1X"},
                                                      {"<!--", "-->"},
                                                      {"x", "x"}};
  std::mt19937 rng(15);
  const Text result = "/out/p.htm";
  for (int example = 0; example < 400; ++example) {
    const auto& [front, back] = markers[example % markers.size()];
    // Half the tokens are the markers and near misses of them: first and
    // last byte right, a byte between wrong.
    std::vector<Text> near = {front, back};
    for (const Text& marker : {front, back})
      if (marker.size() >= 3) near.push_back(marker.substr(0, 1) + "\xA1" + marker.substr(2));
    Text page;
    for (int n = std::uniform_int_distribution<int>(0, 14)(rng); n > 0; --n)
      page += rng() % 2 ? tokens[rng() % tokens.size()] : near[rng() % near.size()];
    Text body = TextBetweenMarkers(std::string_view(page).substr(0, page.find('\0')), front, back);
    for (std::size_t piece = 1; piece <= page.size() + 1; ++piece) {
      VirtualFileSystem fs;
      fs.AddFile("/in/p.htm", page);
      fs.AddDirectory("/out");
      const bool earlier = piece % 2 == 0;
      if (earlier) fs.AddFile(result, "earlier");
      SCOPED_TRACE(testing::Message() << "page " << ::testing::PrintToString(page) << " markers " << front << " "
                                      << back << " piece " << piece);
      PageOutcome outcome = PageSimplifier(fs, front, back, piece).Simplify("/in/p.htm", result);
      EXPECT_EQ(outcome, body.empty() ? PageOutcome::kNothingKept : PageOutcome::kWritten);
      EXPECT_EQ(fs.Contents(result),
                body.empty() ? (earlier ? "earlier" : "") : FramedPageHead() + body + FramedPageTail());
      EXPECT_EQ(fs.List("/out").size(), body.empty() && !earlier ? 2u : 3u);  // ".", ".." and the result
      EXPECT_EQ(fs.Contents("/in/p.htm"), page);
      if (testing::Test::HasFailure()) return;
    }
  }
}

}  // namespace
}  // namespace qm

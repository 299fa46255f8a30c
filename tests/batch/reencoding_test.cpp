// The re-encoding tool on a folder of pages.
#include "batch/reencoding.h"

#include <gtest/gtest.h>

#include "core/control_names.h"
#include "runtime/encoding.h"
#include "support/operation_fixture.h"

namespace qm {
namespace {

class ReencodingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    f.ui.SetText(controls::kReencodeFolderBox, "/site");
    f.ui.SetText(controls::kReencodeSuffixBox, ".htm");
    f.ui.SetDisabled(controls::kReencodeButton, false);
  }
  Text Out(const char* name) { return f.fs.Contents("/site/" + Gbk("处理后") + "/" + name); }
  MemoryFixture f;
};

TEST_F(ReencodingTest, WritesConvertedCopiesAndLeavesThePages) {
  std::string page = "<meta charset=\"utf-8\"><p>\xE4\xB8\xAD\xE6\x96\x87</p>";
  f.fs.AddFile("/site/a.htm", page);
  f.fs.AddFile("/site/b.html", "plain");  // *.htm also finds .html
  f.fs.AddFile("/site/empty.htm", "");
  f.fs.AddFile("/site/notes.txt", "\xE4\xB8\xAD");
  f.fs.AddFile("/site/sub/c.htm", "\xE4\xB8\xAD");
  Utf8ToGb2312Reencoding(f.ctx);
  EXPECT_EQ(Out("a.htm"), "<meta charset=\"utf-8\"><p>\xD6\xD0\xCE\xC4</p>");
  EXPECT_EQ(Out("b.html"), "plain");
  EXPECT_TRUE(f.fs.Exists("/site/" + Gbk("处理后") + "/empty.htm"));
  EXPECT_FALSE(f.fs.Exists("/site/" + Gbk("处理后") + "/notes.txt"));
  EXPECT_FALSE(f.fs.Exists("/site/" + Gbk("处理后") + "/c.htm"));
  EXPECT_EQ(f.fs.Contents("/site/a.htm"), page);
  EXPECT_EQ(f.fs.Contents("/site/sub/c.htm"), "\xE4\xB8\xAD");
  ASSERT_EQ(f.ui.messages.size(), 1u);
  EXPECT_EQ(f.ui.messages[0].content, "ok!");
  EXPECT_EQ(f.ui.messages[0].caption, Gbk("信息："));
  EXPECT_TRUE(f.ui.IsDisabled(controls::kReencodeButton));
  EXPECT_EQ(f.ui.GetText(controls::kReencodeFolderBox), "");
  EXPECT_EQ(f.ui.GetText(controls::kReencodeSuffixBox), ".htm");
}

TEST_F(ReencodingTest, SecondRunReplacesResultsAndAnEmptySuffixTakesEveryFile) {
  f.fs.AddFile("/site/a.htm", "\xEF\xBB\xBFnew");
  f.fs.AddFile("/site/" + Gbk("处理后") + "/a.htm", "old result");
  f.fs.AddFile("/site/readme", "r");
  ReencodingSummary s = ReencodePagesInFolder(f.fs, "/site", "");
  EXPECT_EQ(s.converted, 2);
  EXPECT_EQ(Out("a.htm"), "new");  // byte-order mark dropped
  EXPECT_EQ(Out("readme"), "r");
}

TEST_F(ReencodingTest, AnUnreadablePageKeepsItsEarlierResult) {
  f.fs.AddFile("/site/a.htm", "x");
  f.fs.SetUnreadable("/site/a.htm");
  f.fs.AddFile("/site/" + Gbk("处理后") + "/a.htm", "earlier");
  f.fs.AddFile("/site/b.htm", "y");
  f.fs.fail = [](std::string_view call, const Text& path) {
    return call == "write" && path.find("b.htm") != Text::npos;
  };
  Utf8ToGb2312Reencoding(f.ctx);
  EXPECT_EQ(Out("a.htm"), "earlier");
  EXPECT_FALSE(f.fs.Exists("/site/" + Gbk("处理后") + "/b.htm"));
  // One closing message, and no "ok" before a failure.
  ASSERT_EQ(f.ui.messages.size(), 1u);
  EXPECT_NE(f.ui.messages[0].content.find(Gbk("有 2 个网页")), Text::npos);
}

// Pages larger than the pieces they are read in, with characters and a
// zero byte around the piece boundaries, come out as converted whole.
TEST_F(ReencodingTest, LargePagesComeOutAsConvertedWhole) {
  std::string chinese;
  for (int k = 0; chinese.size() < 2500 * 1024; ++k) chinese += k % 7 ? "\xE4\xB8\xAD" : "e\xCC\x81<p>";
  const std::string pages[] = {chinese, "ab" + chinese, chinese.substr(0, 64 * 1024),
                               chinese.substr(0, (1 << 20) + 64 * 1024),
                               chinese.substr(0, 1100 * 1024) + std::string(1, '\0') + chinese};
  for (std::size_t k = 0; k < std::size(pages); ++k) f.fs.AddFile("/site/" + std::to_string(k) + ".htm", pages[k]);
  EXPECT_EQ(ReencodePagesInFolder(f.fs, "/site", ".htm").converted, 5);
  for (std::size_t k = 0; k < std::size(pages); ++k)
    EXPECT_EQ(Out((std::to_string(k) + ".htm").c_str()), GbkTextFromUtf8(ByteSet(pages[k]))) << k;
}

TEST_F(ReencodingTest, RefusesAnEmptyOrMissingFolder) {
  for (Text folder : {Text(), Text("/missing")}) {
    f.ui.messages.clear();
    f.ui.SetText(controls::kReencodeFolderBox, folder);
    Utf8ToGb2312Reencoding(f.ctx);
    ASSERT_EQ(f.ui.messages.size(), 1u);
    EXPECT_NE(f.ui.messages[0].content, "ok!");
    EXPECT_FALSE(f.fs.Exists("/" + Gbk("处理后")));
    EXPECT_FALSE(f.ui.IsDisabled(controls::kReencodeButton));
  }
}

}  // namespace
}  // namespace qm

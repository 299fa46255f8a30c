// The conversions on a real folder: renames into the backup folder, GBK
// names on a UTF-8 disk, and a link that leads back up the tree.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include <sys/stat.h>

#include "convert/batch_conversion.h"
#include "convert/paged_book.h"
#include "core/control_names.h"
#include "core/page_templates.h"
#include "runtime/encoding.h"
#include "support/operation_fixture.h"

namespace qm {
namespace {

namespace fs = std::filesystem;

void Put(const fs::path& path, const std::string& data) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << data;
}

std::string Get(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

TEST(DiskConversion, PagedBookMovesChineseNamedTextsIntoBackup) {
  DiskFixture f;
  fs::path book = fs::path(f.dir.path()) / "书";
  Put(book / "第一章.txt", "\xB5\xDA\xD2\xBB");  // GBK text
  Put(book / "b.txt", "B");
  f.ui.SetText(controls::kBookFolderBox, TextFromNativeName(book.string()));
  f.ui.SetText(controls::kOrderListBox, Gbk("第一章.txt\r\nb.txt\r\n"));
  PagedBookConversion(f.ctx);
  ASSERT_EQ(f.ui.messages.size(), 1u);
  EXPECT_EQ(f.ui.messages[0].content, "ok");
  EXPECT_EQ(Get(fs::path(f.dir.path()) / "bak" / "第一章.txt"), "\xB5\xDA\xD2\xBB");
  EXPECT_FALSE(fs::exists(book / "第一章.txt"));
  EXPECT_NE(Get(book / "000.htm").find(Gbk(">第一章</div>")), std::string::npos);
  EXPECT_TRUE(fs::exists(book / "001.htm"));
  EXPECT_TRUE(fs::exists(book / "index.htm"));
  EXPECT_TRUE(fs::exists(book / "PAPER10.JPG"));
}

// Listed entries that are no texts (a folder, a FIFO) get no page and are
// named, so the closing message is never a bare "ok"; the texts around them
// keep consecutive pages.
TEST(DiskConversion, PagedBookGivesEntriesThatAreNoTextsNoPage) {
  DiskFixture f;
  fs::path book = fs::path(f.dir.path()) / "book";
  Put(book / "a.txt", "A");
  fs::create_directories(book / "dir.txt");
  ASSERT_EQ(::mkfifo((book / "fifo.txt").c_str(), 0644), 0);
  Put(book / "b.txt", "B");
  f.ui.SetText(controls::kBookFolderBox, book.string());
  f.ui.SetText(controls::kOrderListBox, "a.txt\r\ndir.txt\r\nfifo.txt\r\nb.txt\r\n");
  PagedBookConversion(f.ctx);
  ASSERT_EQ(f.ui.messages.size(), 1u);
  EXPECT_NE(f.ui.messages[0].content.find(Gbk("dir.txt：是文件夹，不是文本，没有做网页")), std::string::npos);
  EXPECT_NE(f.ui.messages[0].content.find("fifo.txt"), std::string::npos);
  EXPECT_NE(Get(book / "000.htm").find(">A<"), std::string::npos);
  EXPECT_NE(Get(book / "001.htm").find(">B<"), std::string::npos);
  EXPECT_FALSE(fs::exists(book / "002.htm"));
}

// A folder reached twice, through a link back up the tree or across it, is
// converted once and the run ends "ok".
TEST(DiskConversion, BatchRoundTripAndLinksBackUpAndAcrossTheTree) {
  DiskFixture f;
  fs::path top = fs::path(f.dir.path()) / "w";
  Put(top / "a.txt", "A\r\nB");
  Put(top / "s" / "c.txt", "C");
  fs::create_directory_symlink(top, top / "s" / "loop");
  fs::create_directory_symlink("s", top / "r");
  f.ui.SetText(controls::kBatchFolderBox, top.string());
  f.ui.SetText(controls::kOldExtensionBox, ".txt");
  f.ui.SetText(controls::kNewExtensionBox, ".htm");
  BatchPageConversion(f.ctx);
  ASSERT_EQ(f.ui.messages.size(), 1u);
  EXPECT_EQ(f.ui.messages[0].content, Gbk("转换ok!"));
  EXPECT_EQ(Get(top / "a.htm"), FramedPageHead() + "A<br><br>B" + FramedPageTail());
  EXPECT_TRUE(fs::exists(top / "s" / "c.htm"));
  EXPECT_TRUE(fs::exists(top / "s" / "leftbg.gif"));
  EXPECT_FALSE(fs::exists(top / "a.txt"));

  UndoBatchConversion(f.ctx);
  EXPECT_EQ(Get(top / "a.txt"), "A\r\n\r\nB\r\n");
  EXPECT_FALSE(fs::exists(top / "a.htm"));
  EXPECT_TRUE(fs::exists(top / "s" / "c.htm"));
}

TEST(DiskConversion, LinksToFilesOutsideStayAndAreListedLinksInsideWork) {
  DiskFixture f;
  fs::path top = fs::path(f.dir.path()) / "w";
  Put(fs::path(f.dir.path()) / "secret.txt", "SECRET");
  Put(fs::path(f.dir.path()) / "secret.htm", "<html>SECRET</html>");
  Put(top / "mine" / "in.txt", "IN");
  fs::create_symlink("../secret.txt", top / "pw.txt");
  fs::create_symlink("../secret.htm", top / "pw.htm");
  fs::create_symlink("mine/in.txt", top / "in.txt");
  f.ui.SetText(controls::kBatchFolderBox, top.string());
  f.ui.SetText(controls::kOldExtensionBox, ".txt");
  f.ui.SetText(controls::kNewExtensionBox, ".html");
  BatchPageConversion(f.ctx);
  EXPECT_EQ(Get(top / "in.html"), FramedPageHead() + "IN" + FramedPageTail());
  EXPECT_FALSE(fs::is_symlink(top / "in.txt")) << "the link inside goes once its page is written";
  EXPECT_EQ(f.ui.messages.back().content.find("in.txt"), std::string::npos) << f.ui.messages.back().content;
  UndoBatchConversion(f.ctx);
  ASSERT_EQ(f.ui.messages.size(), 2u);
  for (const auto& message : f.ui.messages) EXPECT_NE(message.content.find("pw."), std::string::npos);
  EXPECT_TRUE(fs::is_symlink(top / "pw.txt"));
  EXPECT_TRUE(fs::is_symlink(top / "pw.htm"));
  EXPECT_FALSE(fs::exists(top / "pw.html"));
  EXPECT_FALSE(fs::exists(top / "pw.txt.txt"));
  EXPECT_EQ(Get(fs::path(f.dir.path()) / "secret.txt"), "SECRET");

  // The paged book, listing the same links, reads only the one inside; the
  // one leading outside gets no page.
  f.ui.SetText(controls::kBookFolderBox, top.string());
  Put(top / "mine" / "in3.txt", "IN");
  fs::create_symlink("mine/in3.txt", top / "in2.txt");
  f.ui.SetText(controls::kOrderListBox, "pw.txt\r\nin2.txt");
  PagedBookConversion(f.ctx);
  ASSERT_EQ(f.ui.messages.size(), 3u);
  EXPECT_NE(f.ui.messages[2].content.find("pw.txt"), std::string::npos);
  EXPECT_NE(Get(top / "000.htm").find("IN"), std::string::npos);
  EXPECT_FALSE(fs::exists(top / "001.htm"));
  EXPECT_TRUE(fs::is_symlink(top / "pw.txt"));
}

TEST(DiskConversion, NeitherDirectionReplacesAFileOrCutsAKeptOne) {
  DiskFixture f;
  fs::path top = fs::path(f.dir.path()) / "w";
  const std::string utf16(
      "\xFF\xFE"
      "A\0\n\0",
      6);
  Put(top / "u16.txt", utf16);  // holds 0 bytes, but converts once decoded
  Put(top / "zero.txt", std::string("z\0tail", 6));
  Put(top / "a.txt", "mine");
  Put(top / "a.htm", "my page");
  Put(top / "zero.htm", std::string("<p>z\0tail", 10));
  Put(top / "notes.htm", "<br>page");
  Put(top / "notes.txt", "my notes");
  f.ui.SetText(controls::kBatchFolderBox, top.string());
  f.ui.SetText(controls::kOldExtensionBox, ".txt");
  f.ui.SetText(controls::kNewExtensionBox, ".htm");
  BatchPageConversion(f.ctx);
  UndoBatchConversion(f.ctx);
  // u16.txt went to a page and came back as a GBK text.
  EXPECT_EQ(Get(top / "u16.txt"), "A\r\n\r\n\r\n");
  for (const auto& [name, data] :
       std::vector<std::pair<const char*, std::string>>{{"zero.txt", std::string("z\0tail", 6)},
                                                        {"zero.htm", std::string("<p>z\0tail", 10)},
                                                        {"a.txt", "mine"},
                                                        {"a.htm", "my page"},
                                                        {"notes.txt", "my notes"},
                                                        {"notes.htm", "<br>page"}}) {
    EXPECT_EQ(Get(top / name), data) << name;
  }
  ASSERT_EQ(f.ui.messages.size(), 2u);
  for (const char* listed : {"zero.txt", "a.txt"}) {
    EXPECT_NE(f.ui.messages[0].content.find(listed), Text::npos) << listed;
  }
  for (const char* listed : {"zero.htm", "a.htm", "notes.htm"}) {
    EXPECT_NE(f.ui.messages[1].content.find(listed), Text::npos) << listed;
  }
}

// Stops the run at its `stop_at`-th file.
class StoppingProgress : public Progress {
 public:
  explicit StoppingProgress(long stop_at) : stop_at_(stop_at) {}

 protected:
  bool Show(long, long, const Text&) override { return ++shown_ < stop_at_; }

 private:
  long stop_at_, shown_ = 0;
};

// Every file under `top` with its bytes (links as their targets), and
// every message shown (the scratch folder left out).
std::map<std::string, std::string> Snapshot(const fs::path& top, const MemoryControls& ui) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(top)) {
    const std::string name = entry.path().lexically_relative(top).string();
    if (entry.is_symlink()) files[name] = "-> " + fs::read_symlink(entry.path()).string();
    else if (entry.is_regular_file()) files[name] = Get(entry.path());
  }
  // Messages name the files without the scratch folder, which differs.
  for (std::size_t i = 0; i < ui.messages.size(); ++i)
    files["message " + std::to_string(i)] = ReplaceSubtext(ui.messages[i].content, top.string(), "");
  return files;
}

// The conversion and its undo end the same on several threads as on one,
// whatever each file holds, also when stopped halfway: the same pages and
// texts, and the same report in the same order.
TEST(DiskConversion, SeveralThreadsEndAsOneDoes) {
  const char* before = std::getenv("QUILLMERE_THREADS");
  const std::string kept = before ? before : "";
  for (long stop_at : {0L, 37L}) {
    std::map<std::string, std::string> ends[2];
    for (int run = 0; run < 2; ++run) {
      ::setenv("QUILLMERE_THREADS", run == 0 ? "1" : "4", 1);
      DiskFixture f;
      StoppingProgress stop_converting(stop_at > 0 ? stop_at : 1000), stop_undoing(stop_at > 0 ? stop_at / 3 : 1000);
      Context converting{f.fs, f.ui, f.ui, f.ui, f.processes, f.tree, f.random, f.state, stop_converting};
      Context undoing{f.fs, f.ui, f.ui, f.ui, f.processes, f.tree, f.random, f.state, stop_undoing};
      const fs::path top = fs::path(f.dir.path()) / "w";
      // Folders large and small, and a linked one that is not entered, so
      // that one sequence of files crosses folders with report lines
      // between them.
      fs::create_directories(top / "a");
      fs::create_symlink("/etc", top / "a" / "out");
      for (int i = 0; i < 60; ++i) {
        const fs::path folder = i % 3 == 0   ? top / "a"
                                : i % 3 == 1 ? top / "b"
                                             : top / "b" / ("s" + std::to_string(i % 4));
        const std::string name = "t" + std::to_string(i);
        switch (i % 6) {
          case 0: Put(folder / (name + ".txt"), "\xC4\xE3\xBA\xC3\r\n" + name); break;       // GBK
          case 1: Put(folder / (name + ".txt"), "\xE4\xBD\xA0\xE5\xA5\xBD " + name); break;  // UTF-8
          case 2: Put(folder / (name + ".txt"), std::string("zero\0byte", 9)); break;
          case 3:
            Put(folder / (name + ".txt"), name);
            Put(folder / (name + ".htm"), "in the way");
            break;
          case 4: Put(folder / (name + ".txt"), "\xC4\xE3\xBA"); break;  // an odd byte at the end
          default: fs::create_directories(folder), fs::create_symlink("/etc/hostname", folder / (name + ".txt"));
        }
      }
      f.ui.SetText(controls::kBatchFolderBox, top.string());
      f.ui.SetText(controls::kOldExtensionBox, ".txt");
      f.ui.SetText(controls::kNewExtensionBox, ".htm");
      BatchPageConversion(converting);
      f.ui.SetText(controls::kBatchFolderBox, (top / "b").string());
      UndoBatchConversion(undoing);
      ends[run] = Snapshot(top, f.ui);
    }
    for (const auto& [name, bytes] : ends[0]) EXPECT_EQ(bytes, ends[1][name]) << name << ", stopped at " << stop_at;
    EXPECT_EQ(ends[0].size(), ends[1].size()) << "stopped at " << stop_at;
    EXPECT_GT(ends[0].size(), 60u);
  }
  if (before) ::setenv("QUILLMERE_THREADS", kept.c_str(), 1);
  else ::unsetenv("QUILLMERE_THREADS");
}

}  // namespace
}  // namespace qm

// Dropping a folder or a file on the CHM tab, the tree it gives, the book
// name and document order, selecting nodes and the "不自建目录" check box.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "chm/document_tree.h"
#include "chm/folder_scan.h"
#include "chm/tree_paths.h"
#include "runtime/encoding.h"
#include "support/operation_fixture.h"
#include "tree_test_support.h"

namespace qm {
namespace {

using test::Dump;

template <typename Base>
struct ChmTab : Base {
  ChmTab() {
    this->tree.SetSelectionListener([this](int how) { OnTreeSelectionChanged(this->ctx, how); });
    this->ui.SetDisabled("按钮CHM解包", true);
    this->ui.SetDisabled("按钮转CHM", true);
  }
};
using MemoryTab = ChmTab<MemoryFixture>;
using DiskTab = ChmTab<DiskFixture>;

void AddMyBook(VirtualFileSystem& fs) {
  fs.AddFile("/books/MyBook/img/c.gif", "GIF");
  fs.AddFile("/books/MyBook/b.txt", "text");
  fs.AddFile("/books/MyBook/a.htm", "<p>");
}

TEST(ChmFolderDrop, MyBookGivesFolderFirstThenFilesInListingOrder) {
  MemoryTab t;
  AddMyBook(t.fs);
  OnChmFolderDrop(t.ctx, "/books/MyBook");
  EXPECT_EQ(Dump(t.tree), "1 0/0 0 <img>\n2 1/1 0 c.gif\n1 1/1 0 a.htm\n1 1/1 0 b.txt\n");
  EXPECT_EQ(t.state.DocumentOrderList, "img\\c.gif\r\na.htm\r\nb.txt\r\n");
  EXPECT_EQ(t.state.BookName, "MyBook");
  EXPECT_EQ(t.ui.GetText("编辑框1"), "/books/MyBook");
  // The compiler started later inherits the dropped folder as its directory.
  EXPECT_EQ(t.fs.CurrentDirectory(), "/books/MyBook");
  EXPECT_TRUE(t.ui.IsDisabled("按钮CHM解包"));
}

TEST(ChmFolderDrop, EmptiesEverythingAndTheNestedSelectionEventRearmsTheTimer) {
  MemoryTab t;
  AddMyBook(t.fs);
  t.fs.AddFile("/other/x.htm", "");
  OnChmFolderDrop(t.ctx, "/books/MyBook");
  t.tree.Select(1, 1);
  EXPECT_EQ(t.ui.GetText("编辑框9"), "<img>\\c.gif\\");
  t.ui.SetText("编辑框4", "project");
  t.ui.SetText("编辑框10", "contents");

  OnChmFolderDrop(t.ctx, "/other/");  // a trailing separator: empty book name
  EXPECT_EQ(t.ui.GetText("编辑框4"), "");
  EXPECT_EQ(t.ui.GetText("编辑框10"), "");
  EXPECT_EQ(t.ui.GetText("编辑框9"), "");  // the clearing raised the event
  EXPECT_EQ(t.ui.Interval("时钟1"), 1000);  // ... which armed the timer again
  EXPECT_EQ(t.tree.Selection(), -1);
  EXPECT_EQ(Dump(t.tree), "1 1/1 0 x.htm\n");
  EXPECT_EQ(t.state.BookName, "");
  EXPECT_EQ(t.state.DocumentOrderList, "x.htm\r\n");
}

TEST(ChmFolderDrop, EmptySubFolderAndDeeperFolders) {
  MemoryTab t;
  t.fs.AddDirectory("/b/empty");
  t.fs.AddFile("/b/ch1/sec/p.htm", "");
  t.fs.AddFile("/b/ch1/q.htm", "");
  t.fs.AddFile("/b/\xD6\xD0.htm", "");
  OnChmFolderDrop(t.ctx, "/b");
  EXPECT_EQ(Dump(t.tree),
            "1 0/0 0 <ch1>\n2 0/0 0 <sec>\n3 1/1 0 p.htm\n2 1/1 0 q.htm\n1 0/0 0 <empty>\n1 1/1 0 \xD6\xD0.htm\n");
  EXPECT_EQ(t.state.DocumentOrderList, "ch1\\sec\\p.htm\r\nch1\\q.htm\r\n\xD6\xD0.htm\r\n");
}

TEST(ChmFolderDrop, DriveRootGivesAnEmptyBookName) {
  MemoryTab t;
  t.fs.AddFile("/a.htm", "");
  OnChmFolderDrop(t.ctx, "/");
  EXPECT_EQ(t.state.BookName, "");
  EXPECT_EQ(t.state.DocumentOrderList, "a.htm\r\n");
  EXPECT_EQ(LastPathComponent("/home/u/MyBook"), "MyBook");
  EXPECT_EQ(LastPathComponent("MyBook"), "MyBook");
  EXPECT_EQ(LastPathComponent("C:\\books\\x"), "C:\\books\\x");  // "\" is no separator here
}

TEST(ChmFolderDrop, ChmFileArmsTheUnpackButtonAndLeavesTheRest) {
  MemoryTab t;
  AddMyBook(t.fs);
  t.fs.AddFile("/books/x.CHM", "ITSF");
  OnChmFolderDrop(t.ctx, "/books/MyBook");
  OnChmFolderDrop(t.ctx, "/books/x.CHM");
  EXPECT_FALSE(t.ui.IsDisabled("按钮CHM解包"));
  EXPECT_EQ(t.tree.Count(), 0);
  EXPECT_EQ(t.state.BookName, "MyBook");  // kept from the folder drop
  EXPECT_EQ(t.state.DocumentOrderList, "");
  EXPECT_EQ(t.ui.GetText("编辑框1"), "/books/x.CHM");
  OnChmFolderDrop(t.ctx, "/books/MyBook");  // a later folder drop leaves it enabled
  EXPECT_FALSE(t.ui.IsDisabled("按钮CHM解包"));

  MemoryTab u;
  u.fs.AddFile("/books/notes.txt", "");
  OnChmFolderDrop(u.ctx, "/books/notes.txt");
  EXPECT_TRUE(u.ui.IsDisabled("按钮CHM解包"));
}

TEST(ChmFolderDrop, FolderThatCannotBeEnteredGivesAnEmptyTreeButABookName) {
  MemoryTab t;
  AddMyBook(t.fs);
  t.fs.fail = [](std::string_view call, const Text& path) {
    return call == "chdir" && path.find("MyBook") != Text::npos;
  };
  OnChmFolderDrop(t.ctx, "/books/MyBook");
  EXPECT_EQ(t.tree.Count(), 0);
  EXPECT_EQ(t.state.DocumentOrderList, "");
  EXPECT_EQ(t.state.BookName, "MyBook");
  EXPECT_TRUE(t.ui.messages.empty());

  // Several items at once name no folder; the book name is what follows the
  // combined text's last separator.
  MemoryTab u;
  AddMyBook(u.fs);
  OnChmFolderDrop(u.ctx, "/books/MyBook\r\n/books/a.htm\r\n");
  EXPECT_EQ(u.tree.Count(), 0);
  EXPECT_EQ(u.state.BookName, "a.htm\r\n");
}

TEST(ChmFolderDrop, SubFolderThatCannotBeEnteredKeepsItsNodeOnly) {
  MemoryTab t;
  AddMyBook(t.fs);
  t.fs.AddFile("/books/MyBook/locked/secret.htm", "");
  t.fs.fail = [](std::string_view call, const Text& path) {
    return call == "chdir" && path.find("locked") != Text::npos;
  };
  OnChmFolderDrop(t.ctx, "/books/MyBook");
  EXPECT_EQ(Dump(t.tree), "1 0/0 0 <img>\n2 1/1 0 c.gif\n1 0/0 0 <locked>\n1 1/1 0 a.htm\n1 1/1 0 b.txt\n");
  EXPECT_EQ(t.fs.CurrentDirectory(), "/books/MyBook");
}

TEST(ScanFolder, AppendsTheSeparatorToTheCallersTextAndAddsBelowTheParent) {
  MemoryTab t;
  t.fs.AddFile("/b/p.htm", "");
  t.tree.Add(-1, "<top>");
  t.tree.Add(-1, "z");
  Text folder = "/b";
  EXPECT_TRUE(ScanFolderIntoTree(t.ctx, folder, 0));
  EXPECT_EQ(folder, "/b/");
  EXPECT_EQ(Dump(t.tree), "1 0/0 0 <top>\n2 1/1 0 p.htm\n1 0/0 0 z\n");
  Text missing = "/nowhere";
  EXPECT_FALSE(ScanFolderIntoTree(t.ctx, missing, -1));
  EXPECT_EQ(t.tree.Count(), 3);
}

TEST(TreeSelection, PutsTheRawPathIntoTheHomeBoxAndArmsTheTimerOnce) {
  MemoryTab t;
  test::Build(t.tree, {{1, "<ch1>"}, {2, "page.htm"}, {1, "a.htm"}});
  t.tree.Select(1, 1);
  EXPECT_EQ(t.ui.GetText("编辑框9"), "<ch1>\\page.htm\\");
  EXPECT_TRUE(t.ui.AlwaysShowSelection("树型框1"));
  EXPECT_EQ(t.ui.Interval("时钟1"), 1000);
  t.tree.Select(2, 0);  // a second change within the second does not restart the timer
  EXPECT_EQ(t.ui.GetText("编辑框9"), "a.htm\\");
  EXPECT_EQ(t.ui.timer_restarts, 1);
  t.tree.Select(-1);
  EXPECT_EQ(t.ui.GetText("编辑框9"), "");
}

TEST(NoOwnContents, TogglesTheButtonsAndNeverDisablesCompiling) {
  MemoryTab t;
  t.ui.SetTicked("选择框不建目录", true);
  OnNoOwnContentsToggled(t.ctx);
  EXPECT_TRUE(t.ui.IsDisabled("按钮建工程"));
  EXPECT_FALSE(t.ui.IsDisabled("按钮转CHM"));
  t.ui.SetTicked("选择框不建目录", false);
  OnNoOwnContentsToggled(t.ctx);
  EXPECT_FALSE(t.ui.IsDisabled("按钮建工程"));
  EXPECT_FALSE(t.ui.IsDisabled("按钮转CHM"));

  MemoryTab u;
  OnNoOwnContentsToggled(u.ctx);  // cleared without ever being ticked
  EXPECT_TRUE(u.ui.IsDisabled("按钮转CHM"));
}

// On disk: hidden files count, links back into the tree are not followed
// again, a link to nowhere is no document.
TEST(ChmFolderDropOnDisk, LinkBackToAnAncestorDoesNotLoop) {
  DiskTab t;
  namespace fs = std::filesystem;
  const fs::path book = fs::path(t.dir.path()) / "MyBook";
  fs::create_directories(book / "ch1");
  std::ofstream(book / "ch1" / "p.htm") << "x";
  std::ofstream(book / ".hidden.htm") << "x";
  fs::create_directory_symlink(book, book / "ch1" / "loop");
  fs::create_symlink(book / "missing", book / ".dangling");
  const fs::path cwd = fs::current_path();
  OnChmFolderDrop(t.ctx, book.string());
  EXPECT_EQ(Dump(t.tree), "1 0/0 0 <ch1>\n2 0/0 0 <loop>\n2 1/1 0 p.htm\n1 1/1 0 .hidden.htm\n");
  EXPECT_EQ(t.state.DocumentOrderList, "ch1\\p.htm\r\n.hidden.htm\r\n");
  EXPECT_EQ(fs::current_path(), book);
  fs::current_path(cwd);
}

TEST(ChmFolderDropOnDisk, FileNamesWithoutAGbkFormStayApart) {
  DiskTab t;
  namespace fs = std::filesystem;
  const fs::path book = fs::path(t.dir.path()) / "B";
  fs::create_directories(book);
  std::ofstream(book / "\xF0\x9F\x98\x80.htm") << "x";  // an emoji has no GBK form
  std::ofstream(book / "a\\b.htm") << "x";              // "\" is an ordinary character here
  const fs::path cwd = fs::current_path();
  OnChmFolderDrop(t.ctx, book.string());
  ASSERT_EQ(t.tree.Count(), 2);
  EXPECT_EQ(t.tree.ItemText(0), "a\\b.htm");
  EXPECT_TRUE(HasNameEscape(t.tree.ItemText(1)));
  EXPECT_EQ(NativeName(t.tree.ItemText(1)), "\xF0\x9F\x98\x80.htm");
  fs::current_path(cwd);
}

// Taking out two single characters at once equals taking out one, then
// the other, also next to two-byte characters whose second byte looks like
// one of them.
TEST(WithoutAll, EqualsOneRemovalAfterTheOther) {
  const std::string pieces[] = {"<", ">", "\\", "a", "\xB0\xA1", "\xB0<", "\xB0>", "\xB0", ".htm", ".html"};
  std::mt19937 rng(19);
  std::uniform_int_distribution<int> pick(0, std::size(pieces) - 1), length(0, 10);
  for (int round = 0; round < 3000; ++round) {
    std::string text;
    for (int n = length(rng); n > 0; --n) text += pieces[pick(rng)];
    for (auto [first, second] : {std::pair{"<", ">"}, std::pair{">", "<"}, std::pair{".html", ".htm"}}) {
      ASSERT_EQ(WithoutAll(text, first, second), ReplaceSubtext(ReplaceSubtext(text, first), second))
          << testing::PrintToString(text);
    }
  }
}

}  // namespace
}  // namespace qm

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
#include "chm/project_files.h"
#include "chm/tree_paths.h"
#include "core/control_names.h"
#include "runtime/encoding.h"
#include "runtime/file_ops.h"
#include "support/operation_fixture.h"
#include "tree_test_support.h"

namespace qm {
namespace {

using test::Dump;

template <typename Base>
struct ChmTab : Base {
  ChmTab() {
    this->tree.SetSelectionListener([this](int how) { OnTreeSelectionChanged(this->ctx, how); });
    this->ui.SetDisabled(chm::kUnpackButton, true);
    this->ui.SetDisabled(chm::kCompileButton, true);
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
  EXPECT_EQ(t.ui.GetText(chm::kFolderBox), "/books/MyBook");
  // The compiler started later inherits the dropped folder as its directory.
  EXPECT_EQ(t.fs.CurrentDirectory(), "/books/MyBook");
  EXPECT_TRUE(t.ui.IsDisabled(chm::kUnpackButton));
}

TEST(ChmFolderDrop, EmptiesEverythingAndTheNestedSelectionEventRearmsTheTimer) {
  MemoryTab t;
  AddMyBook(t.fs);
  t.fs.AddFile("/other/x.htm", "");
  OnChmFolderDrop(t.ctx, "/books/MyBook");
  t.tree.Select(1, 1);
  EXPECT_EQ(t.ui.GetText(chm::kHomePageBox), "<img>\\c.gif\\");
  t.ui.SetText(chm::kProjectBox, "project");
  t.ui.SetText(chm::kContentsBox, "contents");

  OnChmFolderDrop(t.ctx, "/other/");  // a trailing separator: empty book name
  EXPECT_EQ(t.ui.GetText(chm::kProjectBox), "");
  EXPECT_EQ(t.ui.GetText(chm::kContentsBox), "");
  EXPECT_EQ(t.ui.GetText(chm::kHomePageBox), "");      // the clearing raised the event
  EXPECT_EQ(t.ui.Interval(chm::kPreviewTimer), 1000);  // ... which armed the timer again
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
  EXPECT_FALSE(t.ui.IsDisabled(chm::kUnpackButton));
  EXPECT_EQ(t.tree.Count(), 0);
  EXPECT_EQ(t.state.BookName, "MyBook");  // kept from the folder drop
  EXPECT_EQ(t.state.DocumentOrderList, "");
  EXPECT_EQ(t.ui.GetText(chm::kFolderBox), "/books/x.CHM");
  OnChmFolderDrop(t.ctx, "/books/MyBook");  // a later folder drop leaves it enabled
  EXPECT_FALSE(t.ui.IsDisabled(chm::kUnpackButton));

  MemoryTab u;
  u.fs.AddFile("/books/notes.txt", "");
  OnChmFolderDrop(u.ctx, "/books/notes.txt");
  EXPECT_TRUE(u.ui.IsDisabled(chm::kUnpackButton));
}

TEST(ChmFolderDrop, InheritedUnenterableOrMissingFoldersGiveAnEmptyTree) {
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

  // Several items at once name no folder; what follows the combined text's
  // last separator holds line breaks, which would add lines to the project
  // file: no book name, and the user is told.
  MemoryTab u;
  AddMyBook(u.fs);
  OnChmFolderDrop(u.ctx, "/books/MyBook\r\n/books/a.htm\r\n");
  EXPECT_EQ(u.tree.Count(), 0);
  EXPECT_EQ(u.state.BookName, "");
  EXPECT_EQ(u.ui.messages.size(), 1u);
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

// About a hundred characters have 0x5C ("\\") as their second byte (乗 is
// 0x81 0x5C). A name ending in one keeps it in the order list, the Local
// values and the home page: only a whole "\\" character counts as final.
TEST(TreePaths, NamesEndingInASecondByte5CKeepTheirLastCharacter) {
  std::vector<Text> names;
  for (int lead = 0x81; lead <= 0xFE; ++lead) {
    const Text ch = {static_cast<char>(lead), '\x5C'};
    if (Utf8FromGbk(ch).find("\xEF\xBF\xBD") == std::string::npos) names.push_back("x" + ch);
  }
  ASSERT_GT(names.size(), 100u);
  test::Outline outline = {{1, "<d>"}};
  for (const Text& n : names) outline.push_back({2, n});
  for (const Text& n : names) outline.push_back({1, n});
  TreeModel tree;
  test::Build(tree, outline);
  const Text order = DocumentOrderListOf(tree);
  const Text contents = ContentsText(tree);
  for (std::size_t i = 0; i < names.size(); ++i) {
    const Text& n = names[i];
    EXPECT_NE(order.find("d\\" + n + "\r\n"), Text::npos) << i;
    EXPECT_NE(order.find("\n" + n + "\r\n"), Text::npos) << i;
    EXPECT_NE(contents.find("value=\"d\\" + n + "\""), Text::npos) << i;
    EXPECT_NE(contents.find("value=\"" + n + "\""), Text::npos) << i;
    EXPECT_EQ(WithoutFinalBackslash(TreeItemPath(tree, static_cast<int>(i) + 1)), "<d>\\" + n) << i;
  }
}

TEST(TreeSelection, InheritedTheHomeBoxShowsTheRawPathAndTheTimerIsArmedOnce) {
  MemoryTab t;
  test::Build(t.tree, {{1, "<ch1>"}, {2, "page.htm"}, {1, "a.htm"}});
  t.tree.Select(1, 1);
  EXPECT_EQ(t.ui.GetText(chm::kHomePageBox), "<ch1>\\page.htm\\");
  EXPECT_TRUE(t.ui.AlwaysShowSelection(chm::kTree));
  EXPECT_EQ(t.ui.Interval(chm::kPreviewTimer), 1000);
  t.tree.Select(2, 0);  // a second change within the second does not restart the timer
  EXPECT_EQ(t.ui.GetText(chm::kHomePageBox), "a.htm\\");
  EXPECT_EQ(t.ui.timer_restarts, 1);
  t.tree.Select(-1);
  EXPECT_EQ(t.ui.GetText(chm::kHomePageBox), "");
}

TEST(NoOwnContents, TogglesTheButtonsAndNeverDisablesCompiling) {
  MemoryTab t;
  t.ui.SetTicked(chm::kNoOwnContentsBox, true);
  OnNoOwnContentsToggled(t.ctx);
  EXPECT_TRUE(t.ui.IsDisabled(chm::kBuildButton));
  EXPECT_FALSE(t.ui.IsDisabled(chm::kCompileButton));
  t.ui.SetTicked(chm::kNoOwnContentsBox, false);
  OnNoOwnContentsToggled(t.ctx);
  EXPECT_FALSE(t.ui.IsDisabled(chm::kBuildButton));
  EXPECT_FALSE(t.ui.IsDisabled(chm::kCompileButton));

  MemoryTab u;
  OnNoOwnContentsToggled(u.ctx);  // cleared without ever being ticked
  EXPECT_TRUE(u.ui.IsDisabled(chm::kCompileButton));
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

// Links that lead out of the dropped folder stay out of the tree (the user
// is told), a link to a file inside keeps working, and building the contents
// neither writes through a link nor replaces a read-only file: it says so.
TEST(ChmFolderDropOnDisk, LinksOutAndReadOnlyProjectFilesAreRefusedAndReported) {
  DiskTab t;
  namespace fs = std::filesystem;
  const fs::path book = fs::path(t.dir.path()) / "MyBook", outside = fs::path(t.dir.path()) / "outside";
  fs::create_directories(book);
  fs::create_directories(outside);
  std::ofstream(book / "a.htm") << "<p>a</p>";
  std::ofstream(outside / "secret") << "secret";
  std::ofstream(outside / "project") << "outside project";
  fs::create_symlink(book / "a.htm", book / "inlink.htm");
  fs::create_symlink(outside / "secret", book / "outlink.htm");
  fs::create_directory_symlink(outside, book / "outdir");
  std::ofstream(book / "MyBook.hhc") << "old contents";
  fs::permissions(book / "MyBook.hhc", fs::perms::owner_read | fs::perms::group_read);
  fs::create_symlink(outside / "project", book / "MyBook.hhp");
  const fs::path cwd = fs::current_path();

  OnChmFolderDrop(t.ctx, book.string());
  EXPECT_EQ(Dump(t.tree), "1 1/1 0 a.htm\n1 1/1 0 inlink.htm\n1 1/1 0 MyBook.hhc\n");
  ASSERT_EQ(t.ui.messages.size(), 1u);
  EXPECT_NE(t.ui.messages[0].content.find("outdir"), Text::npos);
  EXPECT_NE(t.ui.messages[0].content.find("outlink.htm"), Text::npos);

  t.ui.SetText(chm::kHomePageBox, "a.htm");
  RefreshProjectPreview(t.ctx);
  BuildContents(t.ctx);
  ASSERT_EQ(t.ui.messages.size(), 2u);
  EXPECT_NE(t.ui.messages[1].content.find("MyBook.hhc"), Text::npos);
  EXPECT_NE(t.ui.messages[1].content.find("MyBook.hhp"), Text::npos);
  std::string contents;
  t.fs.Read((book / "MyBook.hhc").string(), &contents);
  EXPECT_EQ(contents, "old contents");
  EXPECT_EQ(fs::status(book / "MyBook.hhc").permissions() & fs::perms::owner_write, fs::perms::none);
  EXPECT_TRUE(fs::is_symlink(book / "MyBook.hhp"));
  t.fs.Read((outside / "project").string(), &contents);
  EXPECT_EQ(contents, "outside project");
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

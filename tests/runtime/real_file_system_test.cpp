// The machine's file system: what only a real disk shows (permissions,
// names without a GBK form, links) and safe writes that fail.
#include "runtime/real_file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <thread>

#include "runtime/deletions_after_sync.h"
#include "runtime/disks.h"
#include "runtime/encoding.h"
#include "runtime/file_ops.h"
#include "runtime/file_writer.h"
#include "support/virtual_file_system.h"

namespace qm {
namespace {

namespace stdfs = std::filesystem;

// The UTF-8 names in a folder, straight from the system.
std::set<std::string> NamesOnDisk(const std::string& folder) {
  std::set<std::string> names;
  for (const auto& e : stdfs::directory_iterator(folder)) names.insert(e.path().filename().string());
  return names;
}

void WriteRaw(const std::string& path, const std::string& data) { std::ofstream(path, std::ios::binary) << data; }

class RealFileSystemTest : public ::testing::Test {
 protected:
  RealDisk disk;
  RealFileSystem& fs = disk.fs;
  std::string root = disk.dir.path();
};

TEST_F(RealFileSystemTest, ReadOnlyFilesAndFoldersCarryTheReadOnlyBit) {
  disk.Folder("locked");
  disk.File("locked/a.txt");
  disk.ReadOnly("locked/a.txt");
  disk.ReadOnly("locked");
  EXPECT_EQ(fs.Attributes(disk.Path("locked/a.txt")), kArchive | kReadOnly);
  EXPECT_EQ(fs.Attributes(disk.Path("locked")), kDirectory | kReadOnly);
  EXPECT_EQ(FindFiles(fs, disk.Path("*"), kReadOnly), std::vector<Text>{"locked"});
}

TEST_F(RealFileSystemTest, NamesWithoutAGbkFormAreListedReadAndRenamedLosslessly) {
  const std::string emoji = "book😀.txt";
  const std::string stray = "bad\xC3(.txt";  // not UTF-8 at all
  const std::string euro = "€.txt";
  WriteRaw(root + "/" + emoji, "smile");
  WriteRaw(root + "/" + stray, "stray");
  WriteRaw(root + "/" + euro, "euro");
  std::vector<Text> names = FindFiles(fs, disk.Path("*.txt"));
  ASSERT_EQ(names.size(), 3u);
  std::set<std::string> contents;
  for (const Text& name : names) {
    EXPECT_TRUE(HasNameEscape(name));
    contents.insert(ReadAll(fs, disk.Path(name)));
  }
  EXPECT_EQ(contents, (std::set<std::string>{"smile", "stray", "euro"}));

  // Renaming through the Text: edit the name as the operations do.
  for (const Text& name : names) {
    Text renamed = ReplaceSubtext(name, ".txt", Gbk("（新）.htm"));
    ASSERT_TRUE(fs.Rename(disk.Path(name), disk.Path(renamed)));
  }
  EXPECT_EQ(NamesOnDisk(root), (std::set<std::string>{"book😀（新）.htm", "bad\xC3(（新）.htm", "€（新）.htm"}));
  EXPECT_EQ(ReadAll(fs, disk.Path(TextFromNativeName("book😀（新）.htm"))), "smile");
  // And into and out of a folder whose own name has no GBK form.
  ASSERT_TRUE(fs.CreateDirectory(disk.Path(TextFromNativeName("dir😀"))));
  Text inside = disk.Path(TextFromNativeName("dir😀/€.htm"));
  ASSERT_TRUE(fs.Rename(disk.Path(TextFromNativeName("€（新）.htm")), inside));
  EXPECT_EQ(NamesOnDisk(root + "/dir😀"), std::set<std::string>{"€.htm"});
  EXPECT_TRUE(WriteFileSafely(fs, inside, "rewritten"));
  EXPECT_EQ(ReadAll(fs, inside), "rewritten");
}

TEST_F(RealFileSystemTest, WriteFileSafelyLeavesTheOldFileWhenTheWriteFails) {
  disk.File("page.htm", "old");
  ASSERT_TRUE(WriteFileSafely(fs, disk.Path("probe.htm"), "p"));
  EXPECT_EQ(NamesOnDisk(root), (std::set<std::string>{"page.htm", "probe.htm"}));
  // A read-only file (owner may not write) is not replaced, even by root.
  ::chmod((root + "/page.htm").c_str(), 0444);
  EXPECT_FALSE(WriteFileSafely(fs, disk.Path("page.htm"), "new"));
  EXPECT_FALSE(fs.Write(disk.Path("page.htm"), "new"));
  EXPECT_FALSE(fs.Delete(disk.Path("page.htm")));
  EXPECT_FALSE(fs.ReplaceWith(disk.Path("probe.htm"), disk.Path("page.htm")));
  EXPECT_EQ(ReadAll(fs, disk.Path("page.htm")), "old");
  EXPECT_EQ(NamesOnDisk(root), (std::set<std::string>{"page.htm", "probe.htm"}));
  // Moving it keeps working.
  EXPECT_TRUE(fs.Rename(disk.Path("page.htm"), disk.Path("moved.htm")));
}

TEST_F(RealFileSystemTest, OddEntriesReadAsEmptyWithoutBlocking) {
  // Opening a FIFO for reading would wait for a writer forever.
  ASSERT_EQ(::mkfifo((root + "/pipe").c_str(), 0644), 0);
  std::string out = "junk";
  EXPECT_FALSE(fs.Read(disk.Path("pipe"), &out));
  EXPECT_TRUE(out.empty());
  EXPECT_FALSE(fs.Write(disk.Path("pipe"), "x"));
  EXPECT_EQ(fs.Attributes(disk.Path("pipe")), 0);
  ASSERT_EQ(::symlink((root + "/nowhere").c_str(), (root + "/dangling").c_str()), 0);
  EXPECT_EQ(fs.Attributes(disk.Path("dangling")), -1);
  EXPECT_TRUE(ReadAll(fs, disk.Path("dangling")).empty());
  // Neither passes a file filter.
  EXPECT_EQ(FindFiles(fs, disk.Path("*"), 39), std::vector<Text>{});
  // A read that takes no link refuses one to a readable file, in one step.
  ASSERT_TRUE(fs.Write(disk.Path("real.txt"), "text"));
  ASSERT_EQ(::symlink("real.txt", (root + "/alias.txt").c_str()), 0);
  EXPECT_TRUE(fs.ReadPartNoLink(disk.Path("real.txt"), 0, 9, &out) && out == "text");
  EXPECT_FALSE(fs.ReadPartNoLink(disk.Path("alias.txt"), 0, 9, &out));
  EXPECT_EQ(fs.LastError().code, ELOOP);
  // Files that say they are empty or smaller than they are read whole;
  // an empty one reads empty.
  EXPECT_TRUE(fs.Read("/proc/self/status", &out) && out.find("Name:") == 0 && out.back() == '\n') << out;
  ASSERT_TRUE(fs.Write(disk.Path("empty.txt"), ""));
  EXPECT_TRUE(fs.Read(disk.Path("empty.txt"), &out) && out.empty());
}

// An original goes only while it is the file that was read: one written
// to since (a text still growing) or another one moved under its name
// stays, and says so.
TEST_F(RealFileSystemTest, DeletionsKeepOriginalsThatChangedSinceTheyWereRead) {
  std::vector<FileStamp> read;
  std::string out;
  for (const char* name : {"grown.txt", "swapped.txt", "same.txt", "read-only.txt", "restored.txt"}) {
    WriteRaw(root + "/" + name, "text");
    ASSERT_TRUE(fs.Read(disk.Path(name), &out));
    read.push_back(fs.LastReadStamp());
  }
  WriteRaw(root + "/other.txt", "text");
  { std::ofstream(root + "/grown.txt", std::ios::app) << "more"; }
  ::chmod((root + "/read-only.txt").c_str(), 0444);
  {
    // Rewritten in place to the same size, its modification time set back.
    struct stat before {};
    ::stat((root + "/restored.txt").c_str(), &before);
    std::ofstream(root + "/restored.txt", std::ios::binary | std::ios::in) << "TEXT";
    const struct timespec times[2] = {before.st_atim, before.st_mtim};
    ::utimensat(AT_FDCWD, (root + "/restored.txt").c_str(), times, 0);
  }
  ASSERT_EQ(::rename((root + "/other.txt").c_str(), (root + "/swapped.txt").c_str()), 0);
  DeletionsAfterSync deletions(fs);
  deletions.Add(disk.Path("grown.txt"), read[0]);
  deletions.Add(disk.Path("swapped.txt"), read[1]);
  deletions.Add(disk.Path("same.txt"), read[2]);
  deletions.Add(disk.Path("read-only.txt"), fs.Stamp(disk.Path("read-only.txt")));
  deletions.Add(disk.Path("restored.txt"), read[4]);
  const std::vector<DeletionsAfterSync::Failed> failed = deletions.Finish(disk.Path(""));
  ASSERT_EQ(failed.size(), 4u);
  EXPECT_EQ(failed[0].why.code, kChangedSinceRead);
  EXPECT_EQ(failed[1].why.code, kChangedSinceRead);
  EXPECT_EQ(failed[2].why.code, EACCES);  // a read-only file is never deleted
  EXPECT_EQ(failed[3].why.code, kChangedSinceRead);
  EXPECT_EQ(NamesOnDisk(root), (std::set<std::string>{"grown.txt", "swapped.txt", "read-only.txt", "restored.txt"}));

  // A folder swapped since its file was added keeps it, and the folder now
  // at its path keeps its own.
  disk.Folder("sub");
  WriteRaw(root + "/sub/a.txt", "text");
  ASSERT_TRUE(fs.Read(disk.Path("sub/a.txt"), &out));
  deletions.Add(disk.Path("sub/a.txt"), fs.LastReadStamp());
  ASSERT_EQ(::rename((root + "/sub").c_str(), (root + "/sub-old").c_str()), 0);
  disk.Folder("sub");
  WriteRaw(root + "/sub/a.txt", "text");
  // Given the folder as listed, a file added while another folder stands
  // at its path is kept too, there and in the folder listed.
  FileId listed;
  ASSERT_TRUE(fs.Identify(disk.Path("sub-old"), &listed));
  WriteRaw(root + "/sub/x.txt", "text");
  deletions.Add(disk.Path("sub/x.txt"), fs.Stamp(disk.Path("sub/x.txt")), {}, {}, &listed);
  const std::vector<DeletionsAfterSync::Failed> stale = deletions.Finish(disk.Path(""));
  ASSERT_EQ(stale.size(), 2u);
  EXPECT_EQ(stale[0].why.code, ESTALE);
  EXPECT_EQ(stale[1].why.code, ESTALE);
  ASSERT_EQ(::unlink((root + "/sub/x.txt").c_str()), 0);
  EXPECT_EQ(NamesOnDisk(root + "/sub"), std::set<std::string>{"a.txt"});
  EXPECT_EQ(NamesOnDisk(root + "/sub-old"), std::set<std::string>{"a.txt"});

  // An original whose copy is not beside it (written into another folder
  // that took this one's place for a moment) stays; one whose copy is
  // there goes.
  WriteRaw(root + "/sub/b.txt", "text");
  WriteRaw(root + "/sub/b.htm", "page");
  WriteRaw(root + "/sub-old/c.htm", "page");
  deletions.Add(disk.Path("sub/a.txt"), fs.Stamp(disk.Path("sub/a.txt")), disk.Path("sub/a.htm"),
                fs.Stamp(disk.Path("sub-old/c.htm")));
  deletions.Add(disk.Path("sub/b.txt"), fs.Stamp(disk.Path("sub/b.txt")), disk.Path("sub/b.htm"),
                fs.Stamp(disk.Path("sub/b.htm")));
  const std::vector<DeletionsAfterSync::Failed> elsewhere = deletions.Finish(disk.Path(""));
  ASSERT_EQ(elsewhere.size(), 1u);
  EXPECT_EQ(elsewhere[0].why.code, kCopyChanged);
  EXPECT_EQ(NamesOnDisk(root + "/sub"), (std::set<std::string>{"a.txt", "b.htm"}));
}

// A large batch is deleted on several threads: each file still gets the
// outcome of its own looks, whatever the mix around it.
TEST_F(RealFileSystemTest, ManyDeletionsInOneFolderEachKeepTheirOwnOutcome) {
  const char* before = std::getenv("QUILLMERE_THREADS");
  const std::string kept = before ? before : "";
  ::setenv("QUILLMERE_THREADS", "4", 1);
  disk.Folder("many");
  std::vector<FileSystem::UnchangedFile> files;
  std::vector<int> expected;
  std::set<std::string> left;
  std::string out;
  for (int i = 0; i < 300; ++i) {
    const std::string name = "t" + std::to_string(i) + ".txt", page = "t" + std::to_string(i) + ".htm";
    WriteRaw(root + "/many/" + name, "text");
    WriteRaw(root + "/many/" + page, "page");
    ASSERT_TRUE(fs.Read(disk.Path("many/" + name), &out));
    files.push_back({disk.Path("many/" + name),
                     fs.LastReadStamp(),
                     disk.Path("many/" + page),
                     fs.Stamp(disk.Path("many/" + page)),
                     {}});
    left.insert(page);
    switch (i % 5) {
      case 0: expected.push_back(0); continue;
      case 1:  // written to since it was read
        std::ofstream(root + "/many/" + name, std::ios::app) << "more";
        expected.push_back(kChangedSinceRead);
        break;
      case 2:
        ::chmod((root + "/many/" + name).c_str(), 0444);
        files.back().expected = fs.Stamp(files.back().path);
        expected.push_back(EACCES);
        break;
      case 3:  // its copy is gone
        ::unlink((root + "/many/" + page).c_str());
        left.erase(page);
        expected.push_back(kCopyChanged);
        break;
      default: {  // its copy was written over in place, same size and time: it no longer holds the text
        struct stat written {};
        ::stat((root + "/many/" + page).c_str(), &written);
        std::ofstream(root + "/many/" + page, std::ios::binary | std::ios::in) << "PAGE";
        const struct timespec times[2] = {written.st_atim, written.st_mtim};
        ::utimensat(AT_FDCWD, (root + "/many/" + page).c_str(), times, 0);
        expected.push_back(kCopyChanged);
      }
    }
    left.insert(name);
  }
  FileId id;
  ASSERT_TRUE(fs.Identify(disk.Path("many"), &id));
  fs.DeleteUnchangedIn(disk.Path("many"), id, files);
  for (std::size_t i = 0; i < files.size(); ++i) EXPECT_EQ(files[i].error.code, expected[i]) << files[i].path;
  EXPECT_EQ(NamesOnDisk(root + "/many"), left);
  if (before) ::setenv("QUILLMERE_THREADS", kept.c_str(), 1);
  else ::unsetenv("QUILLMERE_THREADS");
}

// Renames inside a folder end as one Rename at a time ends in memory, and
// happen only while the folder is the one identified.
TEST_F(RealFileSystemTest, RenamesInAFolderEndAsRenameDoesAndOnlyInTheFolderIdentified) {
  VirtualFileSystem memory;
  disk.Folder("r");
  memory.AddDirectory("/r");
  for (const char* name : {"a.txt", "b.txt", "c.htm", "d.txt"}) {
    WriteRaw(root + "/r/" + name, name);
    memory.AddFile(std::string("/r/") + name, name);
  }
  const std::vector<std::pair<Text, Text>> asked = {{"a.txt", "a.htm"}, {"b.txt", "c.htm"}, {"gone.txt", "g.htm"},
                                                    {"d.txt", "x/y"},   {"..", "up"},       {"d.txt", ""},
                                                    {"d.txt", "d.htm"}, {"a.htm", "b.txt"}};
  std::vector<FileSystem::NameChange> real, virtual_;
  for (const auto& [from, to] : asked) {
    real.push_back({from, to, {}});
    virtual_.push_back({from, to, {}});
  }
  FileId id, memory_id;
  ASSERT_TRUE(fs.Identify(disk.Path("r"), &id));
  ASSERT_TRUE(memory.Identify("/r", &memory_id));
  fs.RenameIn(disk.Path("r"), id, real);
  memory.RenameIn("/r", memory_id, virtual_);
  std::set<std::string> in_memory;
  for (const DirectoryEntry& e : memory.List("/r"))
    if (e.name != "." && e.name != "..") in_memory.insert(e.name);
  EXPECT_EQ(NamesOnDisk(root + "/r"), in_memory);
  for (std::size_t i = 0; i < asked.size(); ++i) EXPECT_EQ(real[i].error.code, virtual_[i].error.code) << i;
  EXPECT_EQ(NamesOnDisk(root + "/r"), (std::set<std::string>{"a.htm", "b.txt", "c.htm", "d.htm"}));

  // The folder swapped for a link to another one with the same names:
  // nothing is renamed in either.
  ASSERT_EQ(::rename((root + "/r").c_str(), (root + "/r-old").c_str()), 0);
  disk.Folder("other");
  WriteRaw(root + "/other/b.txt", "other");
  ASSERT_EQ(::symlink((root + "/other").c_str(), (root + "/r").c_str()), 0);
  std::vector<FileSystem::NameChange> swapped = {{"b.txt", "b.htm", {}}};
  fs.RenameIn(disk.Path("r"), id, swapped);
  EXPECT_EQ(swapped[0].error.code, ESTALE);
  EXPECT_EQ(NamesOnDisk(root + "/other"), std::set<std::string>{"b.txt"});
  EXPECT_EQ(NamesOnDisk(root + "/r-old"), (std::set<std::string>{"a.htm", "b.txt", "c.htm", "d.htm"}));
}

// Where rename always replaces, a file is linked to its new name and its
// old name removed. Whatever another program saves onto either name between
// those steps (an editor writing a copy and renaming it over, a folder put
// in the file's place) is never lost or hidden, and a file whose new name
// was taken keeps its old one and says so.
TEST_F(RealFileSystemTest, RenamingByLinkNeverLosesWhatIsSavedOntoEitherName) {
  const std::string from = root + "/f.old", to = root + "/f.new", saved = root + "/saved";
  auto read = [](const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  };
  for (int step = -1; step <= 2; ++step) {  // -1: nothing saved
    for (int onto = 0; onto < 3; ++onto) {  // a file onto the old name, onto the new one, a folder for the old one
      SCOPED_TRACE("step " + std::to_string(step) + ", onto " + std::to_string(onto));
      WriteRaw(from, "text");
      if (onto == 2) {
        stdfs::create_directory(saved);
        WriteRaw(saved + "/inner", "saved");
      } else {
        WriteRaw(saved, "saved");
      }
      const bool renamed = RenameByLink(AT_FDCWD, from.c_str(), to.c_str(), [&](int now) {
        if (now != step) return;
        if (onto == 2) ::unlink(from.c_str());
        ::rename(saved.c_str(), (onto == 1 ? to : from).c_str());
      });
      if (step < 0) {
        EXPECT_TRUE(renamed && read(to) == "text" && !stdfs::exists(from));
      } else if (onto == 0) {
        EXPECT_TRUE(renamed && read(to) == "text" && read(from) == "saved");
      } else if (onto == 1 && step == 2) {  // after the rename was done: the save replaces it
        EXPECT_TRUE(renamed && read(to) == "saved" && !stdfs::exists(from));
      } else if (onto == 1) {
        EXPECT_TRUE(!renamed && errno == EEXIST && read(to) == "saved" && read(from) == "text");
      } else {
        EXPECT_TRUE(renamed && read(to) == "text" && read(from + "/inner") == "saved");
      }
      stdfs::remove_all(to);
      stdfs::remove_all(from);
      stdfs::remove_all(saved);
      EXPECT_TRUE(NamesOnDisk(root).empty());
    }
  }
}

TEST_F(RealFileSystemTest, IdentifyFollowsLinksToFolders) {
  disk.Folder("real");
  ::symlink((root + "/real").c_str(), (root + "/link").c_str());
  FileId a, b;
  ASSERT_TRUE(fs.Identify(disk.Path("real"), &a));
  ASSERT_TRUE(fs.Identify(disk.Path("link"), &b));
  EXPECT_EQ(a, b);
  EXPECT_FALSE(fs.Identify(disk.Path("missing"), &a));
  EXPECT_EQ(fs.Attributes(disk.Path("link")), kDirectory);
}

TEST(SortLikeNtfs, GivesTheSameOrderWhateverTheListingOrder) {
  std::vector<DirectoryEntry> a = {{"b", 0}, {"A.txt", 0}, {"a.txt", 0}, {"..", 16}, {".", 16}};
  std::vector<DirectoryEntry> b(a.rbegin(), a.rend());
  SortLikeNtfs(&a);
  SortLikeNtfs(&b);
  std::vector<Text> names_a, names_b;
  for (auto& e : a) names_a.push_back(e.name);
  for (auto& e : b) names_b.push_back(e.name);
  EXPECT_EQ(names_a, (std::vector<Text>{".", "..", "A.txt", "a.txt", "b"}));
  EXPECT_EQ(names_a, names_b);
}

TEST_F(RealFileSystemTest, ListKindsIsListWithoutOnlyTheReadOnlyBitOfFoldersAndFiles) {
  disk.Folder("dir");
  disk.Folder("locked dir");
  disk.ReadOnly("locked dir");
  disk.File("a.txt");
  disk.File("locked.txt");
  disk.ReadOnly("locked.txt");
  disk.File(".hidden");
  ASSERT_EQ(::symlink("a.txt", (root + "/to file").c_str()), 0);
  ASSERT_EQ(::symlink("locked dir", (root + "/to dir").c_str()), 0);
  ASSERT_EQ(::symlink("missing", (root + "/dangling").c_str()), 0);
  ASSERT_EQ(::mkfifo((root + "/pipe").c_str(), 0644), 0);
  ASSERT_EQ(::mkfifo((root + "/locked pipe").c_str(), 0444), 0);
  const std::vector<DirectoryEntry> full = fs.List(disk.Root()), kinds = fs.ListKinds(disk.Root());
  ASSERT_EQ(full.size(), 12u);
  ASSERT_EQ(kinds.size(), full.size());
  for (std::size_t i = 0; i < full.size(); ++i) {
    SCOPED_TRACE(full[i].name);
    EXPECT_EQ(kinds[i].name, full[i].name);
    EXPECT_EQ(kinds[i].link, full[i].link);
    const bool plain = !full[i].link && (full[i].attributes & (kDirectory | kArchive)) != 0;
    EXPECT_EQ(kinds[i].attributes, plain ? full[i].attributes & ~kReadOnly : full[i].attributes);
  }
}

// The order of names against the rule itself: upper-cased UTF-16 units,
// then bytes; "." and ".." first. Many generated folders mixing ASCII (with
// the punctuation between the cases) and Chinese names, so that names with
// and without a built key meet.
TEST(SortLikeNtfs, OrdersGeneratedNamesByUpperCasedUtf16ThenBytes) {
  const std::vector<std::string> pieces = {"a", "A", "b", "Z", "z",  "_",  "[",
                                           "~", "0", ".", " ", "中", "文", "\xEF\xBD\x81"};
  auto key = [](const Text& name) {
    std::u16string k;
    const std::string utf8 = NativeName(name);
    for (std::size_t i = 0; i < utf8.size();) {
      char32_t cp;
      std::size_t n = DecodeUtf8(utf8, i, &cp);
      i += n;
      if (cp >= 'a' && cp <= 'z') cp -= 32;
      if (cp == 0xFF41) cp = 0xFF21;  // full-width a
      k.push_back(static_cast<char16_t>(cp));
    }
    return k;
  };
  std::mt19937 random(15);
  for (int round = 0; round < 300; ++round) {
    std::vector<DirectoryEntry> entries = {{".", kDirectory}, {"..", kDirectory}};
    std::set<Text> seen;
    for (int n = random() % 12; n > 0; --n) {
      std::string utf8;
      for (int len = 1 + random() % 5; len > 0; --len) utf8 += pieces[random() % pieces.size()];
      Text name = Gbk(utf8);
      if (utf8 != "." && utf8 != ".." && seen.insert(name).second) entries.push_back({name, kArchive});
    }
    std::vector<DirectoryEntry> expected = entries;
    std::sort(expected.begin() + 2, expected.end(), [&](const DirectoryEntry& a, const DirectoryEntry& b) {
      return std::pair(key(a.name), a.name) < std::pair(key(b.name), b.name);
    });
    std::shuffle(entries.begin(), entries.end(), random);
    SortLikeNtfs(&entries);
    std::vector<Text> got, want;
    for (const auto& e : entries) got.push_back(e.name);
    for (const auto& e : expected) want.push_back(e.name);
    ASSERT_EQ(got, want);
  }
}

TEST(AttributesFromMode, MapsKindHiddenAndReadOnly) {
  EXPECT_EQ(AttributesFromMode(S_IFREG | 0644, "a"), kArchive);
  EXPECT_EQ(AttributesFromMode(S_IFREG | 0444, ".a"), kArchive | kHidden | kReadOnly);
  EXPECT_EQ(AttributesFromMode(S_IFDIR | 0755, ".."), kDirectory);
  EXPECT_EQ(AttributesFromMode(S_IFDIR | 0755, "."), kDirectory);
  EXPECT_EQ(AttributesFromMode(S_IFIFO | 0644, "p"), 0);
}

}  // namespace
}  // namespace qm

// Whole books compiled from CHM-tab projects and read back by libmspack,
// extract_chmLib and 7-Zip.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "book_fixture.h"
#include "chm_reader.h"
#include "compiler.h"
#include "page_references.h"
#include "sitemap_links.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using hha_test::FileMap;
using hha_test::Gbk;

struct Compiled {
  hha::CompileResult result;
  std::vector<std::string> warnings;
};

Compiled Compile(const std::string& project) {
  Compiled c;
  c.result = hha::CompileProject(project, [&](hha::Severity s, const std::string& text) {
    if (s == hha::Severity::Warning || s == hha::Severity::Error) c.warnings.push_back(text);
  });
  return c;
}

bool AnyContains(const std::vector<std::string>& list, const std::string& part) {
  for (const std::string& s : list)
    if (s.find(part) != std::string::npos) return true;
  return false;
}

// The files of a book folder the test expects in the .chm: name -> bytes.
FileMap WriteBook(const std::string& dir, const std::vector<std::pair<std::string, std::string>>& files) {
  FileMap expected;
  for (const auto& [name, content] : files) {
    hha_test::WriteFile(dir + "/" + name, content);
    expected["/" + name] = hha::IsWebPageName(name) ? hha_test::Stored(content) : content;
  }
  return expected;
}

// Book files only: without the bookkeeping files "/#..." and "/$...".
FileMap BookFiles(const FileMap& all) {
  FileMap out;
  for (const auto& [name, content] : all)
    if (name.rfind("/#", 0) != 0 && name.rfind("/$", 0) != 0) out[name] = content;
  return out;
}

void ExpectSameFiles(const FileMap& expected, const FileMap& actual, const std::string& reader) {
  EXPECT_EQ(expected.size(), actual.size()) << reader;
  for (const auto& [name, content] : expected) {
    auto it = actual.find(name);
    if (it == actual.end()) {
      ADD_FAILURE() << reader << " misses " << name;
      continue;
    }
    EXPECT_TRUE(it->second == content) << reader << " changed " << name;
  }
  for (const auto& [name, content] : actual) EXPECT_TRUE(expected.count(name)) << reader << " has unexpected " << name;
}

// Reads the book with each reader that is installed; a missing reader
// marks the test skipped, after the others have read it.
void ExpectOtherReadersAgree(const std::string& chm, const std::string& scratch, const FileMap& expected,
                             bool check_chmlib = true) {
  std::string missing;
  if (check_chmlib) {
    if (hha_test::FindProgram("extract_chmLib").empty()) {
      missing = "extract_chmLib";
    } else {
      auto files = hha_test::ReadWithExtractChmLib(chm, scratch + "/chmlib");
      ASSERT_TRUE(files.has_value()) << "extract_chmLib failed";
      ExpectSameFiles(expected, BookFiles(*files), "extract_chmLib");
    }
  }
  std::string seven = hha_test::FindProgram("7z");
  if (seven.empty()) seven = hha_test::FindProgram("7zz");
  if (seven.empty()) {
    missing += missing.empty() ? "7-Zip" : " and 7-Zip";
  } else {
    auto files = hha_test::ReadWith7z(seven, chm, scratch + "/7z");
    ASSERT_TRUE(files.has_value()) << "7-Zip failed";
    ExpectSameFiles(expected, BookFiles(*files), "7-Zip");
  }
  if (!missing.empty()) GTEST_SKIP() << missing << " not installed";
}

// "\" characters of a code page 936 text turned into "/", as the compiler
// stores contents and index files (the test names hold no 0x5C trail byte).
std::string WithSlashes(std::string text) {
  for (char& c : text)
    if (c == '\\') c = '/';
  return text;
}

// A book from a Chinese-named folder: nested folders, a Chinese home page
// inside a folder, a contents and an index file with Chinese names, an
// image that only a page refers to.
class ChineseBook : public ::testing::Test {
 protected:
  void SetUp() override {
    book_ = dir_.path() + "/名字";
    expected_ = WriteBook(
        book_, {
                   {"第一章/第1页.htm", hha_test::PageContent(1, 30000, true)},
                   {"第一章/第2页.htm", hha_test::PageContent(2, 70000, true)},
                   {"第一章/第一节/深.htm", Gbk("<p><img src=\"../../img/图.gif\"><a href=\"#top\">t</a>"
                                                "<a href=\"http://example.com/x.htm\">w</a>"
                                                "<link href=\"../../img/%E5%9B%BE.gif\"><link href=\"缺.css\"></p>")},
                   {"img/图.gif", std::string("GIF89a\0\x03", 8)},
                   {"index.htm", hha_test::PageContent(3, 5000, false)},
                   {"img/pic.gif", std::string("GIF89a\0\x01\x02\xff", 10)},
                   {"empty.css", ""},
                   {"extra.htm", hha_test::PageContent(4, 2000, false)},
               });
    // The contents links extra.htm, which [FILES] does not list.
    std::string contents = hha_test::TabContents({{"第1页", "第一章\\第1页.htm"},
                                                  {"深", "第一章\\第一节\\深.htm"},
                                                  {"extra", "extra.htm#top"},
                                                  {"web", "http://example.com/"}});
    hha_test::WriteFile(book_ + "/名字.hhc", contents);
    expected_["/名字.hhc"] = WithSlashes(contents);
    std::string index = hha_test::TabContents({{"第2页", "第一章\\第2页.htm"}});
    hha_test::WriteFile(book_ + "/名字.hhk", index);
    expected_["/名字.hhk"] = WithSlashes(index);
    project_ = book_ + "/名字.hhp";
    std::string project = hha_test::TabProject("名字", "第一章\\第1页.htm",
                                               {"第一章\\第1页.htm", "第一章\\第2页.htm", "第一章\\第一节\\深.htm",
                                                "index.htm", "img\\pic.gif", "empty.css", "missing.htm", "名字.chm"});
    project.insert(project.find("\r\n") + 2, "Index file=" + Gbk("名字.hhk") + "\r\n");
    hha_test::WriteFile(project_, project);
  }

  qm::TempDir dir_;
  std::string book_, project_;
  FileMap expected_;
};

TEST_F(ChineseBook, EveryReaderGetsEveryFileBack) {
  Compiled c = Compile(project_);
  ASSERT_TRUE(c.result.status.ok) << c.result.status.message;
  EXPECT_EQ(c.result.output_path, book_ + "/名字.chm");
  EXPECT_TRUE(AnyContains(c.warnings, "missing.htm"));
  EXPECT_TRUE(AnyContains(c.warnings, "缺.css")) << "a page refers to a missing file";
  EXPECT_FALSE(AnyContains(c.warnings, "example.com"));

  auto files = hha_test::ReadWithMspack(c.result.output_path);
  ASSERT_TRUE(files.has_value());
  ExpectSameFiles(expected_, BookFiles(*files), "libmspack");
  EXPECT_EQ(hha_test::FirstMissingByFastFind(c.result.output_path, *files), "");
  ExpectOtherReadersAgree(c.result.output_path, dir_.path(), expected_);
  auto unpacked = hha_test::ReadWithHh(HH_EXE, c.result.output_path, dir_.path() + "/hh");
  ASSERT_TRUE(unpacked.has_value()) << "hh.exe failed";
  ExpectSameFiles(expected_, *unpacked, "hh.exe");
}

// What a reader does with the name strings of #SYSTEM, #WINDOWS and
// #STRINGS: Windows viewers decode them in code page 936 and look the
// result up; others look the raw bytes up. Both must find every file, and
// the Local values of the stored contents and index files must resolve with
// "/" between folders.
TEST_F(ChineseBook, EveryNameStringOpensInBothKindsOfReader) {
  Compiled c = Compile(project_);
  ASSERT_TRUE(c.result.status.ok);
  auto files = hha_test::ReadWithMspack(c.result.output_path);
  ASSERT_TRUE(files.has_value());
  std::map<int, std::string> sys = hha_test::SystemStrings(files->at("/#SYSTEM"));
  const std::string& windows = files->at("/#WINDOWS");
  const std::string& strings = files->at("/#STRINGS");
  auto u32 = [](const std::string& s, std::size_t at) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(s[at]) | (static_cast<unsigned char>(s[at + 1]) << 8) |
                                      (static_cast<unsigned char>(s[at + 2]) << 16) |
                                      (static_cast<unsigned char>(s[at + 3]) << 24));
  };
  ASSERT_EQ(u32(windows, 0), 1u);
  auto text_at = [&](std::size_t field) { return std::string(strings.c_str() + u32(windows, 8 + field)); };
  EXPECT_EQ(sys[3], Gbk("名字")) << "the title in the book's code page";
  EXPECT_EQ(sys[6], Gbk("名字")) << "the compiled file's name in the book's code page";
  EXPECT_EQ(text_at(0x14), Gbk("名字"));
  const std::string& locale = sys[4];
  EXPECT_EQ(static_cast<unsigned char>(locale[0]) | (static_cast<unsigned char>(locale[1]) << 8), 0x804);

  auto open = [&](const std::string& name_string) -> std::string {
    auto decoded = hha_test::Utf8OfGbk(name_string);
    EXPECT_TRUE(decoded && files->count("/" + *decoded)) << "code page 936 reader misses " << name_string;
    EXPECT_TRUE(files->count("/" + name_string)) << "raw-byte reader misses " << name_string;
    return files->count("/" + name_string) ? files->at("/" + name_string) : std::string();
  };
  // A page that leads on: its link, read in the code page it declares.
  auto home = [&](const std::string& page) {
    std::size_t at = page.find("href=\"");
    if (at == std::string::npos) return page;
    std::string link = page.substr(at + 6, page.find('"', at + 6) - at - 6);
    auto decoded = hha_test::Utf8OfGbk(link);
    return decoded && files->count("/" + *decoded) ? files->at("/" + *decoded) : std::string();
  };
  EXPECT_EQ(open(sys[0]), expected_["/名字.hhc"]);
  EXPECT_EQ(open(sys[1]), expected_["/名字.hhk"]);
  EXPECT_EQ(home(open(sys[2])), expected_["/第一章/第1页.htm"]);
  EXPECT_EQ(open(text_at(0x60)), expected_["/名字.hhc"]);
  EXPECT_EQ(open(text_at(0x64)), expected_["/名字.hhk"]) << "the default window gets the project's index file";
  EXPECT_EQ(home(open(text_at(0x68))), expected_["/第一章/第1页.htm"]);
  EXPECT_EQ(home(open(text_at(0x6C))), expected_["/第一章/第1页.htm"]);

  int nested = 0;
  for (const char* sitemap : {"/名字.hhc", "/名字.hhk"}) {
    for (const std::string& local : hha::SitemapLocalLinks(files->at(sitemap))) {
      std::string file(hha::LinkFilePart(local));
      if (file.rfind("http:", 0) == 0) continue;
      auto decoded = hha_test::Utf8OfGbk(file);
      ASSERT_TRUE(decoded.has_value()) << local;
      EXPECT_TRUE(files->count("/" + *decoded)) << "Local " << *decoded << " not found";
      if (decoded->find('/') != std::string::npos) ++nested;
    }
  }
  EXPECT_EQ(nested, 3);
}

TEST_F(ChineseBook, RecompilingReplacesTheBookAndNeverStoresItInside) {
  ASSERT_TRUE(Compile(project_).result.status.ok);
  Compiled again = Compile(project_);
  ASSERT_TRUE(again.result.status.ok);
  EXPECT_TRUE(AnyContains(again.warnings, "not stored inside itself"));
  auto files = hha_test::ReadWithMspack(again.result.output_path);
  ASSERT_TRUE(files.has_value());
  EXPECT_FALSE(files->count("/名字.chm"));
  ExpectSameFiles(expected_, BookFiles(*files), "libmspack");
  for (const auto& e : fs::directory_iterator(book_))
    EXPECT_EQ(e.path().filename().string().find(".tmp-"), std::string::npos) << "temporary file left behind";
}

TEST_F(ChineseBook, TheBookGetsTheModeOfAnyNewFile) {
  const mode_t old_mask = ::umask(027);
  Compiled c = Compile(project_);
  ::umask(old_mask);
  ASSERT_TRUE(c.result.status.ok);
  struct stat st {};
  ASSERT_EQ(::stat(c.result.output_path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST_F(ChineseBook, WithoutOwnContentsTheBookHasNoContentsFile) {
  std::string text = hha_test::ReadFile(project_);
  std::string name = Gbk("名字.hhc");
  text.replace(text.find(name), name.size(), "");
  hha_test::WriteFile(project_, text);
  Compiled c = Compile(project_);
  ASSERT_TRUE(c.result.status.ok);
  auto files = hha_test::ReadWithMspack(c.result.output_path);
  ASSERT_TRUE(files.has_value());
  EXPECT_FALSE(files->count("/名字.hhc"));
  EXPECT_FALSE(files->count("/extra.htm"));
  EXPECT_EQ(hha_test::SystemStrings(files->at("/#SYSTEM")).count(0), 0u);
}

TEST(CompileBooks, ThreeThousandFilesNeedSeveralListingChunksAndAnIndex) {
  qm::TempDir dir;
  std::vector<std::pair<std::string, std::string>> pages;
  std::vector<std::string> listed;
  for (int i = 0; i < 3000; ++i) {
    char name[64];
    std::snprintf(name, sizeof name, "part%d/Page_%04d.htm", i % 7, i);
    pages.emplace_back(name, hha_test::PageContent(i, 200 + (i * 37) % 900, i % 2 == 0));
    std::string listed_name = name;
    listed_name[5] = '\\';
    listed.push_back(listed_name);
  }
  FileMap expected = WriteBook(dir.path(), pages);
  std::string contents = hha_test::TabContents({{"first", listed[0]}});
  hha_test::WriteFile(dir.path() + "/big.hhc", contents);
  expected["/big.hhc"] = WithSlashes(contents);
  hha_test::WriteFile(dir.path() + "/big.hhp", hha_test::TabProject("big", listed[0], listed));

  Compiled c = Compile(dir.path() + "/big.hhp");
  ASSERT_TRUE(c.result.status.ok) << c.result.status.message;
  EXPECT_EQ(c.result.files_stored, 3001u);

  std::string chm = hha_test::ReadFile(c.result.output_path);
  auto u32 = [&](std::size_t at) {
    return static_cast<std::uint32_t>(
        static_cast<unsigned char>(chm[at]) | (static_cast<unsigned char>(chm[at + 1]) << 8) |
        (static_cast<unsigned char>(chm[at + 2]) << 16) | (static_cast<unsigned char>(chm[at + 3]) << 24));
  };
  const std::size_t itsp = 0x78;
  EXPECT_EQ(chm.substr(itsp, 4), "ITSP");
  EXPECT_GE(u32(itsp + 0x18), 2u) << "index depth";
  EXPECT_NE(u32(itsp + 0x1C), 0xFFFFFFFFu) << "index root";
  EXPECT_GT(u32(itsp + 0x24), 1u) << "last listing chunk";

  auto files = hha_test::ReadWithMspack(c.result.output_path);
  ASSERT_TRUE(files.has_value());
  ExpectSameFiles(expected, BookFiles(*files), "libmspack");
  EXPECT_EQ(hha_test::FirstMissingByFastFind(c.result.output_path, *files), "");
  ExpectOtherReadersAgree(c.result.output_path, dir.path() + "/out", expected);
}

TEST(CompileBooks, NamesFoundWithoutRegardToCaseAndDuplicatesStoredOnce) {
  qm::TempDir dir;
  FileMap expected = WriteBook(dir.path(), {{"Chapter/Intro.htm", "intro"}, {"b.htm", "b"}});
  hha_test::WriteFile(dir.path() + "/B.HTM", "other b");
  hha_test::WriteFile(dir.path() + "/p.hhp",
                      "[OPTIONS]\r\nCompiled file=p.chm\r\nDefault topic=CHAPTER\\intro.HTM\r\n[FILES]\r\n"
                      "chapter\\INTRO.htm\r\nb.htm\r\nB.HTM\r\nChapter/Intro.htm\r\n");
  Compiled c = Compile(dir.path() + "/p.hhp");
  ASSERT_TRUE(c.result.status.ok);
  EXPECT_TRUE(AnyContains(c.warnings, "letter case"));
  auto files = hha_test::ReadWithMspack(c.result.output_path);
  ASSERT_TRUE(files.has_value());
  FileMap book = BookFiles(*files);
  EXPECT_EQ(book.size(), 2u);
  EXPECT_EQ(book["/chapter/INTRO.htm"], hha_test::Stored("intro"));
  EXPECT_EQ(book["/b.htm"], hha_test::Stored("b"));
}

// Links are followed while they lead inside the project's folder: a page
// or a folder linked from outside stays out of the book, with a warning,
// however many pages share the folder.
TEST(CompileBooks, OnlyLinksThatLeadInsideTheFolderBringTheirFiles) {
  qm::TempDir dir;
  const std::string book = dir.path() + "/book", outside = dir.path() + "/outside";
  hha_test::WriteFile(outside + "/secret.htm", "secret");
  hha_test::WriteFile(outside + "/away/far.htm", "far");
  hha_test::WriteFile(book + "/in/a.htm", "a");
  fs::create_symlink("a.htm", book + "/in/inner.htm");
  fs::create_symlink("../../outside/secret.htm", book + "/in/secret.htm");
  fs::create_symlink("in", book + "/alias");
  fs::create_symlink("../outside/away", book + "/away");
  hha_test::WriteFile(book + "/p.hhp",
                      "[OPTIONS]\r\nCompiled file=p.chm\r\n[FILES]\r\nin\\a.htm\r\nin\\inner.htm\r\n"
                      "in\\secret.htm\r\nalias\\a.htm\r\naway\\far.htm\r\n");
  Compiled c = Compile(book + "/p.hhp");
  ASSERT_TRUE(c.result.status.ok);
  auto files = hha_test::ReadWithMspack(c.result.output_path);
  ASSERT_TRUE(files.has_value());
  FileMap stored = BookFiles(*files);
  EXPECT_EQ(stored.count("/in/a.htm") + stored.count("/in/inner.htm") + stored.count("/alias/a.htm"), 3u);
  EXPECT_EQ(stored.count("/in/secret.htm") + stored.count("/away/far.htm"), 0u);
  for (const char* name : {"in\\secret.htm", "away\\far.htm"})
    EXPECT_TRUE(AnyContains(c.warnings, std::string(name) + "\" leads through a link out of the project's folder"))
        << name;
}

TEST(CompileBooks, FailuresAreReportedAndLeaveNoFiles) {
  qm::TempDir dir;
  Compiled missing = Compile(dir.path() + "/none.hhp");
  EXPECT_FALSE(missing.result.status.ok);

  // A folder named like a project is no (empty) project: the earlier book stays.
  fs::create_directory(dir.path() + "/bk.hhp");
  hha_test::WriteFile(dir.path() + "/bk.chm", "earlier book");
  Compiled folder = Compile(dir.path() + "/bk.hhp");
  EXPECT_FALSE(folder.result.status.ok);
  EXPECT_NE(folder.result.status.message.find("is not a regular file"), std::string::npos);
  EXPECT_EQ(hha_test::ReadFile(dir.path() + "/bk.chm"), "earlier book");

  hha_test::WriteFile(dir.path() + "/a.htm", "a");
  hha_test::WriteFile(dir.path() + "/p.hhp", "[OPTIONS]\r\nCompiled file=out.chm\r\n[FILES]\r\na.htm\r\n");
  fs::create_directory(dir.path() + "/out.chm");  // the target cannot be replaced
  Compiled blocked = Compile(dir.path() + "/p.hhp");
  EXPECT_FALSE(blocked.result.status.ok);
  EXPECT_TRUE(fs::is_directory(dir.path() + "/out.chm"));
  for (const auto& e : fs::directory_iterator(dir.path()))
    EXPECT_EQ(e.path().filename().string().find(".tmp-"), std::string::npos);

  hha_test::WriteFile(dir.path() + "/q.hhp", "[OPTIONS]\r\nCompiled file=no\\such\\folder\\q.chm\r\n");
  Compiled nodir = Compile(dir.path() + "/q.hhp");
  EXPECT_FALSE(nodir.result.status.ok);
  EXPECT_NE(nodir.result.status.message.find("folder\" for the compiled file does not exist"), std::string::npos)
      << nodir.result.status.message;
}

TEST(CompileBooks, OnlyLeftoversOfACutOffRunAreCleanedUp) {
  qm::TempDir dir;
  hha_test::WriteFile(dir.path() + "/a.htm", "a");
  hha_test::WriteFile(dir.path() + "/p.hhp", "[OPTIONS]\r\nCompiled file=out.chm\r\n[FILES]\r\na.htm\r\n");
  const std::string left = dir.path() + "/out.chm.tmp-";
  hha_test::WriteFile(left + "AAAAAA", "");                  // a run cut off at once
  hha_test::WriteFile(left + "BBBBBB", "ITSF half a book");  // one cut off while writing
  hha_test::WriteFile(left + "CCCCCC", "ITSF a user's copy, read-only");
  ::chmod((left + "CCCCCC").c_str(), 0444);
  hha_test::WriteFile(dir.path() + "/keep.chm", "ITSF a user's copy, linked");
  fs::create_hard_link(dir.path() + "/keep.chm", left + "DDDDDD");
  ASSERT_TRUE(Compile(dir.path() + "/p.hhp").result.status.ok);
  EXPECT_FALSE(fs::exists(left + "AAAAAA"));
  EXPECT_FALSE(fs::exists(left + "BBBBBB"));
  EXPECT_EQ(hha_test::ReadFile(left + "CCCCCC"), "ITSF a user's copy, read-only");
  EXPECT_EQ(hha_test::ReadFile(left + "DDDDDD"), "ITSF a user's copy, linked");
}

// A window line that a quote in the book's name breaks names a contents
// file that is not there: the book is made, and the contents file is listed
// as left out, so the window does not say "ok".
TEST(CompileBooks, AMissingContentsFileIsLeftOut) {
  qm::TempDir dir;
  hha_test::WriteFile(dir.path() + "/a.htm", "a");
  hha_test::WriteFile(dir.path() + "/a\"b,c.hhc", "<UL></UL>");
  hha_test::WriteFile(dir.path() + "/p.hhp",
                      "[OPTIONS]\r\nDefault Window=win\r\nCompiled file=p.chm\r\nDefault topic=a.htm\r\n\r\n"
                      "[WINDOWS]\r\nwin=\"a\"b,c\",\"a\"b,c.hhc\",,\"a.htm\",\"a.htm\"\r\n\r\n[FILES]\r\na.htm\r\n");
  Compiled c = Compile(dir.path() + "/p.hhp");
  ASSERT_TRUE(c.result.status.ok) << c.result.status.message;
  ASSERT_EQ(c.result.left_out.size(), 1u);
  EXPECT_NE(c.result.left_out[0].find(".hhc"), std::string::npos);
}

TEST(CompileBooks, ProjectSavedAsUtf8IsReadLikeTheTabsOwn) {
  qm::TempDir dir;
  FileMap expected = WriteBook(dir.path(), {{"章/一.htm", "one"}});
  hha_test::WriteFile(
      dir.path() + "/u.hhp",
      "\xEF\xBB\xBF[OPTIONS]\r\nCompiled file=u.chm\r\nDefault topic=章\\一.htm\r\n[FILES]\r\n章\\一.htm\r\n");
  Compiled c = Compile(dir.path() + "/u.hhp");
  ASSERT_TRUE(c.result.status.ok) << c.result.status.message;
  auto files = hha_test::ReadWithMspack(c.result.output_path);
  ASSERT_TRUE(files.has_value());
  ExpectSameFiles(expected, BookFiles(*files), "libmspack");
}

TEST(CompileBooks, EmptyBookStillOpens) {
  qm::TempDir dir;
  hha_test::WriteFile(dir.path() + "/e.hhp", "[OPTIONS]\r\nCompiled file=e.chm\r\n");
  Compiled c = Compile(dir.path() + "/e.hhp");
  ASSERT_TRUE(c.result.status.ok);
  auto files = hha_test::ReadWithMspack(c.result.output_path);
  ASSERT_TRUE(files.has_value());
  EXPECT_TRUE(BookFiles(*files).empty());
  ExpectOtherReadersAgree(c.result.output_path, dir.path() + "/out", {});
}

}  // namespace

// Books whose file names have no GBK form: the project and contents files
// spell them with the main program's name escapes, and the compiler finds
// and stores them under their exact UTF-8 names.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>

#include "book_fixture.h"
#include "book_paths.h"
#include "chm_reader.h"
#include "compiler.h"
#include "names.h"
#include "page_encoding.h"
#include "reader_names.h"
#include "runtime/encoding.h"
#include "sitemap_links.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using hha_test::FileMap;

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

std::size_t CountContaining(const std::vector<std::string>& list, const std::string& part) {
  std::size_t n = 0;
  for (const std::string& s : list) n += s.find(part) != std::string::npos;
  return n;
}

// "乗" in code page 936 is 0x81 0x5C: its second byte is a backslash.
const std::string kBackslashChar = "乗";

// An attribute value as HTML readers decode it: the references that the
// test's names could form, with or without their ";".
std::string HtmlUnescaped(const std::string& value) {
  static const std::pair<const char*, char> kReferences[] = {{"&amp", '&'}, {"&quot", '"'}, {"&lt", '<'}, {"&gt", '>'}};
  std::string out;
  for (std::size_t i = 0; i < value.size();) {
    bool decoded = false;
    for (const auto& [reference, c] : kReferences) {
      const std::string_view r(reference);
      if (value.compare(i, r.size(), r) != 0) continue;
      out += c;
      i += r.size() + (i + r.size() < value.size() && value[i + r.size()] == ';');
      decoded = true;
      break;
    }
    if (!decoded) out += value[i++];
  }
  return out;
}

// A Local value as kchmviewer opens it: references decoded, read in the
// book's code page, then taken as a URL whose "%XX" escapes are UTF-8 bytes.
// Empty when the value is not code page 936 text.
std::string LocalAsReadersOpenIt(const std::string& local) {
  const std::string value = HtmlUnescaped(local);
  auto decoded = hha_test::Utf8OfGbk(hha::LinkFilePart(value));
  if (!decoded) return {};
  std::string out;
  for (std::size_t i = 0; i < decoded->size(); ++i) {
    if ((*decoded)[i] == '%' && i + 2 < decoded->size() && std::isxdigit((*decoded)[i + 1]) &&
        std::isxdigit((*decoded)[i + 2])) {
      out += static_cast<char>(std::stoi(decoded->substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else {
      out += (*decoded)[i];
    }
  }
  return "/" + out;
}

TEST(NamesWithoutGbkForm, EmojiBookFolderAndPagesCompileAndReadBack) {
  qm::TempDir dir;
  const std::string book = "📚书 emoji";
  const std::string folder = dir.path() + "/" + book;
  const std::string home = "章😀/页 😀.htm";
  const std::string other = kBackslashChar + "🎉.htm";
  hha_test::WriteFile(folder + "/" + home, hha_test::Stored("<p>home</p>"));
  hha_test::WriteFile(folder + "/" + other, hha_test::Stored("<p>other</p>"));
  hha_test::WriteFile(folder + "/linked 🎈.htm", hha_test::Stored("<p>linked</p>"));
  // Escaped, code page 936 and ASCII names side by side, nested or not; a
  // "%" that must not read as an escape, with and without escaped characters.
  // Names holding a quote (written as "&quot;" in the contents file), "?"
  // and "#" (part of the name, not a query or fragment). Names that look
  // like references: written with "&amp;" by the main program, or bare as in
  // contents files made before, both reach readers as "&amp;".
  for (const char* page : {"章😀/中文.htm", "第一章/感遇・其一.htm", "a.htm", "100%41 ・.htm", "第一章/100%41.htm",
                           "k\"l.htm", "d?x.htm", "第一章/e#f.htm", "a&lt;b.htm", "&lt;dir&gt;/in.htm", "e&quot.htm"})
    hha_test::WriteFile(folder + "/" + page, page);
  const std::string contents = hha_test::TabContentsWithEscapes({{"页 😀", "章😀\\页 😀.htm"},
                                                                 {"linked", "linked 🎈.htm#top"},
                                                                 {"中", "章😀\\中文.htm"},
                                                                 {"感遇", "第一章\\感遇・其一.htm#s"},
                                                                 {"a", "a.htm"},
                                                                 {"%", "100%41 ・.htm"},
                                                                 {"%", "第一章\\100%41.htm"},
                                                                 {"k&quot;l", "k&quot;l.htm"},
                                                                 {"d?x", "d?x.htm"},
                                                                 {"e#f", "第一章\\e#f.htm"},
                                                                 {"a&amp;lt;b", "a&amp;lt;b.htm"},
                                                                 {"in", "&amp;lt;dir&amp;gt;\\in.htm"},
                                                                 {"e&amp;quot", "e&quot.htm"}});
  hha_test::WriteFile(folder + "/" + book + ".hhc", contents);
  // A page of the book's own that holds the first internal name.
  hha_test::WriteFile(folder + "/$Quillmere_HOME.htm", "mine");
  hha_test::WriteFile(
      folder + "/" + book + ".hhp",
      hha_test::TabProjectWithEscapes(book, "章😀\\页 😀.htm", {"章😀\\页 😀.htm", other, "$Quillmere_HOME.htm"}));

  Compiled c = Compile(folder + "/" + book + ".hhp");
  ASSERT_TRUE(c.result.status.ok) << c.result.status.message;
  EXPECT_TRUE(c.warnings.empty()) << c.warnings.front();
  EXPECT_EQ(c.result.output_path, folder + "/" + book + ".chm");
  ASSERT_TRUE(fs::exists(fs::u8path(c.result.output_path)));

  auto files = hha_test::ReadWithMspack(c.result.output_path);
  ASSERT_TRUE(files.has_value());
  EXPECT_EQ((*files)["/" + home], hha_test::Stored("<p>home</p>"));
  EXPECT_EQ((*files)["/" + other], hha_test::Stored("<p>other</p>")) << "a 0x5C second byte split the name";
  EXPECT_EQ((*files)["/linked 🎈.htm"], hha_test::Stored("<p>linked</p>"));
  // Every entry of the stored contents file opens in a reader.
  const std::string stored_contents = (*files)["/" + book + ".hhc"];
  std::vector<std::string> opened;
  for (const std::string& local : hha::SitemapLocalLinks(stored_contents)) {
    std::string name = LocalAsReadersOpenIt(local);
    EXPECT_TRUE(files->count(name)) << "Local value " << hha::Printable(local) << " opens nothing";
    opened.push_back(name);
  }
  EXPECT_EQ(opened, (std::vector<std::string>{"/" + home, "/linked 🎈.htm", "/章😀/中文.htm", "/第一章/感遇・其一.htm",
                                              "/a.htm", "/100%41 ・.htm", "/第一章/100%41.htm", "/k\"l.htm", "/d?x.htm",
                                              "/第一章/e#f.htm", "/a&lt;b.htm", "/&lt;dir&gt;/in.htm", "/e&quot.htm"}));
  EXPECT_NE(stored_contents.find("value=\"d%3Fx.htm\""), std::string::npos);
  EXPECT_NE(stored_contents.find("value=\"a.htm\""), std::string::npos) << "other values keep their bytes";
  EXPECT_NE(
      stored_contents.find("value=\"" + hha_test::Gbk("第一章/感遇") + "%E3%83%BB" + hha_test::Gbk("其一.htm#s\"")),
      std::string::npos);
  EXPECT_EQ(hha_test::FirstMissingByFastFind(c.result.output_path, *files), "");

  // The reader's window shows the book name in its code page: the emoji,
  // which that code page cannot show, becomes "?"; file names stay exact.
  auto sys = hha_test::SystemStrings((*files)["/#SYSTEM"]);
  EXPECT_EQ(sys[3], hha_test::Gbk("?书 emoji"));
  // Names that are not ASCII reach readers as ASCII internal names.
  EXPECT_EQ((*files)["/" + sys[0]], stored_contents);
  // The small page that leads on to the home page inside its folder opens
  // it, emoji and all.
  EXPECT_EQ((*files)["/$Quillmere_HOME.htm"], hha_test::Stored("mine"));
  EXPECT_EQ(sys[2], "$Quillmere_home2.htm");
  const std::string lead_on = (*files)["/" + sys[2]];
  const std::size_t href = lead_on.find("href=\"") + 6;
  ASSERT_NE(lead_on.find("refresh"), std::string::npos);
  EXPECT_EQ(LocalAsReadersOpenIt(lead_on.substr(href, lead_on.find('"', href) - href)), "/" + home);
}

TEST(NamesWithoutGbkForm, StrayByteNamesAreSkippedWithAWarningAndTheRestCompiles) {
  qm::TempDir dir;
  const std::string stray = "bad\xE9 page.htm";  // Latin-1 é: not UTF-8
  hha_test::WriteFile(dir.path() + "/" + stray, "stray");
  hha_test::WriteFile(dir.path() + "/good.htm", "good");
  hha_test::WriteFile(dir.path() + "/b.hhc", hha_test::TabContentsWithEscapes({{"bad", stray}, {"good", "good.htm"}}));
  hha_test::WriteFile(dir.path() + "/b.hhp", hha_test::TabProjectWithEscapes("b", "good.htm", {stray, "good.htm"}));

  Compiled c = Compile(dir.path() + "/b.hhp");
  ASSERT_TRUE(c.result.status.ok) << c.result.status.message;
  // Both places that name it say why it is left out, with the byte shown.
  EXPECT_EQ(CountContaining(c.warnings, "\"bad\\xE9 page.htm\" skipped: the name holds bytes that are neither UTF-8"),
            2u);
  EXPECT_EQ(CountContaining(c.warnings, "linked from the contents file"), 1u);
  auto files = hha_test::ReadWithMspack(c.result.output_path);
  ASSERT_TRUE(files.has_value());
  EXPECT_EQ((*files)["/good.htm"], hha_test::Stored("good"));
  for (const auto& [name, content] : *files) EXPECT_EQ(name.find("bad"), std::string::npos) << name;
  EXPECT_EQ(c.result.files_stored, 2u);  // good.htm and b.hhc
}

// Archives made on Windows unpack to names in code page 936 bytes. The tree
// writes them with name escapes; the book stores them under their code
// page 936 reading, and the stored contents file names them so.
TEST(NamesWithoutGbkForm, CodePage936NamesOnDiskAreStoredUnderTheirReading) {
  qm::TempDir dir;
  const std::string folder = hha_test::Gbk("章"), page = hha_test::Gbk("第一") + ".htm";
  hha_test::WriteFile(dir.path() + "/" + folder + "/" + page, "first");
  hha_test::WriteFile(dir.path() + "/b.hhc", hha_test::TabContentsWithEscapes({{"first", folder + "\\" + page}}));
  hha_test::WriteFile(dir.path() + "/b.hhp",
                      hha_test::TabProjectWithEscapes("b", folder + "\\" + page, {folder + "\\" + page}));
  Compiled c = Compile(dir.path() + "/b.hhp");
  ASSERT_TRUE(c.result.status.ok) << c.result.status.message;
  EXPECT_TRUE(c.warnings.empty()) << c.warnings.front();
  EXPECT_TRUE(c.result.left_out.empty());
  auto files = hha_test::ReadWithMspack(c.result.output_path);
  ASSERT_TRUE(files.has_value());
  EXPECT_EQ((*files)["/章/第一.htm"], hha_test::Stored("first"));
  EXPECT_NE((*files)["/b.hhc"].find("value=\"" + folder + "/" + page + "\""), std::string::npos);
}

TEST(NamesWithoutGbkForm, BookNameWithStrayBytesStillCompiles) {
  // The .chm itself lives on disk, where any bytes are a name.
  qm::TempDir dir;
  const std::string book = "b\xE9";
  hha_test::WriteFile(dir.path() + "/a.htm", "a");
  hha_test::WriteFile(dir.path() + "/" + book + ".hhc", hha_test::TabContentsWithEscapes({{"a", "a.htm"}}));
  hha_test::WriteFile(dir.path() + "/p.hhp", hha_test::TabProjectWithEscapes(book, "a.htm", {"a.htm"}));
  Compiled c = Compile(dir.path() + "/p.hhp");
  ASSERT_TRUE(c.result.status.ok) << c.result.status.message;
  EXPECT_EQ(c.result.output_path, dir.path() + "/" + book + ".chm");
  auto files = hha_test::ReadWithMspack(c.result.output_path);
  ASSERT_TRUE(files.has_value());
  EXPECT_EQ((*files)["/a.htm"], hha_test::Stored("a"));
  // The contents file's own name is not UTF-8 either: it is left out, said so.
  EXPECT_EQ(CountContaining(c.warnings, "contents file \"b\\xE9.hhc\" skipped"), 1u);
}

TEST(NamesWithoutGbkForm, ProjectSavedAsUtf8KeepsNamesWithoutGbkForm) {
  qm::TempDir dir;
  hha_test::WriteFile(dir.path() + "/😀.htm", "smile");
  hha_test::WriteFile(dir.path() + "/u.hhp",
                      "\xEF\xBB\xBF[OPTIONS]\r\nCompiled file=u😀.chm\r\nTitle=笑😀\r\nDefault topic=😀.htm\r\n"
                      "[FILES]\r\n😀.htm\r\n");
  Compiled c = Compile(dir.path() + "/u.hhp");
  ASSERT_TRUE(c.result.status.ok) << c.result.status.message;
  auto files = hha_test::ReadWithMspack(dir.path() + "/u😀.chm");
  ASSERT_TRUE(files.has_value());
  EXPECT_EQ((*files)["/😀.htm"], hha_test::Stored("smile"));
  EXPECT_EQ(hha_test::SystemStrings((*files)["/#SYSTEM"])[3], hha_test::Gbk("笑?"));
}

// The link of the small page that leads on to a home page in a folder
// opens the page as a URL reader takes it, whatever the name holds, and
// names no character a refresh or URL parser would drop or take as a quote.
TEST(NamesWithoutGbkForm, LeadOnLinksOpenEveryName) {
  for (const std::string name : {"'sub/页.htm", "sub\t/\t页.htm", " a b/嘰乗.htm", "s#b?%25/😀 %.htm", "q\"x/y.htm"}) {
    const std::string link = hha::LinkToStoredName(name);
    EXPECT_EQ(LocalAsReadersOpenIt(link), "/" + name);
    EXPECT_EQ(link.find_first_of("'\t \"?#"), std::string::npos) << link;
  }
  EXPECT_EQ(hha::DeclaredName(hha::LinkToStoredName("sub/嘰.htm")), "gbk");
  // An ASCII name that a URL reader would cut at "#" or "?" is led on to.
  hha::ReaderNames names;
  EXPECT_EQ(names.For("sub/ab#c.htm", "home"), "$Quillmere_home.htm");
  EXPECT_EQ(names.For("sub/abc.htm", "home"), "sub/abc.htm");
}

TEST(BookPaths, SeparatorsOnlyBetweenWholeCharactersAndEscapes) {
  // A two-byte character ending in 0x5C and escaped characters are parts
  // of one name; only real "\" and "/" separate folders.
  hha::BookPath p = hha::ToBookPath(qm::TextFromNativeName("章😀\\" + kBackslashChar + "🎉/x.htm"));
  ASSERT_TRUE(p.ok) << p.error;
  EXPECT_EQ(p.name, "章😀/" + kBackslashChar + "🎉/x.htm");

  // A stray byte survives the mapping, but cannot be a stored name.
  p = hha::ToBookPath(qm::TextFromNativeName("a\\b\xFE.htm"));
  EXPECT_FALSE(p.ok);
  EXPECT_TRUE(p.unstorable);

  // An escape that claims to hold "\" (never written by the main program)
  // must not climb folders or split the name.
  p = hha::ToBookPath(std::string("a\xFF\xC0\x5C\xFF..\\..\\x.htm"));
  EXPECT_FALSE(p.ok);
  EXPECT_TRUE(p.unstorable);

  // Links that lead elsewhere are not storable-name failures.
  EXPECT_FALSE(hha::ToBookPath("http://example.com/😀").unstorable);
}

}  // namespace

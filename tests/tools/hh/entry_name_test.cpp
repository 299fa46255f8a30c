#include "entry_name.h"

#include <gtest/gtest.h>

namespace {

using Parts = std::vector<std::string>;

Parts accepted(const std::string& stored) {
  auto r = hh::SanitizeEntryName(stored);
  EXPECT_TRUE(r.ok) << stored << ": " << r.reason;
  return r.components;
}

TEST(HhEntryName, BookkeepingStreamsAreRecognised) {
  for (const char* name : {"::DataSpace/NameList", "/#SYSTEM", "/#TOPICS", "/$FIftiMain", "/$WWKeywordLinks/Property"})
    EXPECT_TRUE(hh::IsBookkeepingName(name)) << name;
  for (const char* name : {"/index.htm", "/a#b.htm", "/sub/#x.htm", "/_#_README_#_", ":x"})
    EXPECT_FALSE(hh::IsBookkeepingName(name)) << name;
}

TEST(HhEntryName, RootMapsToFolderAndSeparatorsSplit) {
  EXPECT_EQ(accepted("/index.htm"), Parts({"index.htm"}));
  EXPECT_EQ(accepted("/sub/deep/p.htm"), Parts({"sub", "deep", "p.htm"}));
  EXPECT_EQ(accepted("/sub\\win\\p.htm"), Parts({"sub", "win", "p.htm"}));
  EXPECT_EQ(accepted("/./a//b/./c.htm"), Parts({"a", "b", "c.htm"}));
  EXPECT_EQ(accepted("relative.htm"), Parts({"relative.htm"}));
  EXPECT_EQ(accepted("/图片/封面 1.jpg"), Parts({"图片", "封面 1.jpg"}));
  EXPECT_EQ(accepted("/...htm"), Parts({"...htm"}));
  EXPECT_EQ(accepted("/a/C:x.htm"), Parts({"a", "C:x.htm"}));
}

TEST(HhEntryName, NamesLeavingTheFolderAreRefused) {
  for (const char* name :
       {"/../evil.htm", "..", "/sub/../../evil.htm", "/a/..", "/..\\evil.htm", "\\..\\evil.htm", "//etc/passwd",
        "/\\server\\share\\x", "\\x.htm", "/C:/evil.htm", "C:\\evil.htm", "/c:evil.htm"}) {
    auto r = hh::SanitizeEntryName(name);
    EXPECT_FALSE(r.ok) << name;
    EXPECT_FALSE(r.reason.empty()) << name;
  }
}

TEST(HhEntryName, NamesWithoutAFileAreRefused) {
  for (const char* name : {"", "/", "/.", "/sub/", "/sub/.", "/sub\\"})
    EXPECT_FALSE(hh::SanitizeEntryName(name).ok) << name;
  // Nor one named as a temporary file of a killed run, which the next run
  // would remove.
  EXPECT_FALSE(hh::SanitizeEntryName("/sub/.~hh.99999-0-1.quillmere-tmp").ok);
}

}  // namespace

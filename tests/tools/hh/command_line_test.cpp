#include "command_line.h"

#include <gtest/gtest.h>

#include <set>

namespace {

hh::ParseResult parse(const std::vector<std::string>& args, std::set<std::string> files = {}) {
  return hh::ParseCommandLine(args, [&](const std::string& p) { return files.count(p) > 0; });
}

TEST(HhCommandLine, TakesFolderAndFileWithOptionInAnyCase) {
  for (const char* option : {"-decompile", "-DECOMPILE", "-DeCompile"}) {
    auto r = parse({option, "/books/a", "/books/a.chm"});
    ASSERT_TRUE(r.ok) << option;
    EXPECT_EQ(r.request.folder, "/books/a");
    EXPECT_EQ(r.request.chm_file, "/books/a.chm");
  }
}

TEST(HhCommandLine, RejectsWrongOptionOrMissingPaths) {
  EXPECT_FALSE(parse({}).ok);
  EXPECT_FALSE(parse({"-extract", "a", "a.chm"}).ok);
  EXPECT_FALSE(parse({"decompile", "a", "a.chm"}).ok);
  EXPECT_FALSE(parse({"-decompile", "a.chm"}).ok);
  EXPECT_FALSE(parse({"-decompile", "", "a.chm"}).ok);
}

TEST(HhCommandLine, RejoinsUnquotedPathsWhereFileIsFolderPlusChm) {
  auto r = parse({"-decompile", "/my", "books/big", "book", "/my", "books/big", "book.CHM"});
  ASSERT_TRUE(r.ok) << r.message;
  EXPECT_EQ(r.request.folder, "/my books/big book");
  EXPECT_EQ(r.request.chm_file, "/my books/big book.CHM");
}

TEST(HhCommandLine, RejoinsUnquotedPathsAtTheSplitNamingAnExistingFile) {
  auto r = parse({"-decompile", "/out", "dir", "/in", "put.chm"}, {"/in put.chm"});
  ASSERT_TRUE(r.ok) << r.message;
  EXPECT_EQ(r.request.folder, "/out dir");
  EXPECT_EQ(r.request.chm_file, "/in put.chm");

  // No split names a file: refused rather than guessed.
  EXPECT_FALSE(parse({"-decompile", "/out", "dir", "/in", "put.chm"}).ok);
  // Two splits name files: refused as ambiguous.
  auto twice = parse({"-decompile", "a", "b", "c.chm"}, {"b c.chm", "c.chm"});
  EXPECT_FALSE(twice.ok);
  EXPECT_NE(twice.message.find("several"), std::string::npos);
}

}  // namespace

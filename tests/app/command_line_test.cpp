// The command line: every way of asking, and every mistake named.
#include "app/command_line.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

using A = CommandLine::Action;

TEST(CommandLine, ReadsEveryFormAndNamesEveryMistake) {
  struct Case {
    std::vector<std::string> args;
    A action;
    std::string detail;  // script, first path or error
  };
  const Case cases[] = {
      {{}, A::kWindow, ""},
      {{"/books/书"}, A::kWindow, "/books/书"},
      {{"--", "-odd"}, A::kWindow, "-odd"},
      {{"-"}, A::kWindow, "-"},
      {{"--help"}, A::kHelp, ""},
      {{"-h", "--bogus"}, A::kHelp, ""},
      {{"--version"}, A::kVersion, ""},
      {{"-v"}, A::kVersion, ""},
      {{"--script", "-"}, A::kScript, "-"},
      {{"--script", "s.txt"}, A::kScript, "s.txt"},
      {{"--bogus"}, A::kError, "unknown option: --bogus"},
      {{"a", "-x"}, A::kError, "unknown option: -x"},
      {{"--script"}, A::kError, "option --script needs a FILE (- reads standard input)"},
      {{"--script", "s", "a"}, A::kError, "--script takes no folder: a"},
  };
  for (const Case& c : cases) {
    CommandLine line = ParseCommandLine(c.args);
    EXPECT_EQ(line.action, c.action) << testing::PrintToString(c.args);
    std::string detail = c.action == A::kError    ? line.error
                         : c.action == A::kScript ? line.script
                         : line.paths.empty()     ? ""
                                                  : line.paths.front();
    EXPECT_EQ(detail, c.detail) << testing::PrintToString(c.args);
  }
  EXPECT_EQ(HelpText().rfind("usage: quillmere", 0), 0u);
  EXPECT_EQ(VersionText().rfind("quillmere ", 0), 0u);
}

}  // namespace
}  // namespace qm

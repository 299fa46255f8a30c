#pragma once
// Which lines of a novel are chapter headings: a regular expression over
// each line (ICU syntax, searched in the line without its line end), and
// what a heading line says (its number and whether it opens a volume).

#include <memory>
#include <string>
#include <string_view>

#include "runtime/text.h"

struct URegularExpression;

namespace qm {

/// kDefaultChapterRuleUtf8 in code page 936.
Text DefaultChapterRule();

/// A compiled chapter rule.
class ChapterRule {
 public:
  ChapterRule();
  ~ChapterRule();
  ChapterRule(ChapterRule&&) noexcept;
  ChapterRule& operator=(ChapterRule&&) noexcept;

  /// Compiles `pattern` (code page 936). False, with why in `error` (code
  /// page 936), when it is empty or not a valid regular expression.
  bool Compile(const Text& pattern, Text* error);

  /// True when the rule finds a match in `line` (code page 936, without its
  /// line end).
  bool Matches(std::string_view line);

 private:
  URegularExpression* regex_ = nullptr;
  std::u16string line_;
};

/// What a heading line says.
struct HeadingInfo {
  Text title;             // the line without spaces at either end
  bool volume = false;    // its unit is 卷, 部, 篇 or 集
  bool numbered = false;  // it carries a number (第十二章, 12章)
  long long number = 0;
  Text unit;  // the unit after the number (GBK), when numbered
};

/// Reads a heading line (code page 936): spaces (ASCII, full-width) at
/// either end go; an optional 第, a number (NumberAt) and the character after
/// it give number and unit.
HeadingInfo ReadHeading(std::string_view line);

}  // namespace qm

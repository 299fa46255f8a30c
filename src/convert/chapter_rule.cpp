#include "convert/chapter_rule.h"

#include <unicode/uregex.h>

#include <utility>

#include "convert/chapter_numbers.h"
#include "core/chapter_rule_text.h"
#include "core/gbk_table.h"
#include "runtime/encoding.h"

namespace qm {

Text DefaultChapterRule() { return Gbk(kDefaultChapterRuleUtf8); }

ChapterRule::ChapterRule() = default;
ChapterRule::~ChapterRule() {
  if (regex_) uregex_close(regex_);
}
ChapterRule::ChapterRule(ChapterRule&& other) noexcept
    : regex_(std::exchange(other.regex_, nullptr)), line_(std::move(other.line_)) {}
ChapterRule& ChapterRule::operator=(ChapterRule&& other) noexcept {
  std::swap(regex_, other.regex_);
  std::swap(line_, other.line_);
  return *this;
}

bool ChapterRule::Compile(const Text& pattern, Text* error) {
  if (regex_) uregex_close(regex_);
  regex_ = nullptr;
  if (pattern.empty()) {
    *error = Gbk("分章规则是空的");
    return false;
  }
  std::u16string wide;
  AppendUtf16FromGbk(pattern, &wide);
  UParseError where{};
  UErrorCode status = U_ZERO_ERROR;
  regex_ = uregex_open(wide.data(), static_cast<int32_t>(wide.size()), 0, &where, &status);
  if (U_FAILURE(status)) {
    if (regex_) uregex_close(regex_);
    regex_ = nullptr;
    *error = Gbk("分章规则不是有效的正则表达式（第 ") + ToText(where.offset + 1) + Gbk(" 个字符附近：") +
             Text(u_errorName(status)) + Gbk("）");
    return false;
  }
  return true;
}

bool ChapterRule::Matches(std::string_view line) {
  if (!regex_) return false;
  line_.clear();
  AppendUtf16FromGbk(line, &line_);
  UErrorCode status = U_ZERO_ERROR;
  uregex_setText(regex_, line_.data(), static_cast<int32_t>(line_.size()), &status);
  return uregex_find(regex_, 0, &status) && U_SUCCESS(status);
}

namespace {

bool IsSpaceAt(std::string_view s, std::size_t i, std::size_t* width) {
  if (s[i] == ' ' || s[i] == '\t') return (*width = 1), true;
  if (i + 1 < s.size() && s[i] == '\xA1' && s[i + 1] == '\xA1') return (*width = 2), true;
  return false;
}

}  // namespace

HeadingInfo ReadHeading(std::string_view line) {
  HeadingInfo info;
  std::size_t from = 0, width = 0;
  while (from < line.size() && IsSpaceAt(line, from, &width)) from += width;
  std::size_t end = from;
  // The last character that is not a space ends the title.
  for (std::size_t i = from; i < line.size(); i += width) {
    width = CharWidthAt(line, i);
    std::size_t w = 0;
    if (!IsSpaceAt(line, i, &w)) end = i + width;
  }
  info.title = Text(line.substr(from, end - from));
  std::string_view t = info.title;
  static const Text kOrdinal = Gbk("第");
  std::size_t at = t.starts_with(kOrdinal) ? kOrdinal.size() : 0;
  NumberRun run;
  if (!NumberAt(t, at, &run)) return info;
  at += run.length;
  if (at >= t.size()) return info;
  Text unit(t.substr(at, CharWidthAt(t, at)));
  static const Text kChapterUnits = Gbk("章回节"), kVolumeUnits = Gbk("卷集部篇");
  auto among = [&unit](const Text& units) {
    for (std::size_t i = 0; i + 1 < units.size(); i += 2)
      if (unit == std::string_view(units).substr(i, 2)) return true;
    return false;
  };
  if (unit.size() != 2 || (!among(kChapterUnits) && !among(kVolumeUnits))) return info;
  info.numbered = true;
  info.number = run.value;
  info.unit = unit;
  info.volume = among(kVolumeUnits);
  return info;
}

}  // namespace qm

#pragma once
// Numbers in chapter headings and file names: Arabic digits (ASCII or
// full-width) and Chinese numerals, the financial forms included, so that
// "第十二章", "第12章" and "第１２章" all read as 12.

#include <string_view>
#include <vector>

#include "runtime/text.h"

namespace qm {

/// A number found in a code page 936 text.
struct NumberRun {
  std::size_t length = 0;  // bytes it takes
  long long value = 0;
};

/// The number that begins at byte `i` of `gbk`: a run of Arabic digits
/// (ASCII or full-width), or a run of Chinese numerals (〇零一二两三四五六七八
/// 九十百千万亿 and 壹贰叁肆伍陆柒捌玖拾佰仟) read with their units ("一百零五"
/// is 105) or, without units, digit by digit ("二〇二四" is 2024). A run of
/// units alone other than 十 or 拾 ("万", "千") is no number. False when no
/// number begins there.
bool NumberAt(std::string_view gbk, std::size_t i, NumberRun* run);

/// The reading order of file names: names are compared piece by piece,
/// numbers (NumberAt) by their value and before any other character, other
/// characters as NTFS compares them (upper-cased UTF-16). So "第2章" comes
/// before "第10章" and "第九章" before "第十章".
bool NaturalNameLess(std::string_view a, std::string_view b);

/// Sorts `names` by NaturalNameLess; names it holds equal keep their order.
void SortNaturally(std::vector<Text>* names);

}  // namespace qm

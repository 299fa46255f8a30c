#include "convert/chapter_numbers.h"

#include <algorithm>
#include <array>
#include <memory>

#include "core/gbk_table.h"
#include "runtime/encoding.h"

namespace qm {
namespace {

enum class Numeral : unsigned char { kNone, kDigit, kUnit, kMyriad };

struct NumeralInfo {
  Numeral kind = Numeral::kNone;
  int value = 0;  // the digit, or the unit's power of ten
};

// The Chinese numerals by their code page 936 code (lead * 256 + trail).
const NumeralInfo* NumeralTable() {
  static const std::unique_ptr<NumeralInfo[]> kTable = [] {
    auto t = std::make_unique<NumeralInfo[]>(0x10000);
    auto put = [&](std::string_view utf8, Numeral kind, int value) {
      Text gbk = Gbk(utf8);
      for (std::size_t i = 0; i + 1 < gbk.size(); i += 2) {
        t[static_cast<unsigned char>(gbk[i]) << 8 | static_cast<unsigned char>(gbk[i + 1])] = {kind, value};
        if (kind == Numeral::kDigit) ++value;
      }
    };
    put("零一二三四五六七八九", Numeral::kDigit, 0);
    put("〇", Numeral::kDigit, 0);
    put("两", Numeral::kDigit, 2);
    put("壹贰叁肆伍陆柒捌玖", Numeral::kDigit, 1);
    put("十拾", Numeral::kUnit, 1);
    put("百佰", Numeral::kUnit, 2);
    put("千仟", Numeral::kUnit, 3);
    put("万", Numeral::kMyriad, 4);
    put("亿", Numeral::kMyriad, 8);
    return t;
  }();
  return kTable.get();
}

unsigned CodeAt(std::string_view s, std::size_t i) {
  auto b = static_cast<unsigned char>(s[i]);
  if (b < 0x80 || i + 1 >= s.size()) return b;
  return b << 8 | static_cast<unsigned char>(s[i + 1]);
}

// An Arabic digit (ASCII, or full-width A3B0-A3B9) at `i`: its value, or -1.
int ArabicDigitAt(std::string_view s, std::size_t i, std::size_t* width) {
  unsigned code = CodeAt(s, i);
  if (code >= '0' && code <= '9') {
    *width = 1;
    return static_cast<int>(code - '0');
  }
  if (code >= 0xA3B0 && code <= 0xA3B9) {
    *width = 2;
    return static_cast<int>(code - 0xA3B0);
  }
  return -1;
}

constexpr long long kCap = 1'000'000'000'000'000LL;  // numbers stop growing here

long long Power10(int n) {
  long long p = 1;
  while (n-- > 0) p *= 10;
  return p;
}

}  // namespace

bool NumberAt(std::string_view s, std::size_t i, NumberRun* run) {
  std::size_t width = 0;
  if (i < s.size() && ArabicDigitAt(s, i, &width) >= 0) {
    long long value = 0;
    std::size_t j = i;
    for (int d; j < s.size() && (d = ArabicDigitAt(s, j, &width)) >= 0; j += width) {
      value = std::min(kCap, value * 10 + d);
    }
    *run = {j - i, value};
    return true;
  }
  const NumeralInfo* table = NumeralTable();
  long long total = 0, section = 0, digits = 0;  // digits: the value read digit by digit
  int digit = -1;
  bool any_unit = false, counted = false;
  std::size_t j = i;
  for (; j + 1 < s.size(); j += 2) {
    auto lead = static_cast<unsigned char>(s[j]);
    if (lead < 0x81) break;
    const NumeralInfo& n = table[CodeAt(s, j)];
    if (n.kind == Numeral::kNone) break;
    if (n.kind == Numeral::kDigit) {
      digits = std::min(kCap, digits * 10 + n.value);
      digit = n.value;
      counted = true;
    } else if (n.kind == Numeral::kUnit) {
      if (digit < 0 && n.value != 1) break;  // "百", "千" alone: no number
      section += (digit < 0 ? 1 : digit) * Power10(n.value);
      digit = -1;
      any_unit = counted = true;
    } else {
      if (!counted) break;
      const long long part = section + std::max(digit, 0);
      // 万 scales what stands since the last 亿; 亿 scales everything before it.
      total = n.value == 4 ? total + part * Power10(4) : std::min(kCap, (total + part) * Power10(n.value));
      section = 0;
      digit = -1;
      any_unit = true;
    }
  }
  if (!counted) return false;
  *run = {j - i, any_unit ? std::min(kCap, total + section + std::max(digit, 0)) : digits};
  return true;
}

namespace {

// The next piece of a name for the reading order: a number, or one
// character as its upper-cased UTF-16 code unit.
struct Piece {
  bool number = false;
  long long value = 0;  // the number, or the character's code unit
  std::size_t length = 0;
};

Piece PieceAt(std::string_view s, std::size_t i) {
  NumberRun run;
  if (NumberAt(s, i, &run)) return {true, run.value, run.length};
  unsigned code = CodeAt(s, i);
  std::size_t length = code < 0x100 ? 1 : 2;
  char16_t unit = code < 0x80 ? static_cast<char16_t>(code) : Utf16FromGbkTable()[code];
  if (unit >= u'a' && unit <= u'z') unit = static_cast<char16_t>(unit - u'a' + u'A');
  return {false, unit, length};
}

}  // namespace

bool NaturalNameLess(std::string_view a, std::string_view b) {
  std::size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    Piece p = PieceAt(a, i), q = PieceAt(b, j);
    if (p.number != q.number) return p.number;
    if (p.value != q.value) return p.value < q.value;
    i += p.length;
    j += q.length;
  }
  return i >= a.size() && j < b.size();
}

void SortNaturally(std::vector<Text>* names) {
  std::stable_sort(names->begin(), names->end(), [](const Text& a, const Text& b) { return NaturalNameLess(a, b); });
}

}  // namespace qm

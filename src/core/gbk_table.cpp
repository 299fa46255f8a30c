#include "core/gbk_table.h"

#include <memory>
#include <string>
#include <vector>

#include "runtime/iconv_converter.h"

namespace qm {
namespace {

// Windows maps the private-use characters U+E000 to U+E864 into the code
// page's user-defined cells, which glibc leaves out: first the three
// user-defined areas (AAA1-AFFE, F8A1-FEFE, A140-A7A0, row by row), then
// every other two-byte cell that holds no character, in code order. The
// single byte 0xFF stands for U+F8F5.
void AddUserDefinedArea(std::uint16_t* table) {
  std::vector<bool> taken(0x10000, false);
  for (unsigned u = 0x80; u < 0x10000; ++u)
    if (table[u] != kNoGbkForm && table[u] >= 0x100) taken[table[u]] = true;
  auto is_trail = [](unsigned t) { return t >= 0x40 && t <= 0xFE && t != 0x7F; };
  unsigned next = 0xE000;
  auto area = [&](unsigned lead_from, unsigned lead_to, unsigned trail_from, unsigned trail_to) {
    for (unsigned lead = lead_from; lead <= lead_to; ++lead)
      for (unsigned t = trail_from; t <= trail_to; ++t)
        if (is_trail(t)) {
          table[next++] = static_cast<std::uint16_t>(lead << 8 | t);
          taken[lead << 8 | t] = true;
        }
  };
  area(0xAA, 0xAF, 0xA1, 0xFE);
  area(0xF8, 0xFE, 0xA1, 0xFE);
  area(0xA1, 0xA7, 0x40, 0xA0);
  for (unsigned lead = 0x81; lead <= 0xFE && next <= 0xE864; ++lead)
    for (unsigned t = 0x40; t <= 0xFE && next <= 0xE864; ++t)
      if (is_trail(t) && !taken[lead << 8 | t]) table[next++] = static_cast<std::uint16_t>(lead << 8 | t);
  table[0xF8F5] = 0xFF;
}

// One iconv call per code point, once per process: 65,536 short
// conversions take a few tens of milliseconds.
std::unique_ptr<std::uint16_t[]> BuildTable() {
  auto table = std::make_unique<std::uint16_t[]>(0x10000);
  for (unsigned u = 0; u < 0x10000; ++u) table[u] = u < 0x80 ? static_cast<std::uint16_t>(u) : kNoGbkForm;
  IconvConverter converter("CP936", "UTF-16LE");
  if (!converter.valid()) return table;
  std::string out;
  for (unsigned u = 0x80; u < 0x10000; ++u) {
    if (u >= 0xD800 && u <= 0xDFFF) continue;
    const char in[2] = {static_cast<char>(u & 0xFF), static_cast<char>(u >> 8)};
    out.clear();
    if (converter.Run(std::string_view(in, 2), &out) != 2 || out.empty()) continue;
    auto b0 = static_cast<unsigned char>(out[0]);
    if (out.size() == 1) {
      table[u] = b0;
    } else if (out.size() == 2 && b0 >= 0x81) {
      table[u] = static_cast<std::uint16_t>(b0 << 8 | static_cast<unsigned char>(out[1]));
    }
  }
  AddUserDefinedArea(table.get());
  return table;
}

struct Composition {
  char16_t base;
  char16_t mark;
  char16_t composed;
};

constexpr char16_t kGrave = 0x0300, kAcute = 0x0301, kCircumflex = 0x0302, kMacron = 0x0304, kDiaeresis = 0x0308,
                   kCaron = 0x030C;

// The precomposed lower-case Latin letters of the pinyin row of code page
// 936, by base letter and mark.
constexpr Composition kCompositions[] = {
    {u'a', kMacron, u'ā'},     {u'a', kAcute, u'á'},     {u'a', kCaron, u'ǎ'},  {u'a', kGrave, u'à'},
    {u'e', kMacron, u'ē'},     {u'e', kAcute, u'é'},     {u'e', kCaron, u'ě'},  {u'e', kGrave, u'è'},
    {u'e', kCircumflex, u'ê'}, {u'i', kMacron, u'ī'},    {u'i', kAcute, u'í'},  {u'i', kCaron, u'ǐ'},
    {u'i', kGrave, u'ì'},      {u'o', kMacron, u'ō'},    {u'o', kAcute, u'ó'},  {u'o', kCaron, u'ǒ'},
    {u'o', kGrave, u'ò'},      {u'u', kMacron, u'ū'},    {u'u', kAcute, u'ú'},  {u'u', kCaron, u'ǔ'},
    {u'u', kGrave, u'ù'},      {u'u', kDiaeresis, u'ü'}, {u'ü', kMacron, u'ǖ'}, {u'ü', kAcute, u'ǘ'},
    {u'ü', kCaron, u'ǚ'},      {u'ü', kGrave, u'ǜ'},     {u'n', kAcute, u'ń'},  {u'n', kCaron, u'ň'},
    {u'n', kGrave, u'ǹ'},      {u'm', kAcute, u'ḿ'},
};

}  // namespace

const std::uint16_t* GbkTable() {
  static const std::unique_ptr<std::uint16_t[]> kTable = BuildTable();
  return kTable.get();
}

const char16_t* Utf16FromGbkTable() {
  static const std::unique_ptr<char16_t[]> kTable = [] {
    auto t = std::make_unique<char16_t[]>(0x10000);
    for (unsigned c = 0; c < 0x10000; ++c) t[c] = c < 0x80 ? static_cast<char16_t>(c) : u'\uFFFD';
    const std::uint16_t* forward = GbkTable();
    for (unsigned u = 0x80; u < 0x10000; ++u) {
      std::uint16_t code = forward[u];
      if (code != kNoGbkForm && code >= 0x80 && t[code] == u'\uFFFD') t[code] = static_cast<char16_t>(u);
    }
    return t;
  }();
  return kTable.get();
}

void AppendUtf16FromGbk(std::string_view gbk, std::u16string* out) {
  const char16_t* table = Utf16FromGbkTable();
  const std::size_t size = gbk.size();
  for (std::size_t i = 0; i < size; ++i) {
    auto b = static_cast<unsigned char>(gbk[i]);
    if (b < 0x80) {
      out->push_back(static_cast<char16_t>(b));
    } else if (b == 0x80 || b == 0xFF || i + 1 == size) {
      out->push_back(table[b]);
    } else {
      out->push_back(table[b << 8 | static_cast<unsigned char>(gbk[++i])]);
    }
  }
}

char16_t ComposeForGbk(char16_t base, char16_t mark) {
  for (const Composition& c : kCompositions) {
    if (c.base == base && c.mark == mark) return GbkTable()[c.composed] != kNoGbkForm ? c.composed : 0;
  }
  return 0;
}

}  // namespace qm

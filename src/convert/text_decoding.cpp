#include "convert/text_decoding.h"

#include "batch/utf8_to_gbk.h"
#include "runtime/encoding.h"

#include <algorithm>
#include <cctype>

namespace qm {
namespace {

// True when the bytes from `i` to the end are the beginning of a UTF-8
// sequence that the end of the data cut short.
bool IsCutSequence(std::string_view data, std::size_t i) {
  auto b = static_cast<unsigned char>(data[i]);
  std::size_t n = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : 2;
  if (b < 0xC2 || b > 0xF4 || data.size() - i >= n) return false;
  for (std::size_t k = i + 1; k < data.size(); ++k) {
    if ((static_cast<unsigned char>(data[k]) & 0xC0) != 0x80) return false;
  }
  return true;
}

bool IsUtf8WithMultiByteSequence(std::string_view data) {
  bool multi_byte = false;
  std::size_t i = 0;
  while (i < data.size()) {
    if (static_cast<unsigned char>(data[i]) < 0x80) {
      ++i;
      continue;
    }
    char32_t cp;
    std::size_t n = DecodeUtf8(data, i, &cp);
    if (n == 0) return IsCutSequence(data, i) && multi_byte;
    multi_byte = true;
    i += n;
  }
  return multi_byte;
}

// The UTF-16 code units after a two-byte mark, as little-endian units.
ByteSet Utf16Units(std::string_view data, bool big_endian) {
  std::string units(data.substr(2, (data.size() - 2) & ~std::size_t{1}));
  if (big_endian) {
    for (std::size_t k = 0; k + 1 < units.size(); k += 2) std::swap(units[k], units[k + 1]);
  }
  return ByteSet(std::move(units));
}

}  // namespace

TextEncoding DetectTextEncoding(std::string_view data) {
  if (data.starts_with("\xFF\xFE")) return TextEncoding::kUtf16Le;
  if (data.starts_with("\xFE\xFF")) return TextEncoding::kUtf16Be;
  if (data.starts_with("\xEF\xBB\xBF")) return TextEncoding::kUtf8Marked;
  return IsUtf8WithMultiByteSequence(data) ? TextEncoding::kUtf8 : TextEncoding::kGbk;
}

namespace {

// True when `charset` (lower case) names code page 936 or a charset it
// belongs to.
bool IsGbkCharset(std::string_view charset) {
  return charset == "gb2312" || charset == "gbk" || charset == "gb18030" || charset == "cp936" ||
         charset == "x-gbk" || charset == "windows-936";
}

// The charset a page declares: the name after its first "charset" and "="
// (ASCII case ignored, quotes and spaces skipped), in lower case; empty
// when there is none. Searched byte by byte, as the page's encoding is not
// known yet.
std::string DeclaredCharset(std::string_view page) {
  static constexpr std::string_view kWord = "charset";
  auto same = [](char a, char b) { return (a >= 'A' && a <= 'Z' ? a + 32 : a) == b; };
  auto at = std::search(page.begin(), page.end(), kWord.begin(), kWord.end(), same);
  if (at == page.end()) return {};
  std::size_t i = static_cast<std::size_t>(at - page.begin()) + kWord.size();
  while (i < page.size() && page[i] == ' ') ++i;
  if (i >= page.size() || page[i] != '=') return {};
  ++i;
  while (i < page.size() && (page[i] == ' ' || page[i] == '"' || page[i] == '\'')) ++i;
  std::string name;
  for (; i < page.size() && (std::isalnum(static_cast<unsigned char>(page[i])) || page[i] == '-' || page[i] == '_');
       ++i)
    name += static_cast<char>(std::tolower(static_cast<unsigned char>(page[i])));
  return name;
}

// `data` taken as written in `encoding`, in code page 936.
DecodedText DecodedAs(ByteSet data, TextEncoding encoding) {
  DecodedText text;
  text.encoding = encoding;
  std::string_view view = data.View();
  switch (text.encoding) {
    case TextEncoding::kGbk:
      text.gbk = std::move(data);
      break;
    case TextEncoding::kUtf8:
      text.gbk = ByteSet(Utf8ToGbkPageText(view));
      break;
    case TextEncoding::kUtf8Marked:
      text.gbk = ByteSet(Utf8ToGbkPageText(view.substr(3)));
      break;
    case TextEncoding::kUtf16Le:
    case TextEncoding::kUtf16Be:
      text.gbk = ByteSet(Utf16ToGbkText(Utf16Units(view, text.encoding == TextEncoding::kUtf16Be),
                                        Cp936Unmapped::kCharacterReference));
      break;
  }
  return text;
}

}  // namespace

DecodedText DecodeTextFile(ByteSet data) {
  const TextEncoding encoding = DetectTextEncoding(data.View());
  return DecodedAs(std::move(data), encoding);
}

DecodedText DecodePageFile(ByteSet data) {
  TextEncoding encoding = DetectTextEncoding(data.View());
  if (encoding == TextEncoding::kGbk || encoding == TextEncoding::kUtf8) {
    const std::string charset = DeclaredCharset(data.View());
    if (charset == "utf-8" || charset == "utf8") encoding = TextEncoding::kUtf8;
    else if (IsGbkCharset(charset)) encoding = TextEncoding::kGbk;
  }
  return DecodedAs(std::move(data), encoding);
}

}  // namespace qm

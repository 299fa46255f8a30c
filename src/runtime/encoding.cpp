#include "runtime/encoding.h"

#include "runtime/iconv_converter.h"

#include <algorithm>
#include <string>
#include <utility>

namespace qm {
namespace {

// Length of the GBK character at i, or 0 when the bytes there are no valid
// GBK character.
std::size_t GbkCharLength(std::string_view s, std::size_t i) {
  auto b = static_cast<unsigned char>(s[i]);
  if (b < 0x80) return 1;
  if (b == 0x80) return 1;  // the euro sign of code page 936
  if (b == 0xFF || i + 1 >= s.size()) return 0;
  auto t = static_cast<unsigned char>(s[i + 1]);
  if (t < 0x40 || t == 0x7F || t == 0xFF) return 0;
  return 2;
}

// Converts one character of UTF-8 (length n at i) to GBK; false when it has
// no GBK form that keeps the two-byte character rule.
bool CharToGbk(std::string_view utf8, std::size_t i, std::size_t n, std::string* out) {
  std::string tmp;
  if (GbkFromUtf8Converter().Run(utf8.substr(i, n), &tmp) != n || tmp.empty()) return false;
  // A one-byte form above 0x7F (the euro sign, 0x80) would be read as the
  // lead byte of a two-byte character and swallow the byte after it.
  if (tmp.size() == 1 && static_cast<unsigned char>(tmp[0]) >= 0x80) return false;
  out->append(tmp);
  return true;
}

// Walks a Text: `run(part)` for each stretch without name escapes, and
// `escape(at, native, length)` for each escape (NameEscapeAt's reading of
// the bytes at `at`), which returns how many bytes to go on after.
template <typename Run, typename Escape>
void ForEachRunAndEscape(std::string_view text, Run&& run, Escape&& escape) {
  std::size_t i = 0;
  std::size_t start = 0;  // of the run not yet passed on
  while (i < text.size()) {
    if (static_cast<unsigned char>(text[i]) != 0xFF) {
      i += CharWidthAt(text, i);
      continue;
    }
    if (i > start) run(text.substr(start, i - start));
    std::string_view native;
    std::size_t length = NameEscapeAt(text, i, &native);
    i += escape(i, native, length);
    start = i;
  }
  if (text.size() > start) run(text.substr(start));
}

}  // namespace

std::size_t NameEscapeAt(std::string_view path, std::size_t i, std::string_view* native) {
  if (i + 2 < path.size() && static_cast<unsigned char>(path[i + 1]) == 0xC0) {
    *native = path.substr(i + 2, 1);
    return std::min<std::size_t>(4, path.size() - i);
  }
  char32_t cp;
  std::size_t n = i + 1 < path.size() ? DecodeUtf8(path, i + 1, &cp) : 0;
  *native = path.substr(i + 1, n);
  if (n == 0) return 1;
  return std::min(1 + n + (n % 2 == 0 ? 1 : 0), path.size() - i);
}

namespace {

// UTF-8 to code page 936; each character that has no form (or byte that is
// not UTF-8) is handed to `replace`.
template <typename Replace>
Text GbkFromUtf8Replacing(std::string_view utf8, Replace replace) {
  std::string out;
  out.reserve(utf8.size());
  std::size_t i = 0;
  while (i < utf8.size()) {
    std::size_t used = GbkFromUtf8Converter().Run(utf8.substr(i), &out);
    i += used;
    if (i >= utf8.size()) break;
    char32_t cp;
    std::size_t n = DecodeUtf8(utf8, i, &cp);
    i += n ? n : 1;
    replace(n ? cp : char32_t{0xFFFD}, out);
  }
  return out;
}

}  // namespace

Text GbkFromUtf8(std::string_view utf8) {
  return GbkFromUtf8Replacing(utf8, [](char32_t, std::string& out) { out.push_back('?'); });
}

Text GbkFromUtf8WithReferences(std::string_view utf8) {
  return GbkFromUtf8Replacing(utf8, [](char32_t cp, std::string& out) { out += CharacterReference(cp); });
}

std::optional<std::string> Utf8FromCharset(std::string_view bytes, const std::string& charset) {
  IconvConverter from("UTF-8", charset.c_str());
  if (!from.valid()) return std::nullopt;
  std::string out;
  out.reserve(bytes.size() * 3 / 2);
  std::size_t i = 0;
  while (i < bytes.size()) {
    i += from.Run(bytes.substr(i), &out);
    if (i >= bytes.size()) break;
    out.append("\xEF\xBF\xBD");
    ++i;
  }
  return out;
}

bool IsGbkText(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    std::size_t n = GbkCharLength(text, i);
    if (n == 0) return false;
    i += n;
  }
  return true;
}

std::string WindowText(std::string_view text) {
  if (!HasNameEscape(text)) return Utf8FromGbk(text);
  std::string out;
  out.reserve(text.size() * 3 / 2);
  ForEachRunAndEscape(
      text, [&](std::string_view run) { out += Utf8FromGbk(run); },
      [&](std::size_t at, std::string_view native, std::size_t length) {
        if (native.size() > 1) {
          out.append(native);
          return length;
        }
        out.append("\xEF\xBF\xBD");
        // A stray byte's escape goes as a whole; a 0xFF that begins no
        // escape goes alone.
        const bool stray = length == 4 && static_cast<unsigned char>(text[at + 1]) == 0xC0;
        return stray ? length : std::size_t{1};
      });
  return out;
}

std::string Utf8FromGbk(std::string_view gbk) {
  std::string out;
  out.reserve(gbk.size() * 3 / 2);
  std::size_t i = 0;
  while (i < gbk.size()) {
    std::size_t used = Utf8FromGbkConverter().Run(gbk.substr(i), &out);
    i += used;
    if (i >= gbk.size()) break;
    out.append("\xEF\xBF\xBD");
    std::size_t n = GbkCharLength(gbk, i);
    i += n ? n : 1;
  }
  return out;
}

Text TextFromNativeName(std::string_view utf8) {
  Text out;
  out.reserve(utf8.size());
  std::size_t i = 0;
  while (i < utf8.size()) {
    auto b = static_cast<unsigned char>(utf8[i]);
    if (b < 0x80) {  // fast path for ASCII
      out.push_back(static_cast<char>(b));
      ++i;
      continue;
    }
    char32_t cp;
    std::size_t n = DecodeUtf8(utf8, i, &cp);
    if (n == 0) {
      out.append("\xFF\xC0");
      out.push_back(static_cast<char>(b));
      out.push_back('\xFF');
      ++i;
      continue;
    }
    if (!CharToGbk(utf8, i, n, &out)) {
      out.push_back('\xFF');
      out.append(utf8.substr(i, n));
      if (n % 2 == 0) out.push_back('\xFF');
    }
    i += n;
  }
  return out;
}

Text CharacterReference(char32_t cp, ReferenceForm form) {
  if (form == ReferenceForm::kDecimal) return "&#" + std::to_string(cp) + ";";
  static const char kHex[] = "0123456789ABCDEF";
  char digits[8];
  int count = 0;
  do {
    digits[count++] = kHex[cp & 0xF];
    cp >>= 4;
  } while (cp != 0 && count < 8);
  Text out = "&#x";
  while (count > 0) out.push_back(digits[--count]);
  out.push_back(';');
  return out;
}

Text WithDecimalReferences(std::string_view text) {
  Text out;
  std::size_t copied_to = 0;
  for (std::size_t i = text.find("&#x"); i != std::string_view::npos; i = text.find("&#x", i + 1)) {
    std::size_t end = text.find_first_not_of("0123456789abcdefABCDEF", i + 3);
    if (end == std::string_view::npos || text[end] != ';' || end == i + 3 || end - i - 3 > 6) continue;
    auto value = static_cast<char32_t>(std::stoul(std::string(text.substr(i + 3, end - i - 3)), nullptr, 16));
    out.append(text.substr(copied_to, i - copied_to));
    out += CharacterReference(value, ReferenceForm::kDecimal);
    copied_to = end + 1;
  }
  out.append(text.substr(copied_to));
  return out;
}

Text NameWithReferences(std::string_view text, ReferenceForm form) {
  if (!HasNameEscape(text)) return Text(text);
  Text out;
  out.reserve(text.size() + 8);
  std::size_t i = 0;
  while (i < text.size()) {
    std::size_t width = CharWidthAt(text, i);
    if (static_cast<unsigned char>(text[i]) != 0xFF) {
      out.append(text.substr(i, width));
      i += width;
      continue;
    }
    std::string_view native;
    std::size_t length = NameEscapeAt(text, i, &native);
    char32_t cp = 0xFFFD;  // a stray byte shows as the replacement character
    if (native.size() > 1) DecodeUtf8(native, 0, &cp);
    if (!native.empty()) out += CharacterReference(cp, form);
    i += length;
  }
  return out;
}

std::string NativeName(std::string_view path) {
  // ASCII is the same bytes in both, and most paths are ASCII throughout.
  if (std::all_of(path.begin(), path.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
    return std::string(path);
  std::string out;
  out.reserve(path.size() + path.size() / 2);
  ForEachRunAndEscape(
      path,
      [&](std::string_view part) {
        std::size_t k = 0;
        while (k < part.size()) {
          k += Utf8FromGbkConverter().Run(part.substr(k), &out);
          if (k >= part.size()) break;
          // A byte that is not GBK passes through unchanged.
          out.push_back(part[k]);
          ++k;
        }
      },
      [&](std::size_t, std::string_view native, std::size_t length) {
        out.append(native);  // a lone 0xFF stands for nothing
        return length;
      });
  return out;
}

bool HasNameEscape(std::string_view text) {
  for (std::size_t i = 0; i < text.size(); i += CharWidthAt(text, i)) {
    if (static_cast<unsigned char>(text[i]) == 0xFF) return true;
  }
  return false;
}

std::string BookNameOfNativeName(std::string_view native) {
  if (IsValidUtf8(native)) return std::string(native);
  std::string out;
  if (Utf8FromGbkConverter().Run(native, &out) != native.size()) return {};
  return out;
}

namespace {

// The references a contents file's attribute values hold for the
// characters that would end the attribute or be read as a reference.
constexpr std::pair<std::string_view, char> kAttributeReferences[] = {{"&quot;", '"'}, {"&amp;", '&'}};

// The character of the reference at `at`, or 0.
char AttributeReferenceAt(std::string_view text, std::size_t at, std::size_t* size) {
  for (const auto& [reference, c] : kAttributeReferences) {
    if (text.substr(at, reference.size()) == reference) {
      *size = reference.size();
      return c;
    }
  }
  return 0;
}

// True when the "&" at `at` could be read as the start of a character or
// entity reference: a letter or "#" follows it. Readers decode even a
// reference without its ";" ("&lt"), so the ";" is not looked for.
bool StartsReference(std::string_view text, std::size_t at) {
  if (at + 1 >= text.size()) return false;
  const char next = text[at + 1];
  return next == '#' || (next >= 'A' && next <= 'Z') || (next >= 'a' && next <= 'z');
}

}  // namespace

Text QuotedAttributeText(std::string_view text) {
  Text out;
  AppendQuotedAttributeText(out, text);
  return out;
}

void AppendQuotedAttributeText(Text& out, std::string_view text) {
  out.reserve(out.size() + text.size());
  std::size_t kept = 0;  // start of the stretch not yet copied
  for (std::size_t i = text.find_first_of("&\""); i != std::string_view::npos; i = text.find_first_of("&\"", i + 1)) {
    // Neither byte is ever the second byte of a two-byte character.
    const bool quote = text[i] == '"';
    if (!quote && !StartsReference(text, i)) continue;
    out.append(text, kept, i - kept);
    out += quote ? "&quot;" : "&amp;";
    kept = i + 1;
  }
  out.append(text, kept);
}

Text AttributeValueText(std::string_view value) {
  Text out;
  out.reserve(value.size());
  for (std::size_t i = 0; i < value.size();) {
    std::size_t size = 0;
    const char c = value[i] == '&' ? AttributeReferenceAt(value, i, &size) : '\0';
    if (c) {
      out += c;
      i += size;
    } else {
      out += value[i++];
    }
  }
  return out;
}

}  // namespace qm

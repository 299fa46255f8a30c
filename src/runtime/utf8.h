#pragma once
// The one UTF-8 decoder and encoder. Well-formed UTF-8 here is what Unicode
// calls so: no overlong forms, no encoded surrogates, nothing past U+10FFFF.

#include <cstddef>
#include <string>
#include <string_view>

namespace qm {

/// One UTF-8 sequence read from a text.
struct Utf8Sequence {
  char32_t cp;         // the code point; U+FFFD when the sequence is ill-formed
  std::size_t length;  // its bytes, at least 1
  bool valid;          // well-formed
};

/// The sequence that starts at `p[i]` (i < len). An ill-formed sequence is
/// as long as its maximal part that could begin a well-formed one (a stray
/// byte alone, a sequence cut short up to where it went wrong), so that
/// replacing each with one U+FFFD follows Unicode's recommended practice.
[[gnu::always_inline]] inline Utf8Sequence Utf8SequenceAt(const unsigned char* p, std::size_t len, std::size_t i) {
  const unsigned char b = p[i];
  if (b < 0x80) return {b, 1, true};
  // The common case of Chinese text: a complete three-byte sequence whose
  // lead byte allows any continuation bytes.
  if (b >= 0xE1 && b != 0xED && b <= 0xEF && i + 2 < len && (p[i + 1] & 0xC0) == 0x80 && (p[i + 2] & 0xC0) == 0x80)
    return {static_cast<char32_t>((b & 0x0F) << 12 | (p[i + 1] & 0x3F) << 6 | (p[i + 2] & 0x3F)), 3, true};
  // Length of the sequence and the allowed range of its second byte
  // (which excludes overlong forms, surrogates and values past U+10FFFF).
  std::size_t n;
  unsigned char lo = 0x80, hi = 0xBF;
  if (b >= 0xC2 && b <= 0xDF) {
    n = 2;
  } else if (b >= 0xE0 && b <= 0xEF) {
    n = 3;
    if (b == 0xE0) lo = 0xA0;
    if (b == 0xED) hi = 0x9F;
  } else if (b >= 0xF0 && b <= 0xF4) {
    n = 4;
    if (b == 0xF0) lo = 0x90;
    if (b == 0xF4) hi = 0x8F;
  } else {
    return {0xFFFD, 1, false};
  }
  char32_t cp = b & (0x7F >> n);
  std::size_t k = 1;
  if (i + 1 < len && p[i + 1] >= lo && p[i + 1] <= hi) {
    cp = cp << 6 | (p[i + 1] & 0x3F);
    k = 2;
    while (k < n && i + k < len && (p[i + k] & 0xC0) == 0x80) {
      cp = cp << 6 | (p[i + k] & 0x3F);
      ++k;
    }
  }
  if (k < n) return {0xFFFD, k, false};
  return {cp, n, true};
}

/// Decodes one UTF-8 sequence at `s[i]`; returns its length and stores the
/// code point, or returns 0 (and stores nothing) when it is ill-formed.
inline std::size_t DecodeUtf8(std::string_view s, std::size_t i, char32_t* cp) {
  const Utf8Sequence seq = Utf8SequenceAt(reinterpret_cast<const unsigned char*>(s.data()), s.size(), i);
  if (!seq.valid) return 0;
  *cp = seq.cp;
  return seq.length;
}

/// True when `s` is well-formed UTF-8 throughout (the empty text is).
bool IsValidUtf8(std::string_view s);

/// The UTF-8 bytes of the code point `cp` (at most U+10FFFF).
std::string Utf8OfCodePoint(char32_t cp);

}  // namespace qm

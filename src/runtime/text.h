#pragma once
// Text: an 8-bit string in code page 936 (GBK), owned by value. Lengths are
// byte counts and positions are 1-based byte positions. A byte of 0x80 or
// above starts a two-byte character: every scan below steps over such a pair
// as one character and never reports a match that begins on its second byte.
// No function changes its arguments; each returns a new value.

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

using Text = std::string;

/// Number of bytes in `text`.
inline long TextLength(std::string_view text) { return static_cast<long>(text.size()); }

/// The first min(n, length) bytes; n <= 0 gives the empty text.
Text TextLeft(std::string_view text, long n);

/// The last min(n, length) bytes; n <= 0 gives the empty text.
Text TextRight(std::string_view text, long n);

/// Up to `count` bytes from the 1-based `start`, clipped at the end. A start
/// outside 1..length or count <= 0 gives the empty text.
Text TextMiddle(std::string_view text, long start, long count);

/// Length in bytes of the character that begins at byte `i` (0-based): 2 for
/// a lead byte (>= 0x80) followed by another byte, else 1.
inline std::size_t CharWidthAt(std::string_view text, std::size_t i) {
  return (static_cast<unsigned char>(text[i]) >= 0x80 && i + 1 < text.size()) ? 2 : 1;
}

/// How many bytes of 0x80 or above come right before byte `at`, counting
/// back no further than `origin`. When `origin` begins a character, `at`
/// begins one exactly when the count is even: such bytes pair up from the
/// last byte below 0x80.
inline std::size_t HighRunBefore(std::string_view text, std::size_t origin, std::size_t at) {
  std::size_t j = at;
  // Eight bytes at a time: Chinese text has long runs of two-byte
  // characters.
  constexpr std::uint64_t kTops = 0x8080808080808080ull;
  while (j - origin >= 8) {
    std::uint64_t x;
    std::memcpy(&x, text.data() + j - 8, 8);
    const std::uint64_t low = ~x & kTops;  // the top bit of each byte below 0x80
    if (low != 0) return at - (j - 8 + (static_cast<std::size_t>(63 - __builtin_clzll(low)) >> 3) + 1);
    j -= 8;
  }
  while (j > origin && static_cast<unsigned char>(text[j - 1]) >= 0x80) --j;
  return at - j;
}

/// 1-based position of the first occurrence of `sub` that begins at or after
/// `start`, scanning character by character; -1 when there is none. An empty
/// `sub` gives 1 when the searched part is non-empty, else -1. With
/// `ignore_case`, ASCII letters compare without regard to case.
long FindText(std::string_view text, std::string_view sub, long start = 1, bool ignore_case = false);

/// 1-based position of the last occurrence of `sub`, scanning character by
/// character. With `limit` > 0 only occurrences lying wholly within the first
/// limit - 1 bytes count; an empty `sub` gives the last character start
/// of that part. -1 when there is none.
long FindTextBackwards(std::string_view text, std::string_view sub, long limit = 0, bool ignore_case = false);

/// Replaces occurrences of `find` by `replacement`, scanning character by
/// character from the 1-based `start`; after `count` replacements (count < 0:
/// all) the rest is copied unchanged. With `case_sensitive` false, ASCII
/// letters match without regard to case. An empty text or an empty `find`
/// gives the text unchanged.
Text ReplaceSubtext(std::string_view text, std::string_view find, std::string_view replacement = {}, long start = 1,
                    long count = -1, bool case_sensitive = true);

/// Replaces occurrences of any of `finds` by `replacement` in one scan,
/// character by character from the start: at each character, the first of
/// `finds` that matches there is replaced, and the scan goes on after it.
/// With `case_sensitive` false, ASCII letters match without regard to
/// case. Empty `finds` never match.
Text ReplaceEachSubtext(std::string_view text, std::initializer_list<std::string_view> finds,
                        std::string_view replacement, bool case_sensitive = true);

/// The pieces between separators, found character by character. Empty pieces
/// between two separators or before a leading separator count; the piece
/// after the last separator is added only when non-empty. With max_count > 0
/// splitting stops after that many pieces and the rest is dropped. An empty
/// separator gives the whole text as one piece; an empty text gives none.
std::vector<Text> SplitText(std::string_view text, std::string_view separator = ",", long max_count = -1);

/// Calls `piece` with each piece that SplitText(text, separator) gives, in
/// order, as views into `text`, without copying them.
template <typename PieceFunction>
void ForEachTextPiece(std::string_view text, std::string_view separator, PieceFunction&& piece);

/// The text without its trailing run of spaces: ASCII 0x20 and the
/// full-width space 0xA1 0xA1.
Text TrimTrailingSpaces(std::string_view text);

/// An integer as its decimal digits.
Text ToText(long long value);

/// The byte `c` with an ASCII capital letter lower-cased; any other byte as
/// it is. Every ASCII case-folding of the program is built on this one.
constexpr char AsciiLowerByte(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c; }

/// True for an ASCII letter or digit (whatever the locale says).
constexpr bool IsAsciiAlnum(char c) {
  return (c >= '0' && c <= '9') || (AsciiLowerByte(c) >= 'a' && AsciiLowerByte(c) <= 'z');
}

/// The byte `c` with an ASCII small letter upper-cased; any other byte as
/// it is.
constexpr char AsciiUpperByte(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - ('a' - 'A')) : c; }

/// ASCII-only lower-casing of a GBK text (two-byte characters are left as
/// they are, their second bytes included).
Text AsciiLower(std::string_view text);

/// Every byte lower-cased with AsciiLowerByte, for names that are not GBK
/// texts (UTF-8 names, names stored in a book).
std::string AsciiLowerBytes(std::string_view bytes);

/// True when `a` and `b` are the same bytes once each is lower-cased with
/// AsciiLowerByte.
bool EqualsNoCase(std::string_view a, std::string_view b);

/// True when `text` ends with `suffix` and the suffix begins on a character
/// of `text`, not on the second byte of a two-byte character: "乗" (0x81
/// 0x5C) does not end with "\".
bool EndsWithCharacters(std::string_view text, std::string_view suffix);

/// True when `text` ends with `suffix` (byte-exact).
inline bool EndsWith(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

/// The byte offset of the next match of `separator` (case-sensitive) at a
/// character start at or after `i`, a character start; npos when none.
std::size_t NextSeparator(std::string_view text, std::string_view separator, std::size_t i);

template <typename PieceFunction>
void ForEachTextPiece(std::string_view text, std::string_view separator, PieceFunction&& piece) {
  if (text.empty()) return;
  if (separator.empty()) {
    piece(text);
    return;
  }
  std::size_t piece_start = 0;
  for (std::size_t at; (at = NextSeparator(text, separator, piece_start)) != std::string_view::npos;) {
    piece(text.substr(piece_start, at - piece_start));
    piece_start = at + separator.size();
  }
  if (piece_start < text.size()) piece(text.substr(piece_start));
}

/// `text` with every "%" followed by two hexadecimal digits replaced by the
/// byte they spell (URL percent-decoding); any other "%" stays as it is.
std::string PercentDecoded(std::string_view text);

}  // namespace qm

#include "core/utf8_to_gbk.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "core/gbk_table.h"
#include "runtime/encoding.h"
#include "runtime/utf8.h"

namespace qm {
namespace {

constexpr char16_t kReplacement = 0xFFFD;

inline void PutUnit(char*& out, char16_t u) {
  *out++ = static_cast<char>(u & 0xFF);
  *out++ = static_cast<char>(u >> 8);
}

inline char16_t UnitAt(std::string_view w, std::size_t k) {
  return static_cast<char16_t>(static_cast<unsigned char>(w[2 * k]) | static_cast<unsigned char>(w[2 * k + 1]) << 8);
}

// Decodes the sequence at p[i] and moves i past it. Each maximal part of an
// ill-formed sequence counts as one U+FFFD.
[[gnu::always_inline]] inline char32_t DecodeOne(const unsigned char* p, std::size_t len, std::size_t& i) {
  const Utf8Sequence seq = Utf8SequenceAt(p, len, i);
  i += seq.length;
  return seq.cp;
}

// Whether the eight bytes at p are ASCII and none of them is zero.
inline bool EightPlainAsciiBytes(const unsigned char* p) {
  std::uint64_t block;
  std::memcpy(&block, p, 8);
  constexpr std::uint64_t kOnes = 0x0101010101010101ULL, kHighs = 0x8080808080808080ULL;
  return ((block | ((block - kOnes) & ~block)) & kHighs) == 0;
}

ByteSet DecodeToUtf16(std::string_view s) {
  // At most one code unit per input byte.
  std::string w(2 * s.size(), '\0');
  char* out = w.data();
  const auto* p = reinterpret_cast<const unsigned char*>(s.data());
  std::size_t len = s.size();
  std::size_t i = 0;
  while (i < len) {
    // Runs of ASCII, eight bytes at a time.
    while (i + 8 <= len) {
      std::uint64_t block;
      std::memcpy(&block, p + i, 8);
      if (block & 0x8080808080808080ULL) break;
      for (int k = 0; k < 8; ++k) PutUnit(out, p[i + k]);
      i += 8;
    }
    if (i >= len) break;
    char32_t cp = DecodeOne(p, len, i);
    if (cp >= 0x10000) {
      cp -= 0x10000;
      PutUnit(out, static_cast<char16_t>(0xD800 | (cp >> 10)));
      PutUnit(out, static_cast<char16_t>(0xDC00 | (cp & 0x3FF)));
    } else {
      PutUnit(out, static_cast<char16_t>(cp));
    }
  }
  w.resize(static_cast<std::size_t>(out - w.data()));
  return ByteSet(std::move(w));
}

inline bool IsCombiningMark(char16_t u) { return u >= 0x0300 && u <= 0x036F; }

// Writes a character's code page 936 bytes (a GbkTable entry), or "?".
inline void PutGbk(char*& out, std::uint16_t code) {
  if (code < 0x100) {
    *out++ = static_cast<char>(code);
  } else if (code != kNoGbkForm) {
    *out++ = static_cast<char>(code >> 8);
    *out++ = static_cast<char>(code & 0xFF);
  } else {
    *out++ = '?';
  }
}

}  // namespace

ByteSet Utf16FromUtf8(const ByteSet& data) { return DecodeToUtf16(data.View()); }

Text GbkTextFromUtf16(const ByteSet& utf16, GbkUnmapped unmapped) {
  const std::uint16_t* table = GbkTable();
  const bool references = unmapped == GbkUnmapped::kCharacterReference;
  std::string_view w = utf16.View();
  std::size_t n = w.size() / 2;
  Text out(2 * n, '\0');  // at most two bytes per code unit, but for references
  char* o = out.data();
  // Writes the reference of `cp`, making room for it first.
  auto put_reference = [&](char32_t cp) {
    Text reference = CharacterReference(cp);
    std::size_t used = static_cast<std::size_t>(o - out.data());
    if (out.size() - used < reference.size() + 2 * n) {
      out.resize(2 * out.size() + reference.size());
      o = out.data() + used;
    }
    o = std::copy(reference.begin(), reference.end(), o);
  };
  char16_t next = n > 0 ? UnitAt(w, 0) : 0;
  for (std::size_t k = 0; k < n; ++k) {
    char16_t u = next;
    next = k + 1 < n ? UnitAt(w, k + 1) : 0;
    if (u == 0 && !references) break;
    if (u >= 0xD800 && u <= 0xDFFF) {
      // A character outside the Basic Multilingual Plane (code page 936
      // has none) or a lone surrogate.
      char32_t cp = kReplacement;
      if (u <= 0xDBFF && next >= 0xDC00 && next <= 0xDFFF) {
        cp = 0x10000 + ((u - 0xD800) << 10) + (next - 0xDC00);
        ++k;
        next = k + 1 < n ? UnitAt(w, k + 1) : 0;
      }
      if (references) {
        put_reference(cp);
      } else {
        *o++ = '?';
      }
      continue;
    }
    while (IsCombiningMark(next)) {
      char16_t composed = ComposeForGbk(u, next);
      if (!composed) break;
      u = composed;
      ++k;
      next = k + 1 < n ? UnitAt(w, k + 1) : 0;
    }
    std::uint16_t code = table[u];
    if (code == kNoGbkForm && references) {
      put_reference(u);
    } else {
      PutGbk(o, code);
    }
  }
  out.resize(static_cast<std::size_t>(o - out.data()));
  return out;
}

namespace {

// A character that starts at least this many bytes before the end of the
// bytes at hand converts as it would within the whole text: a sequence
// takes at most four bytes, and a letter looks at up to three two-byte
// marks after it (two that fold into it, as u, ü, ǖ, and the one that ends
// the folding).
constexpr std::size_t kLookahead = 16;

// One pass from UTF-8 to code page 936, with the same results as
// GbkTextFromUtf16(Utf16FromUtf8(data)): a character above U+FFFF (a surrogate
// pair) as one "?", the end at the first U+0000, and a combining mark
// folded into the character before it where code page 936 has the
// composed letter. The marks U+0300 to U+036F take two bytes in UTF-8, the
// first 0xCC or 0xCD, so only such a byte calls for a look at what
// follows. Converts the characters of p[0, len) that start before `limit`
// and writes their bytes at `o`, never more than it reads (a character of
// one byte stays one byte, longer ones become two bytes at most). Returns
// where it stopped; `ended` becomes true at a U+0000.
std::size_t ConvertGbkFromUtf8(const unsigned char* p, std::size_t len, std::size_t limit, char*& o, bool& ended) {
  const std::uint16_t* table = GbkTable();
  auto mark_may_follow = [p, len](std::size_t i) { return i < len && (p[i] == 0xCC || p[i] == 0xCD); };
  std::size_t i = 0;
  while (i < limit) {
    // Runs of ASCII, eight bytes at a time, when no mark follows them.
    while (i + 8 <= limit && EightPlainAsciiBytes(p + i) && !mark_may_follow(i + 8)) {
      std::memcpy(o, p + i, 8);
      o += 8;
      i += 8;
    }
    // Runs of three-byte characters (the Chinese ones) with a two-byte
    // form. No mark folds into such a character, so none is looked for.
    while (i < limit && i + 2 < len && p[i] >= 0xE1 && p[i] <= 0xEF && p[i] != 0xED && (p[i + 1] & 0xC0) == 0x80 &&
           (p[i + 2] & 0xC0) == 0x80) {
      std::uint16_t code = table[(p[i] & 0x0F) << 12 | (p[i + 1] & 0x3F) << 6 | (p[i + 2] & 0x3F)];
      if (code < 0x100 || code == kNoGbkForm) break;
      o[0] = static_cast<char>(code >> 8);
      o[1] = static_cast<char>(code & 0xFF);
      o += 2;
      i += 3;
    }
    if (i >= limit) break;
    char32_t cp = DecodeOne(p, len, i);
    if (cp == 0) {
      ended = true;
      break;
    }
    if (cp >= 0x10000) {
      *o++ = '?';
      continue;
    }
    while (mark_may_follow(i)) {
      std::size_t after = i;
      char32_t mark = DecodeOne(p, len, after);
      if (!IsCombiningMark(static_cast<char16_t>(mark)) || mark >= 0x10000) break;
      char16_t composed = ComposeForGbk(static_cast<char16_t>(cp), static_cast<char16_t>(mark));
      if (!composed) break;
      cp = composed;
      i = after;
    }
    PutGbk(o, table[cp]);
  }
  return i;
}

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

}  // namespace

Text GbkTextFromUtf8(const ByteSet& data) {
  std::string_view s = data.View();
  if (s.starts_with(kByteOrderMark)) s.remove_prefix(kByteOrderMark.size());
  Text out(s.size(), '\0');
  char* o = out.data();
  bool ended = false;
  ConvertGbkFromUtf8(reinterpret_cast<const unsigned char*>(s.data()), s.size(), s.size(), o, ended);
  out.resize(static_cast<std::size_t>(o - out.data()));
  return out;
}

void GbkTextFromUtf8Pieces::Add(std::string_view piece, Text* out) {
  if (ended_) return;
  held_.append(piece);
  Convert(held_.size() > kLookahead ? held_.size() - kLookahead : 0, false, out);
}

void GbkTextFromUtf8Pieces::Finish(Text* out) {
  if (!ended_) Convert(held_.size(), true, out);
  held_.clear();
}

void GbkTextFromUtf8Pieces::Convert(std::size_t limit, bool finishing, Text* out) {
  std::size_t start = 0;
  if (!begun_) {
    // The byte-order mark is looked for once the first three bytes are in.
    if (held_.size() < kByteOrderMark.size() && !finishing) return;
    if (std::string_view(held_).starts_with(kByteOrderMark)) start = kByteOrderMark.size();
    begun_ = true;
  }
  if (limit <= start) {
    held_.erase(0, start);
    return;
  }
  std::size_t used = out->size();
  out->resize(used + held_.size() - start);
  char* o = out->data() + used;
  std::size_t done = start + ConvertGbkFromUtf8(reinterpret_cast<const unsigned char*>(held_.data()) + start,
                                                held_.size() - start, limit - start, o, ended_);
  out->resize(static_cast<std::size_t>(o - out->data()));
  held_.erase(0, ended_ ? held_.size() : done);
}

Text GbkPageTextFromUtf8(std::string_view data) {
  return GbkTextFromUtf16(DecodeToUtf16(data), GbkUnmapped::kCharacterReference);
}

}  // namespace qm

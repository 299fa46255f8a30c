#include "runtime/text.h"

#include <algorithm>
#include <cstring>

namespace qm {
namespace {

inline unsigned char Lower(unsigned char c) { return static_cast<unsigned char>(AsciiLowerByte(static_cast<char>(c))); }

// Whether `sub` matches `text` at byte offset `i`.
inline bool MatchesAt(std::string_view text, std::size_t i, std::string_view sub, bool ignore_case) {
  if (i + sub.size() > text.size()) return false;
  if (!ignore_case) return std::memcmp(text.data() + i, sub.data(), sub.size()) == 0;
  for (std::size_t k = 0; k < sub.size(); ++k) {
    auto a = static_cast<unsigned char>(text[i + k]);
    if (a >= 0x80) {
      // A two-byte character compares exactly: its second byte may look
      // like an ASCII letter but is not one.
      if (text[i + k] != sub[k]) return false;
      if (k + 1 < sub.size() && i + k + 1 < text.size()) {
        ++k;
        if (text[i + k] != sub[k]) return false;
      }
      continue;
    }
    if (Lower(a) != Lower(static_cast<unsigned char>(sub[k]))) return false;
  }
  return true;
}

// The byte offset of the next character start at or after `from` when the
// scan starts at `origin` (which is itself a character start). The byte
// after one below 0x80 always starts a character (that byte is a whole
// character or the second byte of one), so only the run of bytes of 0x80
// or above just before `from` decides: an odd run ends with a first byte.
inline std::size_t AlignToCharacter(std::string_view text, std::size_t origin, std::size_t from) {
  if (from <= origin) return origin;
  return HighRunBefore(text, origin, from) % 2 == 1 && from < text.size() ? from + 1 : from;
}

// The first offset at or after `i` whose byte can begin a match of a text
// that begins with `first` (in either case of an ASCII letter when
// `ignore_case`), or npos.
class FirstByteFinder {
 public:
  FirstByteFinder(std::string_view text, char first, bool ignore_case = true) : text_(text) {
    auto c = static_cast<unsigned char>(first);
    a_ = ignore_case ? static_cast<char>(Lower(c)) : first;
    b_ = !ignore_case ? first : AsciiUpperByte(a_);
  }
  std::size_t Next(std::size_t i) {
    if (!known_ || next_a_ < i) next_a_ = Find(a_, i);
    if (a_ != b_ && (!known_ || next_b_ < i)) next_b_ = Find(b_, i);
    known_ = true;
    if (a_ == b_) return next_a_;
    return std::min(next_a_, next_b_);
  }

 private:
  std::size_t Find(char c, std::size_t i) const {
    if (i >= text_.size()) return std::string_view::npos;
    const void* hit = std::memchr(text_.data() + i, c, text_.size() - i);
    return hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - text_.data()) : std::string_view::npos;
  }
  std::string_view text_;
  char a_, b_;
  std::size_t next_a_ = 0, next_b_ = 0;
  bool known_ = false;
};

}  // namespace

Text TextLeft(std::string_view text, long n) {
  if (n <= 0) return {};
  return Text(text.substr(0, static_cast<std::size_t>(n)));
}

Text TextRight(std::string_view text, long n) {
  if (n <= 0) return {};
  std::size_t k = std::min(static_cast<std::size_t>(n), text.size());
  return Text(text.substr(text.size() - k));
}

Text TextMiddle(std::string_view text, long start, long count) {
  if (start < 1 || start > TextLength(text) || count <= 0) return {};
  return Text(text.substr(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(count)));
}

long FindText(std::string_view text, std::string_view sub, long start, bool ignore_case) {
  if (start < 1) start = 1;
  if (start > TextLength(text)) return -1;
  // The scan steps character by character from the start position, so a
  // start inside a two-byte character begins a new character there.
  std::size_t i = static_cast<std::size_t>(start - 1);
  if (sub.empty()) return 1;
  if (!ignore_case) {
    // Fast path: memmem finds candidates; a candidate that starts on a
    // second byte is stepped past by re-aligning to the character grid.
    while (i < text.size()) {
      const void* hit = memmem(text.data() + i, text.size() - i, sub.data(), sub.size());
      if (!hit) return -1;
      std::size_t at = static_cast<std::size_t>(static_cast<const char*>(hit) - text.data());
      std::size_t aligned = AlignToCharacter(text, i, at);
      if (aligned == at) return static_cast<long>(at) + 1;
      i = aligned;
    }
    return -1;
  }
  // Candidates are the places of the first byte in either case; each is
  // aligned to the character grid before it is compared.
  FirstByteFinder finder(text, sub[0]);
  while (i < text.size()) {
    std::size_t at = finder.Next(i);
    if (at == std::string_view::npos) return -1;
    std::size_t aligned = AlignToCharacter(text, i, at);
    if (aligned != at) {
      i = aligned;
      continue;
    }
    if (MatchesAt(text, at, sub, true)) return static_cast<long>(at) + 1;
    i = at + CharWidthAt(text, at);
  }
  return -1;
}

long FindTextBackwards(std::string_view text, std::string_view sub, long limit, bool ignore_case) {
  std::size_t end = text.size();
  if (limit > 0) end = std::min(end, static_cast<std::size_t>(limit - 1));
  // An empty sub matches at every character start, so it too ends on the
  // last character start before `end`, never on a second byte.
  long last = -1;
  for (std::size_t i = 0; i < end; i += CharWidthAt(text, i)) {
    if (i + sub.size() <= end && MatchesAt(text, i, sub, ignore_case)) last = static_cast<long>(i) + 1;
  }
  return last;
}

Text ReplaceSubtext(std::string_view text, std::string_view find, std::string_view replacement, long start, long count,
                    bool case_sensitive) {
  if (text.empty() || find.empty()) return Text(text);
  if (start < 1) start = 1;
  if (start > TextLength(text) || count == 0) return Text(text);
  Text out;
  out.reserve(text.size());
  std::size_t i = static_cast<std::size_t>(start - 1);
  out.append(text.substr(0, i));
  std::size_t copied_to = i;  // bytes [copied_to, i) are pending a copy
  long done = 0;
  FirstByteFinder first_byte(text, find[0], !case_sensitive);
  while (i < text.size()) {
    if (MatchesAt(text, i, find, !case_sensitive)) {
      out.append(text.substr(copied_to, i - copied_to));
      out.append(replacement);
      i += find.size();
      copied_to = i;
      if (count > 0 && ++done >= count) break;
      continue;
    }
    // Jump to the next place of the first byte, then re-align to the grid.
    std::size_t at = first_byte.Next(i + 1);
    if (at == std::string_view::npos) break;
    i = AlignToCharacter(text, i, at);
  }
  out.append(text.substr(copied_to));
  return out;
}

Text ReplaceEachSubtext(std::string_view text, std::initializer_list<std::string_view> finds,
                        std::string_view replacement, bool case_sensitive) {
  Text out;
  out.reserve(text.size());
  // When every find begins with the same byte, only its places are looked
  // at, each aligned to the character grid first; else every character is.
  auto first_of = [&](std::string_view f) {
    const auto c = static_cast<unsigned char>(f[0]);
    return case_sensitive ? c : Lower(c);
  };
  bool one_first_byte = finds.size() > 0 && !finds.begin()->empty();
  for (std::string_view f : finds)
    one_first_byte = one_first_byte && !f.empty() && first_of(f) == first_of(*finds.begin());
  FirstByteFinder first_byte(text, one_first_byte ? finds.begin()->at(0) : '\0', !case_sensitive);
  std::size_t i = 0, copied_to = 0;  // bytes [copied_to, i) are pending a copy
  while (i < text.size()) {
    std::size_t at = i;
    if (one_first_byte) {
      at = first_byte.Next(i);
      if (at == std::string_view::npos) break;
      const std::size_t aligned = AlignToCharacter(text, i, at);
      if (aligned != at) {
        i = aligned;
        continue;
      }
    }
    const std::string_view* match = nullptr;
    for (const std::string_view& f : finds) {
      // A second ASCII byte is compared here first: most candidates differ there.
      if (f.size() > 1 && at + 1 < text.size() && static_cast<unsigned char>(f[1]) < 0x80 &&
          (case_sensitive ? text[at + 1] != f[1]
                          : Lower(static_cast<unsigned char>(text[at + 1])) != Lower(static_cast<unsigned char>(f[1]))))
        continue;
      if (!f.empty() && MatchesAt(text, at, f, !case_sensitive)) {
        match = &f;
        break;
      }
    }
    if (!match) {
      i = at + CharWidthAt(text, at);
      continue;
    }
    out.append(text.substr(copied_to, at - copied_to));
    out.append(replacement);
    i = copied_to = at + match->size();
  }
  out.append(text.substr(copied_to));
  return out;
}

std::size_t NextSeparator(std::string_view text, std::string_view separator, std::size_t i) {
  // Candidates are the places of the separator's first byte.
  while (i < text.size()) {
    const void* hit = std::memchr(text.data() + i, separator[0], text.size() - i);
    if (!hit) break;
    std::size_t at = static_cast<std::size_t>(static_cast<const char*>(hit) - text.data());
    std::size_t aligned = AlignToCharacter(text, i, at);
    if (aligned == at && MatchesAt(text, at, separator, false)) return at;
    i = aligned == at ? at + CharWidthAt(text, at) : aligned;
  }
  return std::string_view::npos;
}

std::vector<Text> SplitText(std::string_view text, std::string_view separator, long max_count) {
  std::vector<Text> pieces;
  ForEachTextPiece(text, separator, [&pieces, max_count](std::string_view piece) {
    if (max_count <= 0 || static_cast<long>(pieces.size()) < max_count) pieces.emplace_back(piece);
  });
  return pieces;
}

Text TrimTrailingSpaces(std::string_view text) {
  // From the end backwards. Characters start right after any byte below
  // 0x80, so a run of bytes of 0x80 or above holds whole two-byte
  // characters from its start on (a lone first byte can only be the last
  // byte of the text); a byte below 0x80 starts a character unless an odd
  // run of such bytes stands right before it.
  auto high = [&text](std::size_t i) { return static_cast<unsigned char>(text[i]) >= 0x80; };
  auto run_start = [&](std::size_t end) {
    while (end > 0 && high(end - 1)) --end;
    return end;
  };
  std::size_t end = text.size();
  while (end > 0) {
    if (high(end - 1)) {
      const std::size_t run = run_start(end);
      while ((end - run) % 2 == 0 && end - run >= 2 && static_cast<unsigned char>(text[end - 2]) == 0xA1 &&
             static_cast<unsigned char>(text[end - 1]) == 0xA1) {
        end -= 2;  // a full-width space
      }
      if (end != run) break;
    } else {
      if (text[end - 1] != ' ' || (end - 1 - run_start(end - 1)) % 2 == 1) break;
      --end;
    }
  }
  return Text(text.substr(0, end));
}

Text ToText(long long value) { return std::to_string(value); }

Text AsciiLower(std::string_view text) {
  Text out(text);
  for (std::size_t i = 0; i < out.size(); i += CharWidthAt(out, i)) {
    out[i] = static_cast<char>(Lower(static_cast<unsigned char>(out[i])));
  }
  return out;
}

std::string AsciiLowerBytes(std::string_view bytes) {
  std::string out(bytes);
  for (char& c : out) c = AsciiLowerByte(c);
  return out;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [](char x, char y) { return AsciiLowerByte(x) == AsciiLowerByte(y); });
}

bool EndsWithCharacters(std::string_view text, std::string_view suffix) {
  if (!EndsWith(text, suffix)) return false;
  const std::size_t at = text.size() - suffix.size();
  std::size_t i = 0;
  while (i < at) i += CharWidthAt(text, i);
  return i == at;
}

namespace {
int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}
}  // namespace

std::string PercentDecoded(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    int hi, lo;
    if (text[i] == '%' && i + 2 < text.size() && (hi = HexDigitValue(text[i + 1])) >= 0 &&
        (lo = HexDigitValue(text[i + 2])) >= 0) {
      out += static_cast<char>(hi * 16 + lo);
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

}  // namespace qm

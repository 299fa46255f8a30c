#include "batch/text_between_markers.h"

#include <algorithm>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace qm {
namespace {

constexpr std::size_t kNone = std::string_view::npos;

// A byte a marker's byte matches: itself, and an ASCII letter in the other
// case too (a looser test than the marker match, never a stricter one).
struct ByteTest {
  explicit ByteTest(char c) : a(c), b(AsciiLowerByte(c) != c ? AsciiLowerByte(c) : AsciiUpperByte(c)) {}
  bool operator()(char c) const { return c == a || c == b; }
  char a, b;
};

// The first place from `from` on where `marker` (not empty) may begin,
// judged by its first and last bytes only; kNone when none lies wholly
// within `text`. Sixteen places are tested at a time: in pages the first
// byte of a tag marker ("<") comes every few dozen bytes, and stopping at
// each would cost more than the rest of the cut.
std::size_t NextCandidate(std::string_view text, std::size_t from, std::string_view marker) {
  const ByteTest first(marker.front()), last(marker.back());
  const std::size_t to_last = marker.size() - 1;
  std::size_t p = from;
#ifdef __SSE2__
  const __m128i f1 = _mm_set1_epi8(first.a), f2 = _mm_set1_epi8(first.b);
  const __m128i l1 = _mm_set1_epi8(last.a), l2 = _mm_set1_epi8(last.b);
  for (; p + to_last + 16 <= text.size(); p += 16) {
    __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + p));
    __m128i z = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + p + to_last));
    __m128i hit = _mm_and_si128(_mm_or_si128(_mm_cmpeq_epi8(a, f1), _mm_cmpeq_epi8(a, f2)),
                                _mm_or_si128(_mm_cmpeq_epi8(z, l1), _mm_cmpeq_epi8(z, l2)));
    if (int bits = _mm_movemask_epi8(hit))
      return p + static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(bits)));
  }
#endif
  for (; p + to_last < text.size(); ++p)
    if (first(text[p]) && last(text[p + to_last])) return p;
  return kNone;
}

// Whether `i` starts a character when characters start at `origin` (<= i):
// after every byte below 0x80, and in a run of bytes of 0x80 or above at
// even distances from the run's start.
bool StartsCharacter(std::string_view text, std::size_t origin, std::size_t i) {
  std::size_t run = i;
  while (run > origin && static_cast<unsigned char>(text[run - 1]) >= 0x80) --run;
  return (i - run) % 2 == 0;
}

// The 0-based place of the first match of `marker` (not empty) at a
// character start at or after `at`, characters starting at `at`; kNone when
// no match lies wholly within `text`. The same as FindText, faster where
// the marker's first byte is common.
std::size_t FindMarker(std::string_view text, std::string_view marker, std::size_t at) {
  std::size_t grid = at;  // a known character start
  for (std::size_t c = NextCandidate(text, at, marker); c != kNone; c = NextCandidate(text, c + 1, marker)) {
    if (!StartsCharacter(text, grid, c)) {
      grid = c - 1;  // `c` is the second byte of a character
      continue;
    }
    grid = c;
    if (FindText(text.substr(0, c + marker.size()), marker, static_cast<long>(c) + 1, /*ignore_case=*/true) != -1)
      return c;
  }
  return kNone;
}

// The first character start (characters starting at `at`) where a match of
// a marker of `length` bytes cannot be decided from `text` alone because
// bytes may follow: fewer than `length` bytes remain there, or it is a lead
// byte ending the text, whose width the next byte decides.
std::size_t Undecided(std::string_view text, std::size_t at, std::size_t length) {
  std::size_t cut = std::max(at, text.size() + 1 > length ? text.size() + 1 - length : 0);
  if (StartsCharacter(text, at, cut)) return cut;
  return cut < text.size() ? cut + 1 : cut - 1;  // past the character, or its lone lead byte
}

}  // namespace

Text TextBetweenMarkers(std::string_view text, std::string_view front, std::string_view back) {
  long p = FindText(text, front, 1, /*ignore_case=*/true);
  if (p == -1) return {};
  long s = p + TextLength(front);
  long e = FindText(text, back, s, /*ignore_case=*/true);
  return TextMiddle(text, s, e - s);  // a count <= 0 gives the empty text
}

// An empty back marker always gives the empty stretch; an empty front
// marker matches at the first byte, and a text without bytes has no back
// marker either.
MarkerCutter::MarkerCutter(std::string_view front, std::string_view back)
    : front_(front),
      back_(back),
      phase_(back.empty()    ? Phase::kNone
             : front.empty() ? Phase::kBack
                             : Phase::kFront) {}

void MarkerCutter::Feed(std::string_view piece, bool last, const Keep& keep) {
  if (finished()) return;
  std::size_t at = 0;
  if (!carry_.empty()) {
    // The held bytes are decided together with the first bytes of the
    // piece; the rest of the piece is then scanned where it lies, from the
    // character start reached (which lies inside the piece).
    const std::size_t reach = std::max(front_.size(), back_.size()) + 1;
    const std::size_t held = carry_.size();
    const bool whole = piece.size() <= reach;
    std::string joined = std::move(carry_);
    carry_.clear();
    joined.append(piece.substr(0, reach));
    std::size_t undecided = Advance(joined, 0, last && whole, keep);
    if (whole || finished()) {
      if (!finished()) carry_.assign(joined, undecided);
      return;
    }
    at = undecided - held;
  }
  std::size_t undecided = Advance(piece, at, last, keep);
  if (!finished()) carry_.assign(piece.substr(undecided));
}

// Scans `text` from the character start `at`: finds the front marker, then
// gives out the stretch up to the back marker or up to the place from which
// a match cannot be decided yet, which it returns (the end of `text` once
// finished).
std::size_t MarkerCutter::Advance(std::string_view text, std::size_t at, bool last, const Keep& keep) {
  if (phase_ == Phase::kFront) {
    std::size_t hit = FindMarker(text, front_, at);
    if (hit == kNone) {
      if (!last) return Undecided(text, at, front_.size());
      phase_ = Phase::kNone;
      return text.size();
    }
    phase_ = Phase::kBack;
    at = hit + front_.size();
  }
  if (phase_ != Phase::kBack) return text.size();
  std::size_t end = FindMarker(text, back_, at);
  if (end != kNone) phase_ = Phase::kFound;
  else if (last) phase_ = Phase::kNone;
  else end = Undecided(text, at, back_.size());
  if (phase_ == Phase::kNone) return text.size();
  if (end > at) keep(text.substr(at, end - at));
  return phase_ == Phase::kFound ? text.size() : end;
}

}  // namespace qm

#include "lzx_matcher.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#include "lzx_format.h"

namespace hha::lzx {
namespace {

constexpr int kHashBits = 15;

inline std::uint32_t Load24(const std::uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16); }

inline std::uint16_t Load16(const std::uint8_t* p) {
  std::uint16_t v;
  std::memcpy(&v, p, 2);
  return v;
}

inline std::size_t MatchLength(const std::uint8_t* a, const std::uint8_t* b, std::size_t limit) {
  std::size_t n = 0;
  while (n + 8 <= limit) {
    std::uint64_t x, y;
    std::memcpy(&x, a + n, 8);
    std::memcpy(&y, b + n, 8);
    if (x != y) return n + (__builtin_ctzll(x ^ y) >> 3);
    n += 8;
  }
  while (n < limit && a[n] == b[n]) ++n;
  return n;
}

// Rough bit costs used to weigh candidates against each other.
constexpr int kLiteralBits = 6;

// Bits for the offset of a match at a repeated offset, and of a new one at
// `distance`: 9 and the extra bits of its position slot, which are
// floor(log2(distance + 2)) - 1 for every distance >= 1.
constexpr int kRepeatedOffsetBits = 7;
inline int NewOffsetBits(std::uint32_t distance) { return 9 + 30 - __builtin_clz(distance + 2); }

inline int Gain(std::size_t length, int offset_bits) {
  int bits = offset_bits;
  if (length >= kMinMatch + kPrimaryLengths) bits += 5;
  return static_cast<int>(length) * kLiteralBits - bits;
}

struct Candidate {
  // 16 bytes, so that a candidate is returned in registers.
  std::uint32_t length = 0;
  std::uint32_t distance = 0;
  int rep = -1;  // 0..2 for a repeated offset, -1 for a new one
  int gain = 0;
};

// Links every position of one call's data but the last two (which start no
// three-byte string) to the one before it with the same hash of its three
// bytes: link[1 + i] is 1 + that position, or 0 where there is none, so that
// a link is the index of the next one. A chain holds only earlier positions,
// so linking all at once gives the chains that inserting each position just
// before the search at the next one would. An interval holds at most 64 KB,
// so 16 bits hold a link, which keeps the tables small enough to stay in the
// processor's cache.
void LinkAll(const std::uint8_t* data, std::size_t size, std::uint16_t* head, std::uint16_t* link) {
  if (size < 3) return;
  std::fill(head, head + (std::size_t{1} << kHashBits), std::uint16_t{0});
  auto link_one = [&](std::size_t i, std::uint32_t three) {
    const std::uint32_t h = (three * 2654435761u) >> (32 - kHashBits);
    link[1 + i] = head[h];
    head[h] = static_cast<std::uint16_t>(i + 1);
  };
  // Eight bytes are read for four positions where there are, then four for
  // one; the last position reads three.
  std::size_t i = 0;
  for (; i + 8 <= size; i += 4) {
    std::uint64_t v;
    std::memcpy(&v, data + i, 8);
    link_one(i, v & 0xFFFFFF);
    link_one(i + 1, (v >> 8) & 0xFFFFFF);
    link_one(i + 2, (v >> 16) & 0xFFFFFF);
    link_one(i + 3, (v >> 24) & 0xFFFFFF);
  }
  for (; i + 3 < size; ++i) {
    std::uint32_t v;
    std::memcpy(&v, data + i, 4);
    link_one(i, v & 0xFFFFFF);
  }
  link_one(size - 3, Load24(data + size - 3));
}

struct Chains {
  const std::uint16_t* link;  // as LinkAll leaves it
  const std::uint8_t* data;
};

// The best match at `pos` at one of the repeated offsets.
[[gnu::always_inline]] inline Candidate BestRepeated(const std::uint8_t* data, std::size_t pos, std::size_t limit,
                                                     const RepeatedOffsets& r) {
  Candidate best;
  const std::uint8_t* here = data + pos;
  // limit >= kMinMatch, so the first two bytes are there to compare; most
  // offsets fail on them.
  const std::uint16_t start = Load16(here);
  // Every offset is 1 or the distance of an earlier match, so none reaches
  // before the start but at the first position.
  if (pos == 0) return best;
  auto take = [&](int i, std::uint32_t distance) {
    std::size_t len = 2 + MatchLength(here + 2, here + 2 - distance, limit - 2);
    int g = Gain(len, kRepeatedOffsetBits);
    if (g > best.gain) best = {static_cast<std::uint32_t>(len), distance, i, g};
  };
  // An offset equal to an earlier one finds the same match, which never
  // gains more, so it is tried without harm.
  if (Load16(here - r[0]) == start) take(0, r[0]);
  if (Load16(here - r[1]) == start) take(1, r[1]);
  if (Load16(here - r[2]) == start) take(2, r[2]);
  return best;
}

// Walks the hash chain at `pos` and replaces `best` with a longer match
// that gains more.
[[gnu::always_inline]] inline void ImproveFromChain(const Chains& chains, std::size_t pos, std::size_t limit,
                                                    const RepeatedOffsets& r, const ParseOptions& options,
                                                    Candidate& best) {
  const std::uint8_t* data = chains.data;
  const std::uint16_t* link = chains.link;
  // The walk goes by links (1 + position); link 0 ends the chain.
  std::size_t at = link[1 + pos];
  int chain = options.max_chain;
  if (at == 0 || chain <= 0) return;
  // pos is at most size - 3, so every candidate is within the largest
  // distance.
  static_assert(kWindowSize - 3 <= kMaxDistance);
  const std::uint8_t* here = data + pos;
  // A match longer than best_new (at least 2) shares its first three bytes
  // and its byte at best_new, which most candidates fail: probe[at] is that
  // byte of the candidate at link `at`. The chain holds earlier positions
  // only, so pos >= 1 and the four bytes before here + 3 can be read.
  std::uint32_t first;
  std::memcpy(&first, here - 1, 4);
  first >>= 8;
  std::size_t best_new = 2;
  std::uint8_t want = here[best_new];
  const std::uint8_t* probe = data + (best_new - 1);
  do {
    if (probe[at] == want) {
      const std::uint8_t* c = data + (at - 1);
      std::uint32_t c_first;
      // c + 3 is at most here + 2, which is inside the data.
      std::memcpy(&c_first, c, 4);
      if ((c_first & 0xFFFFFF) == first) {
        std::size_t len = 3 + MatchLength(here + 3, c + 3, limit - 3);
        if (len > best_new) {
          std::uint32_t dist = static_cast<std::uint32_t>(here - c);
          int g = Gain(len, NewOffsetBits(dist));
          if (g > best.gain) {
            int rep = -1;
            for (int i = 0; i < 3; ++i)
              if (r[i] == dist) rep = i;
            best = {static_cast<std::uint32_t>(len), dist, rep, rep >= 0 ? Gain(len, kRepeatedOffsetBits) : g};
          }
          if (len >= limit || len >= static_cast<std::size_t>(options.nice_length)) break;
          best_new = len;
          want = here[best_new];
          probe = data + (best_new - 1);
        }
      }
    }
    at = link[at];
  } while (at != 0 && --chain > 0);
}

// The best match at `pos` that stays inside its frame. It and the searches
// it makes are inlined into the frame loop, which keeps their state in
// registers rather than passing it through memory on every call.
[[gnu::always_inline]] inline Candidate BestAt(const Chains& chains, std::size_t pos, std::size_t frame_end,
                                               const RepeatedOffsets& r, const ParseOptions& options) {
  std::size_t limit = std::min<std::size_t>(kMaxMatch, frame_end - pos);
  if (limit < static_cast<std::size_t>(kMinMatch)) return Candidate();
  Candidate best = BestRepeated(chains.data, pos, limit, r);
  // limit <= size - pos, so pos + 2 < size when limit >= 3.
  if (limit >= 3) ImproveFromChain(chains, pos, limit, r, options, best);
  return best;
}

// Appends the token of match `m` and updates the repeated offsets.
void EmitMatch(const Candidate& m, RepeatedOffsets& reps, std::vector<Token>& tokens) {
  Token t{};
  int slot;
  if (m.rep >= 0) {
    slot = m.rep;
    std::swap(reps[0], reps[m.rep]);
  } else {
    std::uint32_t formatted = m.distance + 2;
    slot = SlotOf(formatted);
    t.extra = static_cast<std::uint16_t>(formatted - PositionBase(slot));
    t.extra_bits = kExtraBits[slot];
    reps[2] = reps[1];
    reps[1] = reps[0];
    reps[0] = m.distance;
  }
  const int length = static_cast<int>(m.length);
  t.main = static_cast<std::uint16_t>(kNumChars + slot * 8 + std::min(length - kMinMatch, kPrimaryLengths));
  t.length_symbol = length >= kMinMatch + kPrimaryLengths
                        ? static_cast<std::uint16_t>(length - kMinMatch - kPrimaryLengths)
                        : Token::kNoLengthSymbol;
  tokens.push_back(t);
}

// The token of a literal.
inline Token Literal(std::uint8_t byte) { return {byte, Token::kNoLengthSymbol, 0, 0}; }

// Parses [pos, frame_end): a match is taken unless the next position has a
// clearly better one (lazy evaluation), in which case a literal goes first.
void ParseFrame(const Chains& chains, std::size_t& pos, std::size_t frame_end, const ParseOptions& options,
                RepeatedOffsets& reps, std::vector<Token>& tokens) {
  const std::uint8_t* data = chains.data;
  Candidate pending;  // best match at pos, when already known
  bool have_pending = false;
  while (pos < frame_end) {
    Candidate cur = have_pending ? pending : BestAt(chains, pos, frame_end, reps, options);
    have_pending = false;
    if (cur.length == 0) {
      tokens.push_back(Literal(data[pos]));
      ++pos;
      continue;
    }
    if (options.lazy && cur.length < static_cast<std::uint32_t>(options.nice_length) && pos + 1 < frame_end) {
      Candidate next = BestAt(chains, pos + 1, frame_end, reps, options);
      if (next.gain > cur.gain + kLiteralBits / 2) {
        tokens.push_back(Literal(data[pos]));
        ++pos;
        pending = next;
        have_pending = true;
        continue;
      }
    }
    EmitMatch(cur, reps, tokens);
    pos += cur.length;
  }
}

constexpr int kProbeBits = 12;

// True when repeated strings of four bytes or more, as a greedy scan with
// one candidate per hash finds them, cover less than a thirty-second of
// data[0, size). Text has them from its first lines, so the scan ends
// early there.
bool RepeatsLittle(const std::uint8_t* data, std::size_t size, std::uint16_t* table) {
  std::fill(table, table + (std::size_t{1} << kProbeBits), std::uint16_t{0});
  const std::size_t enough = size / 32;
  std::size_t covered = 0;
  for (std::size_t i = 0; i + 4 <= size;) {
    std::uint32_t v;
    std::memcpy(&v, data + i, 4);
    const std::uint32_t h = (v * 2654435761u) >> (32 - kProbeBits);
    const std::size_t candidate = table[h];
    table[h] = static_cast<std::uint16_t>(i + 1);
    if (candidate != 0) {
      std::uint32_t w;
      std::memcpy(&w, data + candidate - 1, 4);
      if (w == v) {
        const std::size_t length = 4 + MatchLength(data + i + 4, data + candidate + 3, size - i - 4);
        covered += length;
        if (covered >= enough) return false;
        i += length;
        continue;
      }
    }
    ++i;
  }
  return true;
}

// True when coding each byte of data[0, size) by how often it occurs saves
// at least 5 % against storing it: the bytes are skewed, as a search
// index's packed bit lists are, and unlike compressed images, whose few
// short repeats are all that a match search can gain on.
bool SkewedBytes(const std::uint8_t* data, std::size_t size) {
  std::array<std::uint32_t, 256> count{};
  for (std::size_t i = 0; i < size; ++i) ++count[data[i]];
  double bits = 0;
  for (std::uint32_t c : count)
    if (c != 0) bits -= c * std::log2(static_cast<double>(c) / static_cast<double>(size));
  return bits <= 0.95 * 8 * static_cast<double>(size);
}

// True when searching data[0, size) for matches would gain next to
// nothing over coding its bytes as literals: few repeats, and bytes skewed
// enough that literals alone compress them. A search index's bit lists,
// with 2-5 % of their bytes in short matches, gain 0.4 % from the search.
bool LiteralsWillDo(const std::uint8_t* data, std::size_t size, std::uint16_t* table) {
  return RepeatsLittle(data, size, table) && SkewedBytes(data, size);
}

}  // namespace

MatchFinder::MatchFinder()
    : head_(std::size_t{1} << kHashBits), link_(kWindowSize + 1), probe_(std::size_t{1} << kProbeBits) {}

const ParsedInterval& MatchFinder::ParseIfWorthIt(const std::uint8_t* data, std::size_t size,
                                                  const ParseOptions& options) {
  return options.literals_when_matchless && LiteralsWillDo(data, size, probe_.data()) ? Literals(data, size)
                                                                                      : Parse(data, size, options);
}

const ParsedInterval& MatchFinder::Literals(const std::uint8_t* data, std::size_t size) {
  ParsedInterval& out = parsed_;
  out.tokens.clear();
  out.literals = data;
  out.literal_count = size;
  out.frame_start.clear();
  out.reps_after_frame.clear();
  for (std::size_t frame_begin = 0; frame_begin < size || out.frame_start.empty(); frame_begin += kFrameSize) {
    out.frame_start.push_back(frame_begin);
    out.reps_after_frame.push_back({1, 1, 1});
  }
  return out;
}

const ParsedInterval& MatchFinder::Parse(const std::uint8_t* data, std::size_t size, const ParseOptions& options) {
  ParsedInterval& out = parsed_;
  out.tokens.clear();
  out.literals = nullptr;
  out.literal_count = 0;
  out.frame_start.clear();
  out.reps_after_frame.clear();
  // Every token covers at least one byte.
  out.tokens.reserve(size + 1);
  RepeatedOffsets reps = {1, 1, 1};
  LinkAll(data, size, head_.data(), link_.data());
  const Chains chains{link_.data(), data};
  std::size_t pos = 0;
  for (std::size_t frame_begin = 0; frame_begin < size || (size == 0 && out.frame_start.empty());
       frame_begin += kFrameSize) {
    std::size_t frame_end = std::min<std::size_t>(size, frame_begin + kFrameSize);
    out.frame_start.push_back(out.tokens.size());
    ParseFrame(chains, pos, frame_end, options, reps, out.tokens);
    out.reps_after_frame.push_back(reps);
    if (size == 0) break;
  }
  return out;
}

}  // namespace hha::lzx

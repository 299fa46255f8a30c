// The full-text search index of a book ($FIftiMain), built from the pages
// as they are stored.
//
// Where the format comes from: Microsoft never published it. What is known
// was found by taking Microsoft's books apart and is written down in
// public format notes on CHM files; the readers that
// search such books (chmlib's and pychm's search code, which xchm shares,
// and Free Pascal's CHM units) read it the same way, and this writer keeps
// to what all of them read:
//  - a 1 KB header: signature 00 00 28 00, the number of pages, the offset
//    of the root node (twice), the number of leaf nodes, the depth of the
//    tree, the scale (always 2) and root size of the three kinds of numbers
//    in the word location codes, the node size (4096), word statistics, and
//    at 0x7A and 0x7E the code page and the language (LCID) of the words;
//  - a B-tree of 4 KB nodes. A leaf node starts with the offset of the next
//    leaf (0 for the last), a zero word and the number of unused bytes at
//    its end; then one entry per word, sorted by their bytes (words are
//    lower case): the word's length + 1, how many leading bytes it shares
//    with the previous word of the node, the bytes that differ, 1 when the
//    entry lists title hits and 0 for text hits, the number of pages
//    (encoded integer, 7 bits a byte, low bits first), the offset of its
//    location codes, a zero word, and the codes' length (encoded integer).
//    An index node starts with its unused byte count (a word) and holds,
//    per child node, the last word of the child (compressed the same way),
//    the child's offset and a zero word. The root is the last node;
//  - the word location codes (WLC) of an entry: per page, its number less
//    the previous page's (pages are numbered as in #TOPICS), the number of
//    places the word takes on it, and each place less the previous one, all
//    in "scale 2, root r" codes (n one bits, a zero bit, then r + n - 1 bits
//    of the value below its top bit; r bits of it when n is 0), most
//    significant bit first; each page starts on a byte boundary.
// Places count the words of a page in order, so a reader finds a phrase as
// consecutive places.
#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "byte_io.h"
#include "runtime/text.h"

namespace hha {

/// The words of a code page 936 text in order, as the index takes them:
/// runs of ASCII letters and digits in lower case (a run longer than the
/// index keeps is left out but still counts); every two-byte character that
/// is a letter (hanzi, kana, Greek and Cyrillic, pinyin, full-width
/// letters, in lower case, and digits) on its own. Punctuation, symbols and
/// other bytes only separate words. `word` gets each word and its place;
/// `next_place` is the place of the first one and comes back after the last.
/// At least kWordReadable bytes may be read from the start of every word
/// (the bytes past its end are anything), so that a word is loaded whole.
inline constexpr std::size_t kWordReadable = 16;
template <typename OnWord>
void ForEachWord(std::string_view text, std::uint32_t& next_place, OnWord word);

/// True for the two bytes of a code page 936 character that the index
/// takes as a word.
bool IsLetterCharacter(unsigned char lead, unsigned char trail);

/// The location codes of every word, in large blocks that all words share,
/// so that a word's codes grow without ever being copied: each word's codes
/// are a chain of stretches, each holding the codes of whole pages, which
/// read in order are the word's codes.
class CodeStore {
 public:
  struct Stretch {
    Stretch* next = nullptr;
    std::size_t used = 0;  // bytes of codes; of the chain's last stretch, see Chain::end
    std::size_t capacity = 0;
    std::uint8_t* Data() { return reinterpret_cast<std::uint8_t*>(this + 1); }
  };
  /// One word's codes.
  struct Chain {
    // What each page's codes use first, then what a new stretch does.
    std::uint8_t* end = nullptr;    // the end of the codes in `last`
    std::uint8_t* limit = nullptr;  // the end of `last`'s room
    std::size_t size = 0;           // bytes of codes in the whole chain
    Stretch* last = nullptr;
    Stretch* first = nullptr;
  };

  CodeStore() = default;
  CodeStore(const CodeStore&) = delete;
  CodeStore& operator=(const CodeStore&) = delete;

  /// Where at least `room` more bytes may be written at the end of `chain`.
  std::uint8_t* Room(Chain& chain, std::size_t room) {
    if (static_cast<std::size_t>(chain.limit - chain.end) >= room) return chain.end;
    return NewStretch(chain, room);
  }
  /// The codes of `chain` now end at `end`, in the room Room gave last.
  static void SetEnd(Chain& chain, std::uint8_t* end) {
    chain.size += static_cast<std::size_t>(end - chain.end);
    chain.end = end;
  }
  /// Calls piece(data, size) for each stretch of the chain's codes, in order.
  template <typename Piece>
  static void ForEachPiece(const Chain& chain, Piece piece) {
    for (Stretch* s = chain.first; s; s = s->next)
      piece(s->Data(), s == chain.last ? static_cast<std::size_t>(chain.end - s->Data()) : s->used);
  }

 private:
  std::uint8_t* NewStretch(Chain& chain, std::size_t room);
  /// `bytes` of memory, 8-aligned, kept until the store goes.
  void* Take(std::size_t bytes);
  struct FreeBlock {
    void operator()(std::uint8_t* block) const { std::free(block); }
  };
  std::vector<std::unique_ptr<std::uint8_t, FreeBlock>> blocks_;
  std::uint8_t* free_ = nullptr;
  std::uint8_t* free_end_ = nullptr;
};

/// Builds $FIftiMain one page at a time; the pages' text is not kept.
class FullTextIndex {
 public:
  /// Root sizes of the three kinds of numbers in the location codes.
  static constexpr std::uint8_t kDocumentRoot = 1, kCountRoot = 1, kPlaceRoot = 4;
  static constexpr std::size_t kNodeSize = 4096;
  static constexpr std::size_t kLongestWord = 99;

  /// Indexes the stored page `html` (code page 936) as page `topic` of
  /// #TOPICS, with its title (code page 936). Topics come in rising order.
  void AddPage(std::uint32_t topic, std::string_view html, std::string_view title);

  /// Receives the bytes of the finished index in order; false stops it.
  using IndexSink = std::function<bool(const std::uint8_t* data, std::size_t size)>;

  /// Gives the finished $FIftiMain for a book of the language `lcid`,
  /// written in the code page `code_page`, to `sink` in pieces, in order
  /// (so that the location codes are not copied into one buffer first).
  /// False when the sink said so. Call it once.
  bool Finish(std::uint32_t lcid, std::uint32_t code_page, const IndexSink& sink);
  /// The same bytes as one buffer.
  Bytes Finish(std::uint32_t lcid, std::uint32_t code_page);

 private:
  // Where one word is found, in text or in titles, encoded as it goes.
  struct Hits {
    std::uint32_t last_topic = 0;
    std::uint32_t pages = 0;
    CodeStore::Chain codes;
  };
  void AddHits(std::uint32_t topic, bool title);

  // A word's first 16 bytes, zero past its end: words hold no zero byte, so
  // two words of up to 16 bytes are the same when their keys are.
  struct Key {
    std::uint64_t low = 0, high = 0;
    bool operator==(const Key&) const = default;
  };
  // Open addressing over the words that are not one two-byte character:
  // each slot holds a word's hash and its id + 1 (0 when free). The slots
  // are small, so that the table stays in the nearer caches, and the id is
  // known once the slot is read; the keys, by id, only confirm it.
  struct Slot {
    std::uint32_t hash = 0, id = 0;
  };
  std::uint32_t IdOf(std::string_view word);
  std::uint32_t NewId(std::string_view word, const Key& key);
  void Grow();
  std::vector<Slot> slots_;
  std::size_t slot_mask_ = 0;  // slots_.size() - 1
  std::size_t used_slots_ = 0;
  std::vector<Key> keys_;  // by id; a two-byte character's is not used
  std::vector<std::string> words_;
  std::vector<Hits> text_hits_, title_hits_;  // by id
  CodeStore codes_;
  std::vector<std::uint32_t> character_ids_;  // two-byte word (lead * 256 + trail) -> id + 1
  // One page's words: (id, place) in order, and per id its count and start
  // in `grouped_`, for grouping them by word in one pass.
  std::vector<std::pair<std::uint32_t, std::uint32_t>> places_;
  std::vector<std::uint32_t> count_, start_, touched_, grouped_;
  std::uint32_t pages_ = 0;
  std::uint64_t occurrences_ = 0, occurrence_bytes_ = 0;
};

/// Writes "scale 2, root r" codes, most significant bit first, at `out`,
/// which has room for 8 bytes a code and 8 more; End pads the last byte with
/// zero bits (and may store zero bytes past it, inside that room).
/// Only the index's own file uses it.
class BitWriterMsb {
 public:
  explicit BitWriterMsb(std::uint8_t* out) : out_(out) {}
  template <int root>
  void Put(std::uint32_t value);
  /// Where the codes end, their last byte padded.
  std::uint8_t* End();

 private:
  void PutBits(std::uint64_t bits, int count);  // count <= 32
  std::uint8_t* out_;
  std::uint64_t pending_ = 0;  // its low `count_` bits are not yet written
  int count_ = 0;
};

// ---- template definition

inline bool IsLetterCharacter(unsigned char lead, unsigned char trail) {
  if (lead >= 0xB0 && lead <= 0xF7) return trail >= 0x40 && trail != 0x7F && trail != 0xFF;  // hanzi
  if (lead >= 0x81 && lead <= 0xA0) return trail >= 0x40 && trail != 0x7F && trail != 0xFF;  // more hanzi
  if ((lead >= 0xAA && lead <= 0xAF) || lead >= 0xF8) return trail >= 0x40 && trail <= 0xA0 && trail != 0x7F;
  if (trail < 0xA1 || trail == 0xFF) return false;
  switch (lead) {
    case 0xA3:
      return (trail >= 0xB0 && trail <= 0xB9) || (trail >= 0xC1 && trail <= 0xDA) || (trail >= 0xE1 && trail <= 0xFA);
    case 0xA4: return trail <= 0xF3;                                      // hiragana
    case 0xA5: return trail <= 0xF6;                                      // katakana
    case 0xA6: return trail <= 0xB8 || (trail >= 0xC1 && trail <= 0xD8);  // Greek
    case 0xA7: return trail <= 0xC1 || (trail >= 0xD1 && trail <= 0xF1);  // Cyrillic
    case 0xA8: return trail <= 0xC0 || (trail >= 0xC5 && trail <= 0xE9);  // pinyin, bopomofo
    default: return false;
  }
}

// Per byte: its lower-case form when it is an ASCII letter or digit, else 0.
inline constexpr auto kWordBytes = [] {
  std::array<char, 256> bytes{};
  for (int b = 0; b < 128; ++b)
    if (qm::IsAsciiAlnum(static_cast<char>(b))) bytes[b] = qm::AsciiLowerByte(static_cast<char>(b));
  return bytes;
}();

// Of 64 bytes: which are ASCII letters or digits, which capitals, and
// which from 0x80 up, one bit each (the first byte the lowest bit).
struct WordMasks {
  std::uint64_t word = 0, capital = 0, high = 0;
};

inline WordMasks ClassifyBytes64(const unsigned char* p) {
  WordMasks m;
#if defined(__SSE2__)
  // A byte x lies in [lo, lo + span) when x + (0x80 - lo), as a signed
  // byte, is below -128 + span.
  auto in = [](__m128i v, char lo, char span) {
    return _mm_cmplt_epi8(_mm_add_epi8(v, _mm_set1_epi8(static_cast<char>(0x80 - lo))),
                          _mm_set1_epi8(static_cast<char>(-128 + span)));
  };
  for (int k = 0; k < 4; ++k) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k));
    const __m128i capital = in(v, 'A', 26);
    const __m128i word = _mm_or_si128(_mm_or_si128(capital, in(v, 'a', 26)), in(v, '0', 10));
    const int shift = 16 * k;
    m.word |= static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(word))) << shift;
    m.capital |= static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(capital))) << shift;
    m.high |= static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(v))) << shift;
  }
#else
  for (int k = 0; k < 64; ++k) {
    const std::uint64_t bit = std::uint64_t{1} << k;
    if (p[k] >= 0x80) m.high |= bit;
    else if (kWordBytes[p[k]]) m.word |= bit;
    if (p[k] >= 'A' && p[k] <= 'Z') m.capital |= bit;
  }
#endif
  return m;
}

template <typename OnWord>
void ForEachWord(std::string_view text, std::uint32_t& next_place, OnWord word) {
  // A run with capitals in lower case, or a run that ends too near the
  // end of `text` to be read kWordReadable bytes at a time.
  char lowered[FullTextIndex::kLongestWord] = {};  // zeroed: the bytes read past a word are set
  static_assert(sizeof lowered >= kWordReadable);
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t n = text.size();
  // A run of letters and digits at `start`, `length` bytes long.
  auto run_of_letters = [&](std::size_t start, std::size_t length, bool capitals) __attribute__((always_inline)) {
    if (length <= FullTextIndex::kLongestWord) {
      if (!capitals && start + kWordReadable <= n) {
        word(text.substr(start, length), next_place);
      } else {
        // Lower case letters and digits are their own kWordBytes.
        for (std::size_t k = 0; k < length; ++k) lowered[k] = kWordBytes[bytes[start + k]];
        word(std::string_view(lowered, length), next_place);
      }
    }
    ++next_place;
  };
  // Up to here, bytes are taken one word or character at a time.
  std::size_t one_by_one_until = 0;
  for (std::size_t i = 0; i < n;) {
    // Text of ASCII alone is taken 64 bytes at a time: its words are
    // found from bit masks, without a branch per byte. A word that runs to
    // the end of the 64 bytes is taken one by one, as is any stretch of 64
    // with a byte from 0x80 up, where a character's trail byte may look
    // like a letter.
    if (i >= one_by_one_until && i + 64 <= n) {
      const WordMasks m = ClassifyBytes64(bytes + i);
      if (m.high) {
        one_by_one_until = i + 64;
      } else {
        std::uint64_t left = m.word;
        std::size_t stop = 64;  // where a word reaching the end starts
        while (left) {
          const int s = std::countr_zero(left);
          const int length = std::countr_one(left >> s);
          if (s + length == 64) {
            stop = static_cast<std::size_t>(s);
            break;
          }
          const std::uint64_t its_bits = ((std::uint64_t{1} << length) - 1) << s;
          run_of_letters(i + static_cast<std::size_t>(s), static_cast<std::size_t>(length),
                         (m.capital & its_bits) != 0);
          left &= ~std::uint64_t{0} << (s + length);
        }
        i += stop;
        if (stop == 64) continue;
        one_by_one_until = i + 1;
      }
    }
    const unsigned char b = bytes[i];
    if (b < 0x80) {
      if (!kWordBytes[b]) {
        ++i;
        continue;
      }
      // A run of letters and digits; most are lower case already and are
      // passed as they stand.
      const std::size_t start = i;
      unsigned capitals = 0;
      for (;;) {
        // Eight small letters at a time: per byte, the top bit of `small`
        // is set when it lies in 'a'..'z' (checked only up to the first
        // byte that does not, as a byte from 0x80 up may carry into the next;
        // the first byte is the lowest).
        static_assert(std::endian::native == std::endian::little);
        constexpr std::uint64_t kOnes = 0x0101010101010101ull, kTops = kOnes * 0x80;
        while (i + 8 <= n) {
          std::uint64_t x;
          std::memcpy(&x, bytes + i, 8);
          const std::uint64_t small = (x + kOnes * (0x80 - 'a')) & ~(x + kOnes * (0x80 - 'z' - 1)) & ~x & kTops;
          if (small != kTops) {
            i += static_cast<std::size_t>(__builtin_ctzll(~small & kTops)) >> 3;
            break;
          }
          i += 8;
        }
        if (i >= n || !kWordBytes[bytes[i]]) break;
        capitals |= bytes[i] ^ static_cast<unsigned char>(kWordBytes[bytes[i]]);
        ++i;
      }
      run_of_letters(start, i - start, capitals != 0);
      continue;
    }
    if (b == 0x80 || b == 0xFF || i + 1 >= n) {
      ++i;
      continue;
    }
    const unsigned char t = bytes[i + 1];
    if (IsLetterCharacter(b, t)) {
      char pair[kWordReadable] = {static_cast<char>(b),
                                  static_cast<char>(b == 0xA3 && t >= 0xC1 && t <= 0xDA ? t + 0x20 : t)};
      word(std::string_view(pair, 2), next_place);
      ++next_place;
    }
    i += 2;
  }
}

}  // namespace hha

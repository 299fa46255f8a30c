#include "full_text_index.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#include <sys/mman.h>

#include "html_text.h"

namespace hha {

// Whole 32-bit words go out at once; `pending_` keeps fewer than 32 bits
// that count, and bits above them that were written already.
[[gnu::always_inline]] inline void BitWriterMsb::PutBits(std::uint64_t bits, int count) {
  pending_ = (pending_ << count) | bits;
  count_ += count;
  if (count_ >= 32) {
    count_ -= 32;
    const auto word = static_cast<std::uint32_t>(pending_ >> count_);
    const std::uint32_t high_first = __builtin_bswap32(word);
    std::memcpy(out_, &high_first, 4);
    out_ += 4;
  }
}

inline std::uint8_t* BitWriterMsb::End() {
  // The waiting bits, padded with zero bits, in one store of 8 bytes.
  if (count_) {
    const std::uint64_t high_first = __builtin_bswap64(pending_ << (64 - count_));
    std::memcpy(out_, &high_first, 8);
    out_ += (count_ + 7) / 8;
  }
  count_ = 0;
  pending_ = 0;
  return out_;
}

namespace {

// The "scale 2, root r" code of `value`: its bits, lowest `count` bits.
struct Code {
  std::uint32_t bits = 0;
  std::uint8_t count = 0;
};
constexpr Code CodeOf(std::uint32_t value, int root) {
  const int length = value ? 32 - __builtin_clz(value) : 0;
  if (length <= root) return {value, static_cast<std::uint8_t>(root + 1)};  // a zero bit, then `root` bits
  const int ones = length - root;
  const std::uint64_t head = ((std::uint64_t{1} << ones) - 1) << 1;              // the ones and a zero bit
  const std::uint64_t below = value & ((std::uint64_t{1} << (length - 1)) - 1);  // the bits below the top one
  return {static_cast<std::uint32_t>((head << (length - 1)) | below), static_cast<std::uint8_t>(ones + length)};
}

// The codes of the small values, which nearly every place, count and page
// step is, worked out once.
constexpr std::uint32_t kTabled = 4096;
template <int root>
constexpr auto kCodes = [] {
  std::array<Code, kTabled> codes{};
  for (std::uint32_t v = 0; v < kTabled; ++v) codes[v] = CodeOf(v, root);
  return codes;
}();

}  // namespace

template <int root>
[[gnu::always_inline]] inline void BitWriterMsb::Put(std::uint32_t value) {
  if (value < kTabled) {
    const Code c = kCodes<root>[value];
    PutBits(c.bits, c.count);
    return;
  }
  const int length = 32 - __builtin_clz(value);
  const int ones = length - root;
  const std::uint64_t head = ((std::uint64_t{1} << ones) - 1) << 1;              // the ones and a zero bit
  const std::uint64_t below = value & ((std::uint64_t{1} << (length - 1)) - 1);  // the bits below the top one
  if (ones + length <= 32) {
    PutBits((head << (length - 1)) | below, ones + length);
  } else {
    PutBits(head, ones + 1);
    PutBits(below, length - 1);
  }
}

namespace {

std::uint64_t Load64(const char* p) {
  std::uint64_t v;
  std::memcpy(&v, p, 8);
  return v;
}

// The bytes below the first `n` of a little-endian word, for n = 0..8.
constexpr std::uint64_t kLowBytes[9] = {
    0, 0xFF, 0xFFFF, 0xFFFFFF, 0xFFFFFFFF, 0xFFFFFFFFFF, 0xFFFFFFFFFFFF, 0xFFFFFFFFFFFFFF, 0xFFFFFFFFFFFFFFFF};

// A word's hash for the word table from its key and the bytes past its
// first 16: never 0, which marks a free slot.
[[gnu::always_inline]] inline std::uint32_t WordHashOf(std::string_view word, std::uint64_t low, std::uint64_t high) {
  // The two halves are multiplied side by side, and the well-mixed upper
  // half of the sum is the hash: a lookup waits on one multiplication.
  std::uint64_t h = (low ^ word.size()) * 0xFF51AFD7ED558CCDull + high * 0xC4CEB9FE1A85EC53ull;
  for (std::size_t i = 16; i < word.size(); i += 8) {
    std::uint64_t more = 0;
    std::memcpy(&more, word.data() + i, std::min<std::size_t>(8, word.size() - i));
    h = (h ^ (h >> 29) ^ more) * 0xC4CEB9FE1A85EC53ull;
  }
  return static_cast<std::uint32_t>(h >> 32) | 1;
}

}  // namespace

void FullTextIndex::Grow() {
  std::vector<Slot> old;
  old.swap(slots_);
  slots_.assign(old.empty() ? 4096 : old.size() * 2, Slot{});
  slot_mask_ = slots_.size() - 1;
  for (const Slot& s : old) {
    if (!s.id) continue;
    std::size_t at = s.hash & slot_mask_;
    while (slots_[at].id) at = (at + 1) & slot_mask_;
    slots_[at] = s;
  }
}

[[gnu::always_inline]] inline std::uint32_t FullTextIndex::IdOf(std::string_view word) {
  if (word.size() == 2 && static_cast<unsigned char>(word[0]) >= 0x80) {
    if (character_ids_.empty()) character_ids_.assign(65536, 0);
    std::uint32_t& slot =
        character_ids_[static_cast<unsigned char>(word[0]) * 256 + static_cast<unsigned char>(word[1])];
    if (!slot) slot = NewId(word, Key{}) + 1;
    return slot - 1;
  }
  if (2 * (used_slots_ + 1) > slots_.size()) Grow();
  // Two loads, whatever the word's length: ForEachWord leaves room to read
  // kWordReadable bytes.
  const std::size_t n = word.size();
  const Key key{Load64(word.data()) & kLowBytes[std::min<std::size_t>(n, 8)],
                Load64(word.data() + 8) & kLowBytes[n > 8 ? std::min<std::size_t>(n - 8, 8) : 0]};
  const std::uint32_t hash = WordHashOf(word, key.low, key.high);
  std::size_t at = hash & slot_mask_;
  for (; slots_[at].id; at = (at + 1) & slot_mask_) {
    if (slots_[at].hash != hash) continue;
    const std::uint32_t id = slots_[at].id - 1;
    if (keys_[id] == key && (n <= 16 || words_[id] == word)) return id;
  }
  const std::uint32_t id = NewId(word, key);
  slots_[at] = {hash, id + 1};
  ++used_slots_;
  return id;
}

std::uint32_t FullTextIndex::NewId(std::string_view word, const Key& key) {
  const auto id = static_cast<std::uint32_t>(words_.size());
  words_.emplace_back(word);
  keys_.push_back(key);
  text_hits_.emplace_back();
  title_hits_.emplace_back();
  count_.push_back(0);
  start_.push_back(0);
  return id;
}

void* CodeStore::Take(std::size_t bytes) {
  // Blocks of 2 MB, aligned so that the kernel may back each with one huge
  // page: the codes fill them in a scattered order, and taking the memory
  // 4 KB at a time cost a fault each. A request of more than a quarter of
  // a block gets a block of its own, so that little of a block is left
  // unused.
  constexpr std::size_t kBlock = std::size_t{2} << 20;
  bytes = (bytes + 7) & ~std::size_t{7};
  auto new_block = [this](std::size_t size, std::size_t alignment) -> std::uint8_t* {
    void* block = std::aligned_alloc(alignment, (size + alignment - 1) / alignment * alignment);
    if (!block) throw std::bad_alloc();
    if (alignment == kBlock) ::madvise(block, size, MADV_HUGEPAGE);  // a hint: refused, nothing changes
    blocks_.emplace_back(static_cast<std::uint8_t*>(block));
    return blocks_.back().get();
  };
  if (bytes > kBlock / 4) return new_block(bytes, 64);
  if (static_cast<std::size_t>(free_end_ - free_) < bytes) {
    free_ = new_block(kBlock, kBlock);
    free_end_ = free_ + kBlock;
  }
  void* taken = free_;
  free_ += bytes;
  return taken;
}

std::uint8_t* CodeStore::NewStretch(Chain& chain, std::size_t room) {
  // Each stretch of a chain has twice the room of the one before, up to
  // 64 KB, so that a word found on many pages takes few stretches.
  constexpr std::size_t kFirst = 48, kLargest = 64 * 1024;
  std::size_t capacity = chain.last ? std::min(2 * chain.last->capacity, kLargest) : kFirst;
  capacity = std::max(capacity, room);
  auto* stretch = new (Take(sizeof(Stretch) + capacity)) Stretch{nullptr, 0, capacity};
  if (chain.last) {
    chain.last->used = static_cast<std::size_t>(chain.end - chain.last->Data());
    chain.last->next = stretch;
  } else {
    chain.first = stretch;
  }
  chain.last = stretch;
  chain.end = stretch->Data();
  chain.limit = chain.end + capacity;
  return chain.end;
}

void FullTextIndex::AddHits(std::uint32_t topic, bool title) {
  // Groups the places by word, keeping their order, in one pass. Nearly
  // half of a page's words are new to it, as good as at random, so each id
  // is written to the next free place and kept only when it is new there,
  // without a branch.
  touched_.resize(places_.size());
  std::size_t touched = 0;
  for (const auto& [id, place] : places_) {
    touched_[touched] = id;
    touched += count_[id]++ == 0 ? 1 : 0;
  }
  touched_.resize(touched);
  std::uint32_t at = 0;
  for (std::uint32_t id : touched_) {
    start_[id] = at;
    at += count_[id];
  }
  grouped_.resize(places_.size());
  for (const auto& [id, place] : places_) grouped_[start_[id]++] = place;
  // The codes' byte stores could reach any object as far as the compiler
  // knows, so the places are read through a local pointer.
  const std::uint32_t* const grouped = grouped_.data();
  for (std::uint32_t id : touched_) {
    Hits& hits = title ? title_hits_[id] : text_hits_[id];
    const std::uint32_t count = count_[id], first = start_[id] - count;
    // Written in place at the end of the word's codes, with room for 8
    // bytes a code and the 8 bytes End stores.
    BitWriterMsb bits(codes_.Room(hits.codes, (count + 2) * 8 + 8));
    bits.Put<kDocumentRoot>(topic - hits.last_topic);
    bits.Put<kCountRoot>(count);
    std::uint32_t last = 0;
    for (std::uint32_t k = first; k < first + count; ++k) {
      bits.Put<kPlaceRoot>(grouped[k] - last);
      last = grouped[k];
    }
    CodeStore::SetEnd(hits.codes, bits.End());
    hits.last_topic = topic;
    ++hits.pages;
    count_[id] = 0;
  }
  places_.clear();
}

void FullTextIndex::AddPage(std::uint32_t topic, std::string_view html, std::string_view title) {
  ++pages_;
  auto collect = [&](std::string_view word, std::uint32_t place) __attribute__((always_inline)) {
    places_.emplace_back(IdOf(word), place);
    ++occurrences_;
    occurrence_bytes_ += word.size();
  };
  std::uint32_t place = 0;
  // A tag ends a word of letters and digits but leaves the places
  // consecutive, as the page shows its text.
  ForEachTextRun(html, [&](std::string_view run) { ForEachWord(run, place, collect); });
  AddHits(topic, false);
  place = 0;
  ForEachWord(title, place, collect);
  AddHits(topic, true);
}

namespace {

// One leaf entry: a word's hits in text or in titles.
struct Entry {
  const std::string* word;
  const CodeStore::Chain* codes;
  std::uint32_t pages;
  bool title;
};

// The index's own encoded integers: 7-bit groups, least significant first,
// the high bit set on every byte but the last (the same length as ENCINT).
void PutLowFirstInt(Bytes& out, std::uint64_t v) {
  do {
    auto b = static_cast<std::uint8_t>(v & 0x7F);
    v >>= 7;
    out.push_back(v ? b | 0x80 : b);
  } while (v);
}

std::size_t SharedPrefix(const std::string& a, const std::string& b) {
  std::size_t n = 0;
  while (n < a.size() && n < b.size() && n < 255 && a[n] == b[n]) ++n;
  return n;
}

// Builds the nodes of one level of the tree into `out`, where they lie
// together; where each node stands in the index is given as it closes.
// `keys` gets the last word and offset of each node.
class NodeWriter {
 public:
  NodeWriter(Bytes& out, bool leaf) : out_(out), leaf_(leaf) { Start(); }

  std::size_t Room() const { return FullTextIndex::kNodeSize - node_.size(); }

  /// Room an entry for `word` takes besides its fixed part.
  std::size_t WordSize(const std::string& word) const { return 2 + word.size() - SharedPrefix(word, last_); }

  void PutWord(const std::string& word) {
    std::size_t shared = SharedPrefix(word, last_);
    node_.push_back(static_cast<std::uint8_t>(word.size() - shared + 1));
    node_.push_back(static_cast<std::uint8_t>(shared));
    node_.insert(node_.end(), word.begin() + static_cast<std::ptrdiff_t>(shared), word.end());
    last_ = word;
  }
  Bytes& Node() { return node_; }

  /// Writes the node, which stands at `offset` in the index, and notes its
  /// key; a leaf's predecessor learns where it is.
  void Close(std::uint32_t offset, std::vector<std::pair<std::string, std::uint32_t>>& keys) {
    const auto unused = static_cast<std::uint16_t>(Room());
    if (leaf_) {
      SetU16(node_, 6, unused);
      if (!out_.empty()) SetU32(out_, out_.size() - FullTextIndex::kNodeSize, offset);
    } else {
      SetU16(node_, 0, unused);
    }
    node_.resize(FullTextIndex::kNodeSize, 0);
    out_.insert(out_.end(), node_.begin(), node_.end());
    keys.emplace_back(last_, offset);
    unused_ = unused;
    Start();
  }
  std::uint16_t LastUnused() const { return unused_; }

 private:
  void Start() {
    node_.assign(leaf_ ? 8 : 2, 0);
    last_.clear();
  }
  Bytes& out_;
  bool leaf_;
  Bytes node_;
  std::string last_;
  std::uint16_t unused_ = 0;
};

// Orders words as strcasecmp does: ASCII capitals as their small letters,
// byte by byte, a word before the longer words it begins.
bool FoldedLess(const std::string& a, const std::string& b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const auto x = static_cast<unsigned char>(qm::AsciiLowerByte(a[i]));
    const auto y = static_cast<unsigned char>(qm::AsciiLowerByte(b[i]));
    if (x != y) return x < y;
  }
  return a.size() < b.size();
}

// Where a leaf may end, per entry: ends[j] when a leaf may end before
// entries[j]. The entries are in byte order, as the tree is, but readers
// such as python3-chm go down the tree comparing words with strcasecmp,
// which reads a trail byte from 'A' to 'Z' (0x41-0x5A) as its small letter
// and so sees a few two-byte characters in another order. A leaf ends only
// where both orders agree: its last word, which is its key, comes after
// every word before it and before every word after it in both, so that
// those readers too look for each word in its own leaf. Words the fold
// makes the same (two characters whose trail bytes differ only in case)
// stay in one leaf.
std::vector<std::uint8_t> LeafEnds(const std::vector<Entry>& entries) {
  const std::size_t n = entries.size();
  std::vector<std::uint8_t> ends(n + 1, 1);
  if (n == 0) return ends;
  // In byte order the key is always right; in the folded order it must be
  // the greatest of the words up to it and less than each one after it.
  const std::string* greatest = entries[0].word;
  for (std::size_t j = 1; j <= n; ++j) {
    const std::string* key = entries[j - 1].word;
    if (FoldedLess(*greatest, *key)) greatest = key;
    ends[j] = FoldedLess(*key, *greatest) ? 0 : 1;
  }
  const std::string* least = entries[n - 1].word;
  for (std::size_t j = n - 1; j > 0; --j) {
    if (FoldedLess(*entries[j].word, *least)) least = entries[j].word;
    ends[j] = ends[j] != 0 && FoldedLess(*entries[j - 1].word, *least) ? 1 : 0;
  }
  return ends;
}

}  // namespace

bool FullTextIndex::Finish(std::uint32_t lcid, std::uint32_t code_page, const IndexSink& sink) {
  std::vector<std::uint32_t> order(words_.size());
  for (std::uint32_t i = 0; i < order.size(); ++i) order[i] = i;
  std::sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) { return words_[a] < words_[b]; });
  std::vector<Entry> entries;
  std::size_t longest = 0, distinct_bytes = 0;
  for (std::uint32_t id : order) {
    const Hits &text = text_hits_[id], &title = title_hits_[id];
    if (text.pages) entries.push_back({&words_[id], &text.codes, text.pages, false});
    if (title.pages) entries.push_back({&words_[id], &title.codes, title.pages, true});
    longest = std::max(longest, words_[id].size());
    distinct_bytes += words_[id].size();
  }

  // The layout is worked out first, and the bytes are given in order after:
  // the location codes of a leaf's entries, then the leaf, for each leaf;
  // then the index nodes. `at` is where the next byte stands in the index.
  std::uint32_t at = 0x400;
  Bytes leaf_nodes;
  std::vector<std::size_t> leaf_ends;  // per leaf, the end of its entries
  std::vector<std::pair<std::string, std::uint32_t>> keys;
  NodeWriter leaf(leaf_nodes, true);
  std::size_t first_pending = 0;
  auto close_leaf = [&](std::size_t end) {
    for (std::size_t k = first_pending; k < end; ++k) {
      const Entry& e = entries[k];
      leaf.PutWord(*e.word);
      leaf.Node().push_back(e.title ? 1 : 0);
      PutLowFirstInt(leaf.Node(), e.pages);
      PutU32(leaf.Node(), at);
      PutU16(leaf.Node(), 0);
      PutLowFirstInt(leaf.Node(), e.codes->size);
      at += static_cast<std::uint32_t>(e.codes->size);
    }
    leaf.Close(at, keys);
    at += kNodeSize;
    leaf_ends.push_back(end);
    first_pending = end;
  };
  // Each leaf takes the entries that fit, back to the last place where a
  // leaf may end (the fullest leaf when there is no such place).
  const std::vector<std::uint8_t> ends = LeafEnds(entries);
  std::size_t used = 8;
  std::string last;
  for (std::size_t k = 0; k < entries.size();) {
    const Entry& e = entries[k];
    const std::size_t shared = SharedPrefix(*e.word, last);
    const std::size_t size = 2 + e.word->size() - shared + 1 + EncIntSize(e.pages) + 6 + EncIntSize(e.codes->size);
    if (used + size > kNodeSize && k > first_pending) {
      std::size_t end = k;
      while (end > first_pending + 1 && !ends[end]) --end;
      if (!ends[end]) end = k;
      close_leaf(end);
      used = 8;
      last.clear();
      k = end;  // the next leaf starts there
      continue;
    }
    used += size;
    last = *e.word;
    ++k;
  }
  close_leaf(entries.size());
  const std::uint16_t leaf_unused = leaf.LastUnused();
  const auto leaves = static_cast<std::uint32_t>(leaf_ends.size());

  // Index levels over the leaves until one node holds them all.
  Bytes index_nodes;
  std::uint16_t depth = 1;
  while (keys.size() > 1) {
    std::vector<std::pair<std::string, std::uint32_t>> children;
    children.swap(keys);
    NodeWriter index(index_nodes, false);
    for (const auto& [word, offset] : children) {
      if (index.WordSize(word) + 6 > index.Room()) {
        index.Close(at, keys);
        at += kNodeSize;
      }
      index.PutWord(word);
      PutU32(index.Node(), offset);
      PutU16(index.Node(), 0);
    }
    index.Close(at, keys);
    at += kNodeSize;
    ++depth;
  }
  const std::uint32_t root = at - static_cast<std::uint32_t>(kNodeSize);

  Bytes header;
  PutU32(header, 0x00280000);
  PutU32(header, pages_);
  PutU32(header, root);
  PutU32(header, 0);
  PutU32(header, leaves);
  PutU32(header, root);
  PutU16(header, depth);
  PutU32(header, 7);
  for (std::uint8_t root_size : {kDocumentRoot, kCountRoot, kPlaceRoot}) {
    header.push_back(2);
    header.push_back(root_size);
  }
  header.resize(0x2E, 0);
  PutU32(header, static_cast<std::uint32_t>(kNodeSize));
  PutU32(header, 0);
  PutU32(header, 0);  // last duplicate word
  PutU32(header, 0);  // and its character
  PutU32(header, static_cast<std::uint32_t>(longest));
  PutU32(header, static_cast<std::uint32_t>(occurrences_));
  PutU32(header, static_cast<std::uint32_t>(words_.size()));
  PutU64(header, occurrence_bytes_);
  PutU32(header, static_cast<std::uint32_t>(distinct_bytes));
  PutU32(header, leaf_unused);
  PutU32(header, 0);
  PutU32(header, pages_ ? pages_ - 1 : 0);
  header.resize(0x7A, 0);
  PutU32(header, code_page);
  PutU32(header, lcid);
  header.resize(0x400, 0);

  if (!sink(header.data(), header.size())) return false;
  std::size_t k = 0;
  for (std::uint32_t l = 0; l < leaves; ++l) {
    for (; k < leaf_ends[l]; ++k) {
      bool ok = true;
      CodeStore::ForEachPiece(*entries[k].codes,
                              [&](const std::uint8_t* data, std::size_t size) { ok = ok && sink(data, size); });
      if (!ok) return false;
    }
    if (!sink(leaf_nodes.data() + std::size_t{l} * kNodeSize, kNodeSize)) return false;
  }
  return sink(index_nodes.data(), index_nodes.size());
}

Bytes FullTextIndex::Finish(std::uint32_t lcid, std::uint32_t code_page) {
  Bytes out;
  Finish(lcid, code_page, [&](const std::uint8_t* data, std::size_t size) {
    out.insert(out.end(), data, data + size);
    return true;
  });
  return out;
}

}  // namespace hha

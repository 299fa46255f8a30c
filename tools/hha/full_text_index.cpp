#include "full_text_index.h"

#include <algorithm>

#include "html_text.h"

namespace hha {

void BitWriterMsb::PutBits(std::uint64_t bits, int count) {
  pending_ = (pending_ << count) | bits;
  count_ += count;
  while (count_ >= 8) {
    count_ -= 8;
    out_.push_back(static_cast<std::uint8_t>(pending_ >> count_));
  }
  pending_ &= (std::uint64_t{1} << count_) - 1;
}

BitWriterMsb::~BitWriterMsb() {
  if (count_) out_.push_back(static_cast<std::uint8_t>(pending_ << (8 - count_)));
}

void BitWriterMsb::Put(std::uint32_t value, std::uint8_t root) {
  const int length = value ? 32 - __builtin_clz(value) : 0;
  if (length <= root) {
    PutBits(value, root + 1);  // a zero bit, then `root` bits
    return;
  }
  const int ones = length - root;
  const std::uint64_t head = ((std::uint64_t{1} << ones) - 1) << 1;              // the ones and a zero bit
  const std::uint64_t below = value & ((std::uint64_t{1} << (length - 1)) - 1);  // the bits below the top one
  if (ones + length <= 56) {
    PutBits((head << (length - 1)) | below, ones + length);
  } else {
    PutBits(head, ones + 1);
    PutBits(below, length - 1);
  }
}

std::uint32_t FullTextIndex::IdOf(std::string_view word) {
  std::uint32_t* slot = nullptr;
  if (word.size() == 2 && static_cast<unsigned char>(word[0]) >= 0x80) {
    if (character_ids_.empty()) character_ids_.assign(65536, 0);
    slot = &character_ids_[static_cast<unsigned char>(word[0]) * 256 + static_cast<unsigned char>(word[1])];
    if (*slot) return *slot - 1;
  } else if (auto it = ids_.find(word); it != ids_.end()) {
    return it->second;
  }
  const auto id = static_cast<std::uint32_t>(words_.size());
  if (slot) *slot = id + 1;
  else ids_.emplace(std::string(word), id);
  words_.emplace_back(word);
  hits_.emplace_back();
  count_.push_back(0);
  start_.push_back(0);
  return id;
}

void FullTextIndex::AddHits(std::uint32_t topic, bool title) {
  // Groups the places by word, keeping their order, in one pass.
  touched_.clear();
  for (const auto& [id, place] : places_)
    if (count_[id]++ == 0) touched_.push_back(id);
  std::uint32_t at = 0;
  for (std::uint32_t id : touched_) {
    start_[id] = at;
    at += count_[id];
  }
  grouped_.resize(places_.size());
  for (const auto& [id, place] : places_) grouped_[start_[id]++] = place;
  for (std::uint32_t id : touched_) {
    Hits& hits = title ? hits_[id].title : hits_[id].text;
    const std::uint32_t count = count_[id], first = start_[id] - count;
    BitWriterMsb bits(hits.codes);
    bits.Put(topic - hits.last_topic, kDocumentRoot);
    bits.Put(count, kCountRoot);
    std::uint32_t last = 0;
    for (std::uint32_t k = first; k < first + count; ++k) {
      bits.Put(grouped_[k] - last, kPlaceRoot);
      last = grouped_[k];
    }
    hits.last_topic = topic;
    ++hits.pages;
    count_[id] = 0;
  }
  places_.clear();
}

void FullTextIndex::AddPage(std::uint32_t topic, std::string_view html, std::string_view title) {
  ++pages_;
  auto collect = [&](std::string_view word, std::uint32_t place) {
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
  Bytes* codes;
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

// Builds the nodes of one level of the tree, each written to `out` as it
// fills; `keys` gets the last word and offset of each node.
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

  /// Writes the node and notes its key; a leaf's predecessor learns where it is.
  void Close(std::vector<std::pair<std::string, std::uint32_t>>& keys) {
    const auto offset = static_cast<std::uint32_t>(out_.size());
    const auto unused = static_cast<std::uint16_t>(Room());
    if (leaf_) {
      SetU16(node_, 6, unused);
      if (previous_leaf_) SetU32(out_, previous_leaf_, offset);
      previous_leaf_ = offset;
    } else {
      SetU16(node_, 0, unused);
    }
    node_.resize(FullTextIndex::kNodeSize, 0);
    out_.insert(out_.end(), node_.begin(), node_.end());
    keys.emplace_back(last_, offset);
    unused_ = unused;
    Start();
  }
  bool Empty() const { return last_.empty() && node_.size() == (leaf_ ? 8u : 2u); }
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
  std::size_t previous_leaf_ = 0;
  std::uint16_t unused_ = 0;
};

}  // namespace

Bytes FullTextIndex::Finish(std::uint32_t lcid, std::uint32_t code_page) {
  std::vector<std::uint32_t> order(words_.size());
  for (std::uint32_t i = 0; i < order.size(); ++i) order[i] = i;
  std::sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) { return words_[a] < words_[b]; });
  std::vector<Entry> entries;
  std::size_t longest = 0, distinct_bytes = 0;
  for (std::uint32_t id : order) {
    Word& w = hits_[id];
    if (w.text.pages) entries.push_back({&words_[id], &w.text.codes, w.text.pages, false});
    if (w.title.pages) entries.push_back({&words_[id], &w.title.codes, w.title.pages, true});
    longest = std::max(longest, words_[id].size());
    distinct_bytes += words_[id].size();
  }

  // Room for everything at once, so that the codes are never copied twice.
  std::size_t codes_bytes = 0;
  for (const Entry& e : entries) codes_bytes += e.codes->size();
  Bytes out;
  out.reserve(0x400 + codes_bytes + (entries.size() * 24 / kNodeSize + 2) * kNodeSize * 2);
  out.resize(0x400, 0);
  std::vector<std::pair<std::string, std::uint32_t>> keys;
  NodeWriter leaf(out, true);
  std::uint32_t leaves = 0;
  // The entries of a leaf are gathered first: their location codes go
  // before the leaf, so their offsets are known when the leaf is written.
  std::vector<const Entry*> pending;
  auto flush = [&] {
    for (const Entry* e : pending) {
      const auto offset = static_cast<std::uint32_t>(out.size());
      out.insert(out.end(), e->codes->begin(), e->codes->end());
      const std::size_t codes_size = e->codes->size();
      Bytes().swap(*e->codes);  // the copy in `out` is the one kept
      leaf.PutWord(*e->word);
      leaf.Node().push_back(e->title ? 1 : 0);
      PutLowFirstInt(leaf.Node(), e->pages);
      PutU32(leaf.Node(), offset);
      PutU16(leaf.Node(), 0);
      PutLowFirstInt(leaf.Node(), codes_size);
    }
    pending.clear();
    leaf.Close(keys);
    ++leaves;
  };
  std::size_t used = 8;
  std::string last;
  for (const Entry& e : entries) {
    std::size_t shared = SharedPrefix(*e.word, last);
    std::size_t size = 2 + e.word->size() - shared + 1 + EncIntSize(e.pages) + 6 + EncIntSize(e.codes->size());
    if (used + size > kNodeSize) {
      flush();
      used = 8;
      last.clear();
      shared = 0;
      size = 2 + e.word->size() + 1 + EncIntSize(e.pages) + 6 + EncIntSize(e.codes->size());
    }
    pending.push_back(&e);
    used += size;
    last = *e.word;
  }
  flush();
  const std::uint16_t leaf_unused = leaf.LastUnused();

  // Index levels over the leaves until one node holds them all.
  std::uint16_t depth = 1;
  while (keys.size() > 1) {
    std::vector<std::pair<std::string, std::uint32_t>> children;
    children.swap(keys);
    NodeWriter index(out, false);
    for (const auto& [word, offset] : children) {
      if (index.WordSize(word) + 6 > index.Room()) index.Close(keys);
      index.PutWord(word);
      PutU32(index.Node(), offset);
      PutU16(index.Node(), 0);
    }
    index.Close(keys);
    ++depth;
  }
  const auto root = static_cast<std::uint32_t>(out.size() - kNodeSize);

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
  std::copy(header.begin(), header.end(), out.begin());
  return out;
}

}  // namespace hha

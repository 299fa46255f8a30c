#include "chm_directory.h"

#include <algorithm>

#include "runtime/text.h"

namespace hha {
namespace {

constexpr std::uint8_t kDirectoryGuid[16] = {0x6A, 0x92, 0x02, 0x5D, 0x2E, 0x21, 0xD0, 0x11,
                                             0x9D, 0xF9, 0x00, 0xA0, 0xC9, 0x22, 0xE6, 0xEC};
constexpr std::uint32_t kItspHeaderSize = 0x54;
constexpr std::uint32_t kPmglHeaderSize = 0x14;
constexpr std::uint32_t kPmgiHeaderSize = 0x08;
constexpr std::uint32_t kQuickRefDensity = 2;                             // stored in the header
constexpr std::size_t kEntriesPerQuickRef = 1 + (1 << kQuickRefDensity);  // 5
constexpr std::uint32_t kNone = 0xFFFFFFFF;

// Bytes needed at the end of a chunk with n entries: the entry count, a
// quick-reference offset for every fifth entry and two spare bytes that
// readers expect to find there.
std::size_t TailSize(std::size_t n) { return 2 + 2 * ((n + kEntriesPerQuickRef - 1) / kEntriesPerQuickRef) + 2; }

struct ChunkBuilder {
  std::uint32_t header_size;
  Bytes entries;
  std::vector<std::uint16_t> starts;  // offset of each entry inside entries

  bool Fits(std::size_t entry_size) const {
    return header_size + entries.size() + entry_size + TailSize(starts.size() + 1) <= kChunkSize;
  }
  void Add(const Bytes& entry) {
    starts.push_back(static_cast<std::uint16_t>(entries.size()));
    entries.insert(entries.end(), entry.begin(), entry.end());
  }
  // Lays out the finished chunk; header bytes after the free-space field
  // come from `rest`.
  Bytes Finish(const char* signature, const Bytes& rest) const {
    Bytes chunk;
    chunk.reserve(kChunkSize);
    PutText(chunk, signature);
    PutU32(chunk, static_cast<std::uint32_t>(kChunkSize - header_size - entries.size()));
    chunk.insert(chunk.end(), rest.begin(), rest.end());
    chunk.insert(chunk.end(), entries.begin(), entries.end());
    chunk.resize(kChunkSize, 0);
    SetU16(chunk, kChunkSize - 2, static_cast<std::uint16_t>(starts.size()));
    for (std::size_t m = 1; m * kEntriesPerQuickRef < starts.size(); ++m)
      SetU16(chunk, kChunkSize - 2 - 2 * m, starts[m * kEntriesPerQuickRef]);
    return chunk;
  }
};

Bytes ListingEntry(const DirectoryEntry& e) {
  Bytes b;
  PutEncInt(b, e.name.size());
  PutText(b, e.name);
  PutEncInt(b, e.section);
  PutEncInt(b, e.offset);
  PutEncInt(b, e.length);
  return b;
}

Bytes IndexEntry(const std::string& name, std::uint32_t chunk) {
  Bytes b;
  PutEncInt(b, name.size());
  PutText(b, name);
  PutEncInt(b, chunk);
  return b;
}

// One node of the index: the chunk's first name and its chunk number.
struct ChunkRef {
  std::string first_name;
  std::uint32_t number;
};

}  // namespace

int CompareChmNames(std::string_view a, std::string_view b) {
  std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    auto x = static_cast<unsigned char>(qm::AsciiLowerByte(a[i]));
    auto y = static_cast<unsigned char>(qm::AsciiLowerByte(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

namespace {

// Appends the listing chunks of all entries to `chunks` and their first
// names to `level`; returns how many there are.
std::uint32_t AddListingChunks(const std::vector<DirectoryEntry>& sorted_entries, std::vector<Bytes>& chunks,
                               std::vector<ChunkRef>& level) {
  std::vector<ChunkBuilder> listing;
  std::vector<std::string> first_names;
  listing.push_back({kPmglHeaderSize, {}, {}});
  first_names.emplace_back();
  for (const DirectoryEntry& e : sorted_entries) {
    Bytes entry = ListingEntry(e);
    if (!listing.back().starts.empty() && !listing.back().Fits(entry.size())) {
      listing.push_back({kPmglHeaderSize, {}, {}});
      first_names.emplace_back();
    }
    if (listing.back().starts.empty()) first_names.back() = e.name;
    listing.back().Add(entry);
  }
  const auto listing_count = static_cast<std::uint32_t>(listing.size());
  for (std::uint32_t i = 0; i < listing_count; ++i) {
    Bytes rest;
    PutU32(rest, 0);
    PutU32(rest, i == 0 ? kNone : i - 1);
    PutU32(rest, i + 1 == listing_count ? kNone : i + 1);
    chunks.push_back(listing[i].Finish("PMGL", rest));
    level.push_back({first_names[i], i});
  }
  return listing_count;
}

// Appends the index chunks that point at the chunks of `level`; returns
// the level above.
std::vector<ChunkRef> AddIndexLevel(const std::vector<ChunkRef>& level, std::vector<Bytes>& chunks) {
  std::vector<ChunkRef> upper;
  ChunkBuilder current{kPmgiHeaderSize, {}, {}};
  std::string current_first;
  auto flush = [&]() {
    auto number = static_cast<std::uint32_t>(chunks.size());
    chunks.push_back(current.Finish("PMGI", {}));
    upper.push_back({current_first, number});
    current = ChunkBuilder{kPmgiHeaderSize, {}, {}};
  };
  for (const ChunkRef& ref : level) {
    Bytes entry = IndexEntry(ref.first_name, ref.number);
    if (!current.starts.empty() && !current.Fits(entry.size())) flush();
    if (current.starts.empty()) current_first = ref.first_name;
    current.Add(entry);
  }
  flush();
  return upper;
}

// The ITSP header in front of the chunks.
void PutDirectoryHeader(Bytes& out, std::uint32_t depth, std::uint32_t root, std::uint32_t listing_count,
                        std::size_t chunk_count, std::uint32_t lcid) {
  PutText(out, "ITSP");
  PutU32(out, 1);                // version
  PutU32(out, kItspHeaderSize);  // header length
  PutU32(out, 0x0A);
  PutU32(out, kChunkSize);
  PutU32(out, kQuickRefDensity);
  PutU32(out, depth);
  PutU32(out, root);
  PutU32(out, 0);                  // first listing chunk
  PutU32(out, listing_count - 1);  // last listing chunk
  PutU32(out, kNone);
  PutU32(out, static_cast<std::uint32_t>(chunk_count));
  PutU32(out, lcid);
  PutGuid(out, kDirectoryGuid);
  PutU32(out, kItspHeaderSize);
  PutU32(out, kNone);
  PutU32(out, kNone);
  PutU32(out, kNone);
}

}  // namespace

Bytes BuildDirectory(const std::vector<DirectoryEntry>& sorted_entries, std::uint32_t lcid) {
  std::vector<Bytes> chunks;
  std::vector<ChunkRef> level;
  const std::uint32_t listing_count = AddListingChunks(sorted_entries, chunks, level);

  // Index chunks, level by level, until one chunk covers everything. Even a
  // second listing chunk needs an index: some readers only search the root.
  std::uint32_t depth = 1;
  std::uint32_t root = kNone;
  while (level.size() > 1) {
    level = AddIndexLevel(level, chunks);
    ++depth;
    root = level.front().number;
  }

  Bytes out;
  out.reserve(kItspHeaderSize + chunks.size() * kChunkSize);
  PutDirectoryHeader(out, depth, root, listing_count, chunks.size(), lcid);
  for (const Bytes& c : chunks) out.insert(out.end(), c.begin(), c.end());
  return out;
}

}  // namespace hha

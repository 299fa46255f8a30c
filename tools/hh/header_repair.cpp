#include "header_repair.h"

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>

#include "little_endian.h"

namespace hh {
namespace {

constexpr unsigned char kGuid1[16] = {0x10, 0xFD, 0x01, 0x7C, 0xAA, 0x7B, 0xD0, 0x11,
                                      0x9E, 0x0C, 0x00, 0xA0, 0xC9, 0x22, 0xE6, 0xEC};
constexpr unsigned char kGuid2[16] = {0x11, 0xFD, 0x01, 0x7C, 0xAA, 0x7B, 0xD0, 0x11,
                                      0x9E, 0x0C, 0x00, 0xA0, 0xC9, 0x22, 0xE6, 0xEC};

// Offsets in the ITSF header and the ITSP directory header.
constexpr off_t kGuid2Offset = 0x28;
constexpr off_t kDirectoryHeaderOffset = 0x48;
constexpr off_t kDirectoryHeaderSize = 0x54;
constexpr off_t kChunkSizeField = 0x10;
constexpr off_t kFirstListingField = 0x20;
constexpr off_t kLastListingField = 0x24;
constexpr off_t kChunkCountField = 0x2C;
constexpr off_t kIndexRootField = 0x1C;
constexpr off_t kListingNextField = 0x10;
constexpr off_t kFreeSpaceField = 0x04;
constexpr std::uint32_t kIndexEntriesStart = 0x08;
// The decoder's own limits; beyond them it refuses the book anyway.
constexpr std::uint32_t kMaxChunks = 100000;
constexpr std::uint32_t kMaxChunkSize = 8192;

ByteOverlay Le32Overlay(off_t offset, std::uint32_t value) {
  ByteOverlay o{offset, {}};
  for (int i = 0; i < 4; ++i) o.bytes.push_back(static_cast<unsigned char>(value >> (8 * i)));
  return o;
}

bool ReadExactly(int fd, unsigned char* data, std::size_t length, off_t at) {
  return ::pread(fd, data, length, at) == static_cast<ssize_t>(length);
}

}  // namespace

std::vector<ByteOverlay> HeaderRepairs(int fd) {
  std::vector<ByteOverlay> repairs;
  unsigned char head[0x58];
  if (!ReadExactly(fd, head, sizeof head, 0) || std::memcmp(head, "ITSF", 4) != 0 ||
      std::memcmp(head + 0x18, kGuid1, 16) != 0)
    return repairs;
  if (std::memcmp(head + kGuid2Offset, kGuid1, 16) == 0)
    repairs.push_back({kGuid2Offset, std::vector<unsigned char>(kGuid2, kGuid2 + 16)});

  const std::uint64_t directory_header = Le64(head + kDirectoryHeaderOffset);
  unsigned char itsp[kDirectoryHeaderSize];
  if (directory_header > static_cast<std::uint64_t>(INT64_MAX / 2) ||
      !ReadExactly(fd, itsp, sizeof itsp, static_cast<off_t>(directory_header)) || std::memcmp(itsp, "ITSP", 4) != 0)
    return repairs;
  const std::uint32_t chunk_size = Le32(itsp + kChunkSizeField);
  const std::uint32_t chunks = Le32(itsp + kChunkCountField);
  if (chunk_size < 4 || chunk_size > kMaxChunkSize || chunks == 0 || chunks > kMaxChunks) return repairs;

  const off_t first_chunk = static_cast<off_t>(directory_header) + kDirectoryHeaderSize;
  std::uint32_t first = UINT32_MAX, last = 0;
  for (std::uint32_t i = 0; i < chunks; ++i) {
    unsigned char signature[4];
    // A directory that cannot be read whole is damaged: leave it to the decoder.
    if (!ReadExactly(fd, signature, 4, first_chunk + static_cast<off_t>(i) * chunk_size)) return repairs;
    if (std::memcmp(signature, "PMGL", 4) != 0) continue;
    first = std::min(first, i);
    last = i;
  }
  const std::uint32_t header_first = Le32(itsp + kFirstListingField);
  const std::uint32_t header_last = Le32(itsp + kLastListingField);
  if (first == UINT32_MAX || header_first > header_last) return repairs;
  // Only ever widen the range: chunks in it that are not listings are skipped anyway.
  if (first < header_first || last > header_last) {
    const off_t base = static_cast<off_t>(directory_header);
    repairs.push_back(Le32Overlay(base + kFirstListingField, std::min(first, header_first)));
    repairs.push_back(Le32Overlay(base + kLastListingField, std::max(last, header_last)));
  }
  return repairs;
}

void ApplyOverlays(const std::vector<ByteOverlay>& overlays, unsigned char* data, off_t at, std::size_t length) {
  const off_t end = at + static_cast<off_t>(length);
  for (const ByteOverlay& o : overlays) {
    const off_t from = std::max(at, o.offset);
    const off_t to = std::min(end, o.offset + static_cast<off_t>(o.bytes.size()));
    for (off_t i = from; i < to; ++i) data[i - at] = o.bytes[static_cast<std::size_t>(i - o.offset)];
  }
}

}  // namespace hh

namespace hh {
namespace {

// Reads a variable-length number of the directory; false past `end`.
bool ReadEncint(const std::vector<unsigned char>& chunk, std::size_t& at, std::size_t end, std::uint64_t& value) {
  value = 0;
  for (int i = 0; i < 9 && at < end; ++i) {
    const unsigned char b = chunk[at++];
    value = (value << 7) | (b & 0x7F);
    if ((b & 0x80) == 0) return true;
  }
  return false;
}

// The directory as its ITSP header describes it.
struct DirectoryShape {
  off_t first_chunk = 0;
  std::uint32_t chunk_size = 0;
  std::uint32_t chunks = 0;
  std::uint32_t first_listing = 0;
  std::uint32_t last_listing = 0;
  std::uint32_t index_root = 0;
};

// Reads the book's bytes as the overlays correct them, one chunk at a time.
class ChunkReader {
 public:
  ChunkReader(int fd, const std::vector<ByteOverlay>& overlays) : fd_(fd), overlays_(overlays) {}

  bool Read(unsigned char* data, std::size_t length, off_t at) const {
    if (!ReadExactly(fd_, data, length, at)) return false;
    ApplyOverlays(overlays_, data, at, length);
    return true;
  }

  /// Reads the headers; false when they do not describe a directory the
  /// decoder would walk.
  bool ReadShape() {
    unsigned char head[0x58];
    if (!Read(head, sizeof head, 0) || std::memcmp(head, "ITSF", 4) != 0) return false;
    const std::uint64_t directory_header = Le64(head + kDirectoryHeaderOffset);
    unsigned char itsp[kDirectoryHeaderSize];
    if (directory_header > static_cast<std::uint64_t>(INT64_MAX / 2) ||
        !Read(itsp, sizeof itsp, static_cast<off_t>(directory_header)) || std::memcmp(itsp, "ITSP", 4) != 0)
      return false;
    shape_.chunk_size = Le32(itsp + kChunkSizeField);
    shape_.chunks = Le32(itsp + kChunkCountField);
    if (shape_.chunk_size <= kListingNextField + 4 || shape_.chunk_size > kMaxChunkSize || shape_.chunks == 0 ||
        shape_.chunks > kMaxChunks)
      return false;
    shape_.first_chunk = static_cast<off_t>(directory_header) + kDirectoryHeaderSize;
    shape_.first_listing = Le32(itsp + kFirstListingField);
    shape_.last_listing = Le32(itsp + kLastListingField);
    shape_.index_root = Le32(itsp + kIndexRootField);
    chunk_.resize(shape_.chunk_size);
    return true;
  }

  /// Reads chunk `n` into chunk(); false past the directory or on a read error.
  bool Load(std::uint32_t n) {
    return n < shape_.chunks &&
           Read(chunk_.data(), shape_.chunk_size, shape_.first_chunk + static_cast<off_t>(n) * shape_.chunk_size);
  }

  const DirectoryShape& Shape() const { return shape_; }
  const std::vector<unsigned char>& Chunk() const { return chunk_; }

 private:
  int fd_;
  const std::vector<ByteOverlay>& overlays_;
  DirectoryShape shape_;
  std::vector<unsigned char> chunk_;
};

// True when the listing chunks, walked as a lookup walks them (from the
// first by "next"), come back to one already seen.
bool ListingChunksLoop(ChunkReader& reader) {
  const DirectoryShape& shape = reader.Shape();
  std::vector<char> seen(shape.chunks, 0);
  for (std::uint32_t n = shape.first_listing; n <= shape.last_listing;
       n = Le32(reader.Chunk().data() + kListingNextField)) {
    if (!reader.Load(n) || std::memcmp(reader.Chunk().data(), "PMGL", 4) != 0) break;
    if (seen[n]) return true;
    seen[n] = 1;
  }
  return false;
}

// The chunks index chunk `n` points at; none when it is not an index chunk.
std::vector<std::uint32_t> IndexChildren(ChunkReader& reader, std::uint32_t n) {
  std::vector<std::uint32_t> children;
  if (!reader.Load(n) || std::memcmp(reader.Chunk().data(), "PMGI", 4) != 0) return children;
  const std::vector<unsigned char>& chunk = reader.Chunk();
  const std::uint32_t chunk_size = reader.Shape().chunk_size;
  const std::uint32_t free = Le32(chunk.data() + kFreeSpaceField);
  const std::size_t end = free < chunk_size - kIndexEntriesStart ? chunk_size - free : kIndexEntriesStart;
  std::size_t at = kIndexEntriesStart;
  std::uint64_t length, target;
  while (at < end && ReadEncint(chunk, at, end, length) && length <= end - at) {
    at += length;
    if (!ReadEncint(chunk, at, end, target)) break;
    if (target < reader.Shape().chunks) children.push_back(static_cast<std::uint32_t>(target));
  }
  return children;
}

// True when a path from the root index chunk down comes back to a chunk
// on it. Colours: 0 unvisited, 1 on the current path, 2 done.
bool IndexChunksLoop(ChunkReader& reader) {
  const std::uint32_t root = reader.Shape().index_root;
  if (root >= reader.Shape().chunks) return false;
  std::vector<char> colour(reader.Shape().chunks, 0);
  std::vector<std::pair<std::uint32_t, std::vector<std::uint32_t>>> path;  // chunk, children left
  auto enter = [&](std::uint32_t n) {
    colour[n] = 1;
    path.emplace_back(n, IndexChildren(reader, n));
  };
  enter(root);
  while (!path.empty()) {
    auto& [n, children] = path.back();
    if (children.empty()) {
      colour[n] = 2;
      path.pop_back();
      continue;
    }
    const std::uint32_t next = children.back();
    children.pop_back();
    if (colour[next] == 1) return true;
    if (colour[next] == 0) enter(next);
  }
  return false;
}

}  // namespace

std::string DirectoryLoop(int fd, const std::vector<ByteOverlay>& overlays) {
  // Each chunk is read at most once per walk, so the check takes time in
  // proportion to the directory (itself bounded by the file).
  ChunkReader reader(fd, overlays);
  if (!reader.ReadShape()) return {};
  if (ListingChunksLoop(reader)) return "the book's directory is damaged: its listing chunks form a loop";
  if (IndexChunksLoop(reader)) return "the book's directory is damaged: its index chunks form a loop";
  return {};
}

}  // namespace hh

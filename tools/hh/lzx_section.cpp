#include "lzx_section.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "little_endian.h"

namespace hh {
namespace {

constexpr std::uint32_t kFrameSize = 32768;
// Compressed bytes read at a time: small enough to come from the heap
// rather than fresh pages, each of which costs a fault when first filled.
constexpr std::size_t kInputChunk = 64 * 1024;
constexpr std::size_t kInputSlack = 16;   // room to load 8 bytes at the end of the buffer
constexpr std::size_t kWindowSlack = 64;  // match copies may write up to 15 bytes past the window
constexpr unsigned kNumChars = 256;
constexpr unsigned kLengthSymbols = 249;
constexpr unsigned kMaxMainSymbols = kNumChars + 50 * 8;
// A run of equal lengths may write up to 50 entries past the last symbol
// asked for: those entries are kept, as the next list starts from them.
constexpr unsigned kLengthSafety = 64;
constexpr int kMaxCodeLength = 16;
constexpr int kMainRootBits = 12;
constexpr std::uint32_t kControlSize = 0x1C;
constexpr std::uint32_t kTableHeaderSize = 0x28;

enum BlockType : int { kVerbatim = 1, kAligned = 2, kUncompressed = 3 };

constexpr unsigned kPositionSlots[7] = {30, 32, 34, 36, 38, 42, 50};

struct OffsetSlots {
  std::uint32_t base[50];
  unsigned char extra[50];
};

constexpr OffsetSlots kSlots = [] {
  OffsetSlots s{};
  std::uint32_t base = 0;
  for (unsigned i = 0; i < 50; ++i) {
    s.extra[i] = static_cast<unsigned char>(i < 4 ? 0 : i < 36 ? i / 2 - 1 : 17);
    s.base[i] = base;
    base += 1u << s.extra[i];
  }
  return s;
}();

}  // namespace

// A canonical Huffman code as a lookup table: the top `root` bits of the
// bit buffer pick an entry; codes longer than that go on through a
// sub-table indexed by the following bits, up to 16 in all. An entry holds
// either the symbol above bit 6 and the code's length in bits 0-4, or, with
// bit 31 set, the start of its sub-table above bit 6.
struct LzxSection::Tree {
  static constexpr std::uint32_t kSubTable = 1u << 31;
  /// Where the sub-table of entry `e` (kSubTable set) starts.
  static std::uint32_t SubStart(std::uint32_t e) { return (e & ~kSubTable) >> 6; }

  Tree(int root, unsigned symbols)
      : root_bits(root), entries(new std::uint32_t[(std::size_t{1} << root) + (symbols << (kMaxCodeLength - root))]) {}

  /// Builds the table for `lengths` of `symbols` symbols. False when the
  /// lengths give no complete code: more than 16 bits, too many codes of
  /// some length, or too few to cover every bit pattern. A code of no
  /// symbols at all is allowed (`empty` then): decoding with it fails.
  bool Build(const unsigned char* lengths, unsigned symbols) {
    unsigned count[kMaxCodeLength + 1] = {};
    for (unsigned s = 0; s < symbols; ++s) {
      if (lengths[s] > kMaxCodeLength) return false;
      ++count[lengths[s]];
    }
    empty = count[0] == symbols;
    if (empty) return true;
    std::int64_t left = 1;
    for (int len = 1; len <= kMaxCodeLength; ++len) {
      left = left * 2 - count[len];
      if (left < 0) return false;
    }
    if (left != 0) return false;
    // Symbols by code length, then by number: the order of their codes.
    std::uint16_t sorted[kMaxMainSymbols];
    unsigned first[kMaxCodeLength + 2] = {};
    for (int len = 1; len <= kMaxCodeLength; ++len) first[len + 1] = first[len] + count[len];
    for (unsigned s = 0; s < symbols; ++s)
      if (lengths[s] != 0) sorted[first[lengths[s]]++] = static_cast<std::uint16_t>(s);
    const int sub_bits = kMaxCodeLength - root_bits;
    std::uint32_t sub_next = 1u << root_bits;
    std::uint32_t last_prefix = ~0u;
    std::uint32_t code = 0;
    unsigned k = 0;
    for (int len = 1; len <= kMaxCodeLength; ++len, code <<= 1) {
      for (unsigned i = 0; i < count[len]; ++i, ++k, ++code) {
        const std::uint32_t entry = std::uint32_t{sorted[k]} << 6 | static_cast<std::uint32_t>(len);
        if (len <= root_bits) {
          std::uint32_t* at = &entries[code << (root_bits - len)];
          std::fill(at, at + (std::size_t{1} << (root_bits - len)), entry);
          continue;
        }
        const std::uint32_t prefix = code >> (len - root_bits);
        if (prefix != last_prefix) {
          // Codes come in increasing order, so those sharing a prefix are together.
          entries[prefix] = kSubTable | sub_next << 6;
          last_prefix = prefix;
          sub_next += 1u << sub_bits;
        }
        const std::uint32_t low = code & ((1u << (len - root_bits)) - 1);
        std::uint32_t* at = &entries[SubStart(entries[prefix]) + (low << (kMaxCodeLength - len))];
        std::fill(at, at + (std::size_t{1} << (kMaxCodeLength - len)), entry);
      }
    }
    return true;
  }

  int root_bits;
  bool empty = true;
  std::unique_ptr<std::uint32_t[]> entries;
};

std::string ReadLzxLayout(const std::vector<unsigned char>& control, const std::vector<unsigned char>& table,
                          LzxLayout& layout) {
  if (control.size() != kControlSize) return "ControlData has an unusual size";
  if (Le32(&control[4]) != 0x43585A4C) return "ControlData lacks its signature";
  std::uint64_t reset_interval = Le32(&control[12]);
  std::uint64_t window = Le32(&control[16]);
  switch (Le32(&control[8])) {
    case 1: break;
    case 2:
      reset_interval *= kFrameSize;
      window *= kFrameSize;
      break;
    default: return "ControlData has an unknown version";
  }
  layout.window_bits = 0;
  for (int bits = 15; bits <= 21; ++bits)
    if (window == std::uint64_t{1} << bits) layout.window_bits = bits;
  if (layout.window_bits == 0) return "the window size is not one LZX has";
  // libmspack keeps these in an int: larger ones it reads otherwise.
  if (reset_interval == 0 || reset_interval % kFrameSize != 0 || reset_interval > 0x7FFFFFFF)
    return "the reset interval is not a whole number of frames";
  layout.reset_frames = static_cast<std::uint32_t>(reset_interval / kFrameSize);

  if (table.size() < kTableHeaderSize || table.size() > kMaxResetTableBytes)
    return "the reset table has an unusual size";
  if (Le32(&table[0x20]) != kFrameSize) return "the reset table has another frame size";
  const std::uint64_t length = Le64(&table[0x10]);
  if (length > (std::uint64_t{1} << 40)) return "the reset table gives an unusual length";
  layout.length = (length + reset_interval - 1) / reset_interval * reset_interval;
  const std::uint32_t entries = Le32(&table[4]);
  const std::uint32_t entry_size = Le32(&table[8]);
  const std::uint32_t table_offset = Le32(&table[12]);
  if (entry_size != 8 && entry_size != 4) return "the reset table has an unusual entry size";
  layout.frame_starts.clear();
  // Entries past the table or past where 32-bit sums of libmspack wrap are
  // left out: files at their frames go to libmspack.
  for (std::uint64_t i = 0; i < entries; ++i) {
    const std::uint64_t at = table_offset + i * entry_size;
    if (at > 0xFFFFFFFFu || at + entry_size > table.size()) break;
    const std::uint64_t start = entry_size == 8 ? Le64(&table[at]) : Le32(&table[at]);
    layout.frame_starts.push_back(start);
  }
  return {};
}

LzxSection::LzxSection(int book_fd, std::vector<ByteOverlay> overlays, LzxLayout layout)
    : book_fd_(book_fd),
      overlays_(std::move(overlays)),
      layout_(std::move(layout)),
      window_size_(1u << layout_.window_bits),
      main_symbols_(kNumChars + kPositionSlots[layout_.window_bits - 15] * 8),
      buffer_(new unsigned char[kInputChunk + kInputSlack]),
      window_(new unsigned char[window_size_ + kWindowSlack]),
      main_(new Tree(kMainRootBits, kMaxMainSymbols)),
      length_(new Tree(10, kLengthSymbols)),
      aligned_(new Tree(7, 8)),
      pretree_(new Tree(8, 20)),
      main_lengths_(new unsigned char[kMaxMainSymbols + kLengthSafety]),
      length_lengths_(new unsigned char[kLengthSymbols + 1 + kLengthSafety]) {
  std::memset(window_.get(), 0, window_size_ + kWindowSlack);
  std::memset(main_lengths_.get(), 0, kMaxMainSymbols + kLengthSafety);
  std::memset(length_lengths_.get(), 0, kLengthSymbols + 1 + kLengthSafety);
  next_ = end_ = buffer_.get();
}

LzxSection::~LzxSection() = default;

bool LzxSection::Fail(const std::string& why) {
  error_ = why;
  started_ = false;
  return false;
}

// ---- input ----

bool LzxSection::Fill(std::uint64_t at) {
  buffer_start_ = at;
  next_ = end_ = buffer_.get();
  if (at >= layout_.stream_length) return true;
  const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(kInputChunk, layout_.stream_length - at));
  std::size_t got = 0;
  while (got < want) {
    const ssize_t n =
        ::pread(book_fd_, buffer_.get() + got, want - got, layout_.stream_start + static_cast<off_t>(at + got));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return Fail(std::string("cannot read the book: ") + std::strerror(errno));
    if (n == 0) return Fail("the book ends inside its compressed data");
    got += static_cast<std::size_t>(n);
  }
  ApplyOverlays(overlays_, buffer_.get(), layout_.stream_start + static_cast<off_t>(at), got);
  end_ = buffer_.get() + got;
  return true;
}

namespace {

// Adds whole 16-bit words (little-endian, read from their top bit) from
// `in`, which holds at least 8 bytes, below the `count` bits held in
// `bits` (first at the top), leaving at least 49.
inline void RefillFromEight(std::uint64_t& bits, int& count, const unsigned char*& in) {
  std::uint64_t v;
  std::memcpy(&v, in, 8);
  v = ((v & 0xFFFF0000FFFF0000ull) >> 16) | ((v & 0x0000FFFF0000FFFFull) << 16);
  v = (v >> 32) | (v << 32);
  // Bits below the whole words added are the stream's next ones, which
  // the next refill adds again at the same places.
  bits |= v >> count;
  const int words = (64 - count) >> 4;
  in += 2 * words;
  count += 16 * words;
}

// Copies the bytes from `src` to `dst` up to `stop` in chunks of N, writing
// up to N - 1 bytes past `stop`; `src` lies at least N bytes before `dst`,
// so no chunk reads what it writes.
template <std::size_t N>
inline void CopyInChunks(unsigned char* dst, const unsigned char* src, const unsigned char* stop) {
  do {
    std::memcpy(dst, src, N);
    dst += N;
    src += N;
  } while (dst < stop);
}

}  // namespace

// Adds whole 16-bit words below the bits held, at least 49 bits in all;
// past the end of the stream the words are zero, and counted in fake_bits_.
inline void LzxSection::Refill() {
  if (end_ - next_ >= 8) return RefillFromEight(bits_, bit_count_, next_);
  RefillSlow();
}

void LzxSection::RefillSlow() {
  if (end_ - next_ < 8 && buffer_start_ + static_cast<std::uint64_t>(end_ - buffer_.get()) < layout_.stream_length) {
    if (!Fill(StreamPosition())) {
      // A read error: go on with zero bits, which count as past the end.
      next_ = end_ = buffer_.get();
      buffer_start_ = layout_.stream_length;
    }
    if (end_ - next_ >= 8) {
      Refill();
      return;
    }
  }
  while (bit_count_ <= 48) {
    std::uint64_t word = 0;
    if (end_ - next_ >= 2) {
      word = static_cast<std::uint64_t>(next_[1]) << 8 | next_[0];
      next_ += 2;
    } else {
      fake_bits_ += 16;
    }
    bits_ |= word << (48 - bit_count_);
    bit_count_ += 16;
  }
}

inline std::uint32_t LzxSection::ReadBits(int count) {
  if (bit_count_ < 49) Refill();
  const auto v = static_cast<std::uint32_t>(bits_ >> (64 - count));
  bits_ <<= count;
  bit_count_ -= count;
  return v;
}

std::uint64_t LzxSection::BitsConsumedAt() const {
  return StreamPosition() * 8 + static_cast<std::uint64_t>(fake_bits_) - static_cast<std::uint64_t>(bit_count_);
}

bool LzxSection::SeekBytes(std::uint64_t at) {
  bits_ = 0;
  bit_count_ = 0;
  fake_bits_ = 0;
  const std::uint64_t buffer_end = buffer_start_ + static_cast<std::uint64_t>(end_ - buffer_.get());
  if (at >= buffer_start_ && at <= buffer_end) {
    next_ = buffer_.get() + (at - buffer_start_);
    return true;
  }
  return Fill(at);
}

bool LzxSection::ReadBytes(unsigned char* out, std::size_t count) {
  while (count > 0) {
    if (next_ == end_) {
      if (StreamPosition() >= layout_.stream_length) return Fail("the compressed data ends inside a stored block");
      if (!Fill(StreamPosition())) return false;
      continue;
    }
    const std::size_t n = std::min(count, static_cast<std::size_t>(end_ - next_));
    std::memcpy(out, next_, n);
    out += n;
    next_ += n;
    count -= n;
  }
  return true;
}

// ---- decoding ----

void LzxSection::ResetState() {
  r0_ = r1_ = r2_ = 1;
  header_read_ = false;
  block_type_ = 0;
  block_length_ = 0;
  block_remaining_ = 0;
  since_reset_ = 0;
  std::memset(main_lengths_.get(), 0, kMaxMainSymbols + kLengthSafety);
  std::memset(length_lengths_.get(), 0, kLengthSymbols + 1);
}

bool LzxSection::Start(std::uint64_t offset) {
  const std::uint64_t interval = std::uint64_t{layout_.reset_frames} * kFrameSize;
  const std::uint64_t frame = offset / interval * layout_.reset_frames;
  if (frame >= layout_.frame_starts.size()) return false;
  const std::uint64_t at = layout_.frame_starts[frame];
  if (at >= layout_.stream_length) return false;
  if (!SeekBytes(at)) return false;
  first_frame_ = frame;
  frames_ = 0;
  position_ = 0;
  calls_seen_ = false;
  last_frame_ = nullptr;
  ResetState();
  started_ = true;
  return true;
}

bool LzxSection::ReadLengths(unsigned char* lengths, unsigned first, unsigned last) {
  unsigned char pre[20];
  for (unsigned char& p : pre) p = static_cast<unsigned char>(ReadBits(4));
  if (!pretree_->Build(pre, 20)) return Fail("a code-length code is not a whole code");
  if (pretree_->empty) return first >= last || Fail("a code-length code has no codes");
  const std::uint32_t* table = pretree_->entries.get();
  const auto symbol = [&] {
    if (bit_count_ < 49) Refill();
    std::uint32_t e = table[bits_ >> (64 - 8)];
    if (e & Tree::kSubTable) e = table[Tree::SubStart(e) + ((bits_ >> (64 - kMaxCodeLength)) & 0xFF)];
    const int len = static_cast<int>(e & 31);
    bits_ <<= len;
    bit_count_ -= len;
    return static_cast<int>(e >> 6);
  };
  unsigned x = first;
  while (x < last) {
    const int z = symbol();
    if (z == 17 || z == 18) {
      unsigned run = z == 17 ? ReadBits(4) + 4 : ReadBits(5) + 20;
      while (run-- > 0) lengths[x++] = 0;
    } else if (z == 19) {
      unsigned run = ReadBits(1) + 4;
      int v = lengths[x] - symbol();
      if (v < 0) v += 17;
      while (run-- > 0) lengths[x++] = static_cast<unsigned char>(v);
    } else {
      int v = lengths[x] - z;
      if (v < 0) v += 17;
      lengths[x++] = static_cast<unsigned char>(v);
    }
  }
  return true;
}

bool LzxSection::ReadBlockHeader() {
  if (block_type_ == kUncompressed && (block_length_ & 1)) {
    // A stored block of odd length is followed by one byte of padding.
    unsigned char pad;
    if (!ReadBytes(&pad, 1)) return false;
  }
  block_type_ = static_cast<int>(ReadBits(3));
  const std::uint32_t high = ReadBits(16);
  block_length_ = block_remaining_ = high << 8 | ReadBits(8);
  if (Overran()) return Fail("the compressed data ends too early");
  switch (block_type_) {
    case kAligned:
      for (unsigned char& a : aligned_lengths_) a = static_cast<unsigned char>(ReadBits(3));
      if (!aligned_->Build(aligned_lengths_, 8)) return Fail("the aligned-offset code is not a whole code");
      [[fallthrough]];
    case kVerbatim: {
      unsigned char* lengths = main_lengths_.get();
      if (!ReadLengths(lengths, 0, kNumChars) || !ReadLengths(lengths, kNumChars, main_symbols_)) return false;
      for (unsigned s = main_symbols_; s < kMaxMainSymbols + kLengthSafety; ++s)
        if (lengths[s] != 0) return Fail("a code length is given past the last symbol");
      if (!main_->Build(lengths, main_symbols_)) return Fail("the main code is not a whole code");
      if (main_->empty && block_remaining_ > 0) return Fail("a block has no main code");
      if (lengths[0xE8] != 0) calls_seen_ = true;
      unsigned char* lens = length_lengths_.get();
      if (!ReadLengths(lens, 0, kLengthSymbols)) return false;
      if (lens[kLengthSymbols] != 0) return Fail("a code length is given past the last symbol");
      if (!length_->Build(lens, kLengthSymbols)) return Fail("the length code is not a whole code");
      if (Overran()) return Fail("the compressed data ends too early");
      return true;
    }
    case kUncompressed: {
      calls_seen_ = true;
      // Skip to the next 16-bit word, a whole one when already at one;
      // the three repeated offsets follow as bytes.
      const int partial = bit_count_ & 15;
      const std::uint64_t at = (BitsConsumedAt() + static_cast<std::uint64_t>(partial ? partial : 16)) / 8;
      if (Overran() || !SeekBytes(at)) return Fail("the compressed data ends too early");
      unsigned char r[12];
      if (!ReadBytes(r, sizeof r)) return false;
      r0_ = Le32(r);
      r1_ = Le32(r + 4);
      r2_ = Le32(r + 8);
      return true;
    }
    default: return Fail("a block has an unknown type");
  }
}

bool LzxSection::CopyStored(std::uint32_t run_end) {
  const std::uint32_t n = run_end - position_;
  if (!ReadBytes(window_.get() + position_, n)) return false;
  position_ = run_end;
  return true;
}

bool LzxSection::DecodeRun(std::uint32_t run_end, bool aligned) {
  unsigned char* const window = window_.get();
  const std::uint32_t* const main_table = main_->entries.get();
  const std::uint32_t* const length_table = length_->entries.get();
  const std::uint32_t* const aligned_table = aligned_->entries.get();
  const std::uint32_t frame_start = position_ & ~(kFrameSize - 1);
  // Bytes before the frame that matches may reach: those since the last
  // reset, no more than a window.
  const std::uint64_t before = since_reset_;
  // Copies in chunks may write up to 15 bytes past the match's end; that
  // is only safe while no byte after it in the window is still to be read
  // back: the data since the last reset, to the end of this frame, has not
  // filled the window, or fills it exactly and this frame ends the window
  // (the bytes past it are spare).
  const std::uint64_t at_frame_end = before + kFrameSize;
  const bool chunks_ok =
      at_frame_end < window_size_ || (at_frame_end == window_size_ && frame_start + kFrameSize == window_size_);
  std::uint32_t pos = position_;
  std::uint32_t r0 = r0_, r1 = r1_, r2 = r2_;
  std::uint64_t bits = bits_;
  int count = bit_count_;
  const unsigned char* in = next_;
  const unsigned char* in_end = end_;
  const bool no_lengths = length_->empty;
  const bool no_aligned = aligned_->empty;
  const auto sync_in = [&] {
    bits_ = bits;
    bit_count_ = count;
    next_ = in;
  };
  const auto take = [&](int n) {
    const auto v = static_cast<std::uint32_t>(bits >> (64 - n));
    bits <<= n;
    count -= n;
    return v;
  };
  // As Refill(), on the local copies.
  const auto refill = [&] {
    if (in_end - in >= 8) return RefillFromEight(bits, count, in);
    sync_in();
    RefillSlow();
    bits = bits_;
    count = bit_count_;
    in = next_;
    in_end = end_;
  };
  // A refill leaves at least 49 bits: enough for a main and a length
  // symbol (16 bits each) after at most one literal, and the offset's
  // extra bits are made sure of apart.
  while (pos < run_end) {
    if (count < 32) refill();
    std::uint32_t e = main_table[bits >> (64 - kMainRootBits)];
    if (e < kNumChars << 6) {  // a literal of a short code: the most common case
      bits <<= e & 31;
      count -= static_cast<int>(e & 31);
      window[pos++] = static_cast<unsigned char>(e >> 6);
      continue;
    }
    if (e & Tree::kSubTable)
      e = main_table[Tree::SubStart(e) +
                     ((bits >> (64 - kMaxCodeLength)) & ((1u << (kMaxCodeLength - kMainRootBits)) - 1))];
    int len = static_cast<int>(e & 31);
    bits <<= len;
    count -= len;
    std::uint32_t sym = e >> 6;
    if (sym < kNumChars) {
      window[pos++] = static_cast<unsigned char>(sym);
      continue;
    }
    sym -= kNumChars;
    std::uint32_t match_length = sym & 7;
    if (match_length == 7) {
      if (no_lengths) {
        sync_in();
        return Fail("a match needs the length code, which has no codes");
      }
      std::uint32_t l = length_table[bits >> (64 - 10)];
      if (l & Tree::kSubTable) l = length_table[Tree::SubStart(l) + ((bits >> (64 - kMaxCodeLength)) & 63)];
      len = static_cast<int>(l & 31);
      bits <<= len;
      count -= len;
      match_length += l >> 6;
    }
    match_length += 2;
    const std::uint32_t slot = sym >> 3;
    std::uint32_t offset;
    if (slot == 0) {
      offset = r0;
    } else if (slot == 1) {
      offset = r1;
      r1 = r0;
      r0 = offset;
    } else if (slot == 2) {
      offset = r2;
      r2 = r0;
      r0 = offset;
    } else {
      if (count < 32) refill();
      const int extra = kSlots.extra[slot];
      offset = kSlots.base[slot] - 2;
      if (aligned && extra >= 3) {
        if (extra > 3) offset += take(extra - 3) << 3;
        if (no_aligned) {
          sync_in();
          return Fail("a match needs the aligned-offset code, which has no codes");
        }
        const std::uint32_t a = aligned_table[bits >> (64 - 7)];
        len = static_cast<int>(a & 31);
        bits <<= len;
        count -= len;
        offset += a >> 6;
      } else if (extra > 0) {
        offset += take(extra);
      }
      r2 = r1;
      r1 = r0;
      r0 = offset;
    }
    if (match_length > run_end - pos) {
      sync_in();
      return Fail("a match runs past the end of its block or frame");
    }
    if (offset == 0 || offset > window_size_ || offset > before + (pos - frame_start)) {
      sync_in();
      return Fail("a match reaches before the start of the data");
    }
    unsigned char* dst = window + pos;
    if (offset <= pos) {
      const unsigned char* src = dst - offset;
      unsigned char* const stop = dst + match_length;
      if (offset >= 8 && match_length <= 8 && chunks_ok) {
        // Most matches are short: one copy, no loop.
        std::memcpy(dst, src, 8);
      } else if (offset >= 16 && chunks_ok) {
        CopyInChunks<16>(dst, src, stop);
      } else if (offset >= 8 && chunks_ok) {
        CopyInChunks<8>(dst, src, stop);
      } else if (offset == 1) {
        std::memset(dst, *src, match_length);
      } else {
        while (dst < stop) *dst++ = *src++;
      }
    } else {
      // The match starts in data from before the window last wrapped.
      std::uint32_t from = window_size_ - (offset - pos);
      for (std::uint32_t i = 0; i < match_length; ++i) {
        dst[i] = window[from];
        if (++from == window_size_) from = 0;
      }
    }
    pos += match_length;
  }
  sync_in();
  position_ = pos;
  r0_ = r0;
  r1_ = r1;
  r2_ = r2;
  return true;
}

void LzxSection::TranslateCalls(unsigned char* frame) const {
  // x86 CALL operands were stored as absolute targets; they go back to
  // relative ones. Positions count from where decoding started, as they do
  // in libmspack, whose output this matches.
  auto at = static_cast<std::uint32_t>(frames_ * kFrameSize);
  const auto size = static_cast<std::uint32_t>(call_file_size_);
  unsigned char* p = frame;
  unsigned char* const end = frame + kFrameSize - 10;
  while (p < end) {
    if (*p++ != 0xE8) {
      ++at;
      continue;
    }
    const auto target = static_cast<std::int32_t>(Le32(p));
    const auto here = static_cast<std::int32_t>(at);
    if (static_cast<std::int64_t>(target) >= -static_cast<std::int64_t>(here) && target < call_file_size_) {
      const std::uint32_t rel =
          target >= 0 ? static_cast<std::uint32_t>(target) - at : static_cast<std::uint32_t>(target) + size;
      p[0] = static_cast<unsigned char>(rel);
      p[1] = static_cast<unsigned char>(rel >> 8);
      p[2] = static_cast<unsigned char>(rel >> 16);
      p[3] = static_cast<unsigned char>(rel >> 24);
    }
    p += 4;
    at += 5;
  }
}

bool LzxSection::DecodeFrame() {
  if (frames_ % layout_.reset_frames == 0) {
    if (block_remaining_ != 0) return Fail("a block runs over a reset of the decoder");
    ResetState();
  }
  if (!header_read_) {
    std::uint32_t size = 0;
    if (ReadBits(1) != 0) {
      const std::uint32_t high = ReadBits(16);
      size = high << 16 | ReadBits(16);
    }
    call_file_size_ = static_cast<std::int32_t>(size);
    header_read_ = true;
  }
  const std::uint32_t frame_start = position_;
  const std::uint32_t frame_end = position_ + kFrameSize;
  while (position_ < frame_end) {
    if (block_remaining_ == 0 && !ReadBlockHeader()) return false;
    const std::uint32_t run = std::min(block_remaining_, frame_end - position_);
    const std::uint32_t run_end = position_ + run;
    if (block_type_ == kUncompressed ? !CopyStored(run_end) : !DecodeRun(run_end, block_type_ == kAligned))
      return false;
    block_remaining_ -= run;
  }
  // Each frame ends on a 16-bit word: the rest of a partly read one is padding.
  const int partial = bit_count_ & 15;
  bits_ <<= partial;
  bit_count_ -= partial;
  if (Overran()) return Fail("the compressed data ends too early");
  last_frame_ = window_.get() + frame_start;
  if (calls_seen_ && call_file_size_ != 0 && frames_ < 32768) {
    if (!translated_) translated_.reset(new unsigned char[kFrameSize]);
    std::memcpy(translated_.get(), last_frame_, kFrameSize);
    TranslateCalls(translated_.get());
    last_frame_ = translated_.get();
  }
  ++frames_;
  since_reset_ += kFrameSize;
  position_ = frame_end == window_size_ ? 0 : frame_end;
  return true;
}

bool LzxSection::WriteOut(const unsigned char* data, std::size_t length, int fd) {
  while (length > 0) {
    const ssize_t n = ::write(fd, data, length);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      error_ = std::string("write failed: ") + (n < 0 ? std::strerror(errno) : "no space");
      return false;
    }
    data += n;
    length -= static_cast<std::size_t>(n);
  }
  return true;
}

LzxOutcome LzxSection::Extract(std::uint64_t offset, std::uint64_t length, int fd) {
  error_.clear();
  if (length == 0) return LzxOutcome::kDone;
  if (offset > layout_.length || length > layout_.length - offset) return LzxOutcome::kNotHandled;
  if (!started_ || offset < end_of_last_) {
    if (!Start(offset)) {
      if (!error_.empty()) return LzxOutcome::kDamaged;
      return LzxOutcome::kNotHandled;
    }
  }
  const std::uint64_t end = offset + length;
  std::uint64_t at = offset;
  while (at < end) {
    const std::uint64_t next = (first_frame_ + frames_) * kFrameSize;
    if (last_frame_ && at < next) {
      const std::uint64_t frame_start = next - kFrameSize;
      const std::uint64_t n = std::min(end, next) - at;
      if (!WriteOut(last_frame_ + (at - frame_start), static_cast<std::size_t>(n), fd)) {
        started_ = false;
        return LzxOutcome::kWriteFailed;
      }
      at += n;
      continue;
    }
    if (!DecodeFrame()) {
      started_ = false;
      return LzxOutcome::kDamaged;
    }
  }
  end_of_last_ = end;
  return LzxOutcome::kDone;
}

}  // namespace hh

#include "lzx_writer.h"

#include <algorithm>
#include <array>
#include <random>

#include "chm_writer.h"
#include "huffman.h"

namespace hhtest {
namespace {

constexpr std::uint32_t kFrame = 32768;
constexpr unsigned kChars = 256;
constexpr unsigned kLengthSymbols = 249;
constexpr unsigned kSlotsByWindow[7] = {30, 32, 34, 36, 38, 42, 50};
enum : std::uint32_t { kVerbatim = 1, kAligned = 2, kStored = 3 };

unsigned ExtraBits(unsigned slot) { return slot < 4 ? 0 : slot < 36 ? slot / 2 - 1 : 17; }

std::uint32_t SlotBase(unsigned slot) {
  std::uint32_t base = 0;
  for (unsigned i = 0; i < slot; ++i) base += 1u << ExtraBits(i);
  return base;
}

// 16-bit little-endian words, each filled from its top bit.
struct BitWriter {
  std::string out;
  std::uint32_t word = 0;
  int used = 0;

  void Put(std::uint32_t value, int count) {
    for (int i = count - 1; i >= 0; --i) {
      word = word << 1 | ((value >> i) & 1);
      if (++used == 16) {
        out += static_cast<char>(word & 0xFF);
        out += static_cast<char>(word >> 8);
        word = 0;
        used = 0;
      }
    }
  }
  void Align() {
    if (used) Put(0, 16 - used);
  }
};

void EnsureTwo(std::vector<std::uint32_t>& freq) {
  int counted = 0;
  for (std::uint32_t f : freq) counted += f != 0;
  for (std::size_t s = 0; counted < 2 && s < freq.size(); ++s)
    if (!freq[s]) freq[s] = 1, ++counted;
}

struct Code {
  std::vector<unsigned char> lengths;
  std::vector<std::uint16_t> codes;
  void Make(const std::vector<std::uint32_t>& freq, int max_len) {
    lengths = hha::LimitedCodeLengths(freq, max_len);
    codes = hha::CanonicalCodes(lengths);
  }
  void Write(BitWriter& bits, unsigned symbol) const { bits.Put(codes[symbol], lengths[symbol]); }
};

// Writes `now`[first, last) as changes from `before`, through a code-length
// code, using each kind of run it can; `before` becomes `now`.
void WriteLengths(BitWriter& bits, std::vector<unsigned char>& before, const std::vector<unsigned char>& now,
                  unsigned first, unsigned last, std::mt19937& random) {
  struct Item {
    unsigned symbol, extra, extra_bits, second;
  };
  std::vector<Item> items;
  for (unsigned i = first; i < last;) {
    unsigned run = 0;
    while (i + run < last && now[i + run] == now[i]) ++run;
    if (now[i] == 0 && run >= 20) {
      const unsigned r = std::min(run, 51u);
      items.push_back({18, r - 20, 5, 0});
      i += r;
    } else if (now[i] == 0 && run >= 4) {
      const unsigned r = std::min(run, 19u);
      items.push_back({17, r - 4, 4, 0});
      i += r;
    } else if (run >= 4 && random() % 2) {
      const unsigned r = std::min(run, 5u);
      items.push_back({19, r - 4, 1, (before[i] + 17u - now[i]) % 17});
      i += r;
    } else {
      items.push_back({(before[i] + 17u - now[i]) % 17, 0, 0, 0});
      ++i;
    }
  }
  std::vector<std::uint32_t> freq(20, 0);
  for (const Item& it : items) {
    ++freq[it.symbol];
    if (it.symbol == 19) ++freq[it.second];
  }
  EnsureTwo(freq);
  Code pre;
  pre.Make(freq, 15);
  for (unsigned s = 0; s < 20; ++s) bits.Put(pre.lengths[s], 4);
  for (const Item& it : items) {
    pre.Write(bits, it.symbol);
    if (it.extra_bits) bits.Put(it.extra, static_cast<int>(it.extra_bits));
    if (it.symbol == 19) pre.Write(bits, it.second);
  }
  std::copy(now.begin() + first, now.begin() + last, before.begin() + first);
}

struct Item {
  std::uint32_t length = 0;  // 0: a literal
  std::uint32_t distance = 0;
  unsigned char byte = 0;
};

class Encoder {
 public:
  Encoder(const std::string& data, const LzxShape& shape)
      : data_(data),
        shape_(shape),
        window_(1u << shape.window_bits),
        main_symbols_(kChars + kSlotsByWindow[shape.window_bits - 15] * 8),
        random_(shape.seed),
        head_(1 << 16, -1),
        chain_(data.size(), -1) {}

  // Encodes every interval; frame_starts get the stream offset of each frame.
  std::string Run(std::vector<std::uint64_t>& frame_starts) {
    const std::size_t interval = std::size_t{shape_.reset_frames} * kFrame;
    for (std::size_t start = 0; start < data_.size(); start += interval) Interval(start, interval, frame_starts);
    return bits_.out;
  }

 private:
  void Interval(std::size_t start, std::size_t size, std::vector<std::uint64_t>& frame_starts) {
    main_before_.assign(main_symbols_, 0);
    length_before_.assign(kLengthSymbols, 0);
    r_ = {1, 1, 1};
    interval_start_ = start;
    frame_starts.push_back(bits_.out.size());
    bits_.Put(shape_.call_file_size ? 1 : 0, 1);
    if (shape_.call_file_size) {
      bits_.Put(shape_.call_file_size >> 16, 16);
      bits_.Put(shape_.call_file_size & 0xFFFF, 16);
    }
    std::size_t at = start;
    while (at < start + size) {
      std::size_t length;
      switch (random_() % 3) {
        case 0: length = 1 + random_() % 300; break;
        case 1: length = 1000 + random_() % 20000; break;
        default: length = size; break;
      }
      length = std::min(length, start + size - at);
      const unsigned pick = random_() % 10;
      const std::uint32_t type = pick < 4 ? kVerbatim : pick < 8 ? kAligned : kStored;
      const bool last = at + length == start + size;
      if (type == kStored) Stored(at, length, last, frame_starts);
      else Coded(at, length, type, frame_starts);
      at += length;
    }
  }

  void Header(std::uint32_t type, std::size_t length) {
    bits_.Put(type, 3);
    bits_.Put(static_cast<std::uint32_t>(length >> 8), 16);
    bits_.Put(static_cast<std::uint32_t>(length & 0xFF), 8);
  }

  void FrameEnd(std::size_t end, std::vector<std::uint64_t>& frame_starts) {
    if (end % kFrame != 0) return;
    bits_.Align();
    if (end < data_.size() && (end - interval_start_) % (std::size_t{shape_.reset_frames} * kFrame) != 0)
      frame_starts.push_back(bits_.out.size());
  }

  void Stored(std::size_t at, std::size_t length, bool last, std::vector<std::uint64_t>& frame_starts) {
    Header(kStored, length);
    if (bits_.used == 0) bits_.Put(0, 16);
    else bits_.Align();
    for (std::uint32_t r : r_)
      for (int i = 0; i < 4; ++i) bits_.out += static_cast<char>((r >> (8 * i)) & 0xFF);
    for (std::size_t i = at; i < at + length; ++i) {
      bits_.out += data_[i];
      Insert(i);
      if ((i + 1) % kFrame == 0 && i + 1 < at + length) FrameEnd(i + 1, frame_starts);
    }
    // The byte after an odd block is skipped, unless a reset comes first.
    if ((length & 1) && !last) bits_.out += '\x5A';
    FrameEnd(at + length, frame_starts);
  }

  void Insert(std::size_t i) {
    if (i + 3 > data_.size()) return;
    const auto b = [&](std::size_t k) { return static_cast<unsigned char>(data_[k]); };
    const unsigned h = (b(i) * 2654435761u ^ b(i + 1) * 40503u ^ b(i + 2)) & 0xFFFF;
    chain_[i] = head_[h];
    head_[h] = static_cast<long>(i);
  }

  // The longest match at `i` within the interval, the window and `limit`.
  Item Find(std::size_t i, std::size_t limit) {
    Item best;
    if (i + 3 > data_.size()) return best;
    const std::size_t reach = std::min<std::size_t>(i - interval_start_, window_ - 3);
    const unsigned h = (static_cast<unsigned char>(data_[i]) * 2654435761u ^
                        static_cast<unsigned char>(data_[i + 1]) * 40503u ^ static_cast<unsigned char>(data_[i + 2])) &
                       0xFFFF;
    int tries = 32;
    for (long c = head_[h]; c >= 0 && tries-- > 0; c = chain_[static_cast<std::size_t>(c)]) {
      const std::size_t distance = i - static_cast<std::size_t>(c);
      if (distance > reach) break;
      std::size_t len = 0;
      const std::size_t most = std::min<std::size_t>(257, limit - i);
      while (len < most && data_[static_cast<std::size_t>(c) + len] == data_[i + len]) ++len;
      if (len >= 3 && len > best.length) {
        best.length = static_cast<std::uint32_t>(len);
        best.distance = static_cast<std::uint32_t>(distance);
      }
    }
    return best;
  }

  void Coded(std::size_t at, std::size_t length, std::uint32_t type, std::vector<std::uint64_t>& frame_starts) {
    // Parse: matches end inside both the block and their frame.
    std::vector<Item> items;
    for (std::size_t i = at; i < at + length;) {
      const std::size_t frame_end = (i / kFrame + 1) * kFrame;
      Item m = Find(i, std::min(at + length, frame_end));
      if (m.length == 0) {
        m.byte = static_cast<unsigned char>(data_[i]);
        Insert(i);
        ++i;
      } else {
        for (std::size_t k = i; k < i + m.length; ++k) Insert(k);
        i += m.length;
      }
      items.push_back(m);
    }
    // Symbols, with the repeated offsets as the decoder keeps them.
    struct Coded {
      unsigned main = 0;
      int length = -1;
      std::uint32_t extra = 0;
      unsigned extra_bits = 0;
      int aligned = -1;
    };
    std::vector<Coded> coded;
    std::vector<std::uint32_t> main_freq(main_symbols_, 0), length_freq(kLengthSymbols, 0), aligned_freq(8, 0);
    std::array<std::uint32_t, 3> r = r_;
    for (const Item& it : items) {
      Coded c;
      if (it.length == 0) {
        c.main = it.byte;
      } else {
        unsigned slot;
        if (it.distance == r[0]) {
          slot = 0;
        } else if (it.distance == r[1]) {
          slot = 1;
          std::swap(r[0], r[1]);
        } else if (it.distance == r[2]) {
          slot = 2;
          std::swap(r[0], r[2]);
        } else {
          const std::uint32_t formatted = it.distance + 2;
          slot = 3;
          while (SlotBase(slot + 1) <= formatted) ++slot;
          const std::uint32_t extra = formatted - SlotBase(slot);
          const unsigned bits = ExtraBits(slot);
          if (type == kAligned && bits >= 3) {
            c.extra = extra >> 3;
            c.extra_bits = bits - 3;
            c.aligned = static_cast<int>(extra & 7);
            ++aligned_freq[extra & 7];
          } else {
            c.extra = extra;
            c.extra_bits = bits;
          }
          r = {it.distance, r[0], r[1]};
        }
        const std::uint32_t header = std::min<std::uint32_t>(it.length - 2, 7);
        c.main = kChars + slot * 8 + header;
        if (header == 7) {
          c.length = static_cast<int>(it.length - 9);
          ++length_freq[it.length - 9];
        }
      }
      ++main_freq[c.main];
      coded.push_back(c);
    }
    // Now and then every symbol gets a code, so that some codes are long.
    if (random_() % 3 == 0)
      for (std::uint32_t& f : main_freq) f = f * 64 + 1;
    EnsureTwo(main_freq);
    bool no_lengths = true;
    for (std::uint32_t f : length_freq) no_lengths &= f == 0;
    if (!no_lengths || random_() % 2) EnsureTwo(length_freq);
    for (std::uint32_t& f : aligned_freq) ++f;

    Code main, lengths, aligned;
    main.Make(main_freq, 16);
    lengths.Make(length_freq, 16);
    Header(type, length);
    if (type == kAligned) {
      aligned.Make(aligned_freq, 7);
      for (unsigned s = 0; s < 8; ++s) bits_.Put(aligned.lengths[s], 3);
    }
    WriteLengths(bits_, main_before_, main.lengths, 0, kChars, random_);
    WriteLengths(bits_, main_before_, main.lengths, kChars, main_symbols_, random_);
    WriteLengths(bits_, length_before_, lengths.lengths, 0, kLengthSymbols, random_);
    std::size_t pos = at;
    for (std::size_t k = 0; k < items.size(); ++k) {
      const Coded& c = coded[k];
      main.Write(bits_, c.main);
      if (c.length >= 0) lengths.Write(bits_, static_cast<unsigned>(c.length));
      if (c.extra_bits) bits_.Put(c.extra, static_cast<int>(c.extra_bits));
      if (c.aligned >= 0) aligned.Write(bits_, static_cast<unsigned>(c.aligned));
      pos += items[k].length ? items[k].length : 1;
      FrameEnd(pos, frame_starts);
    }
    r_ = r;
  }

  const std::string& data_;
  LzxShape shape_;
  std::uint32_t window_;
  unsigned main_symbols_;
  std::mt19937 random_;
  std::vector<long> head_, chain_;
  BitWriter bits_;
  std::vector<unsigned char> main_before_, length_before_;
  std::array<std::uint32_t, 3> r_{1, 1, 1};
  std::size_t interval_start_ = 0;
};

void Put32(std::string& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
}
void Put64(std::string& out, std::uint64_t v) {
  Put32(out, static_cast<std::uint32_t>(v));
  Put32(out, static_cast<std::uint32_t>(v >> 32));
}

}  // namespace

std::string buildLzxChm(const std::vector<std::pair<std::string, std::string>>& files, const LzxShape& shape) {
  std::string content;
  std::vector<StoredEntry> entries;
  for (const auto& [name, bytes] : files) {
    StoredEntry e{name, "", 1};
    e.offset = content.size();
    e.length = bytes.size();
    entries.push_back(e);
    content += bytes;
  }
  const std::uint64_t length = content.size();
  const std::size_t interval = std::size_t{shape.reset_frames} * kFrame;
  content.resize((content.size() + interval - 1) / interval * interval, '\0');
  std::vector<std::uint64_t> frame_starts;
  const std::string stream = Encoder(content, shape).Run(frame_starts);

  std::string control;
  Put32(control, 6);
  control += "LZXC";
  const std::uint32_t unit = shape.sizes_in_bytes ? 1 : kFrame;
  Put32(control, shape.sizes_in_bytes ? 1 : 2);
  Put32(control, static_cast<std::uint32_t>(interval / unit));
  Put32(control, (1u << shape.window_bits) / unit);
  Put32(control, (1u << shape.window_bits) / unit);
  Put32(control, 0);

  std::string table;
  Put32(table, 2);
  Put32(table, static_cast<std::uint32_t>(frame_starts.size()));
  Put32(table, 8);
  Put32(table, 0x28);
  Put64(table, length);
  Put64(table, stream.size());
  Put64(table, kFrame);
  for (std::uint64_t start : frame_starts) Put64(table, start);

  const std::string base = "::DataSpace/Storage/MSCompressed/";
  entries.insert(entries.begin(),
                 {{base + "Content", stream},
                  {base + "ControlData", control},
                  {base + "Transform/{7FC28940-9D31-11D0-9B27-00A0C91E9C7C}/InstanceData/ResetTable", table}});
  return buildChm(entries);
}

}  // namespace hhtest

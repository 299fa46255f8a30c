#include "lzx_encoder.h"

#include <algorithm>
#include <array>
#include <span>

#include "bit_writer.h"
#include "huffman.h"
#include "lzx_format.h"

namespace hha::lzx {
namespace {

// Largest compressed size accepted for one frame: some readers decode each
// frame from a buffer only a little larger than the frame itself.
constexpr std::size_t kMaxFrameBytes = kFrameSize + 4096;

// Code lengths that the next verbatim block's length tables are coded
// against; reset to zero at the start of every interval.
struct TreeState {
  std::array<std::uint8_t, kMainSymbols> main{};
  std::array<std::uint8_t, kLengthSymbols> length{};
};

struct PretreeSymbol {
  std::uint8_t symbol;
  std::uint8_t extra_bits;
  std::uint8_t extra;
  std::int8_t follow;  // second pretree symbol after code 19, or -1
};

// Codes new code lengths [first, last) against the previous ones.
std::vector<PretreeSymbol> PretreeSymbols(const std::uint8_t* prev, const std::uint8_t* next, int first, int last) {
  std::vector<PretreeSymbol> out;
  int i = first;
  while (i < last) {
    if (next[i] == 0) {
      int run = 0;
      while (i + run < last && next[i + run] == 0 && run < 51) ++run;
      if (run >= 20) {
        out.push_back({18, 5, static_cast<std::uint8_t>(run - 20), -1});
        i += run;
        continue;
      }
      if (run >= 4) {
        out.push_back({17, 4, static_cast<std::uint8_t>(run - 4), -1});
        i += run;
        continue;
      }
    }
    auto delta = static_cast<std::uint8_t>((prev[i] - next[i] + 17) % 17);
    int run = 1;
    while (i + run < last && run < 5 && next[i + run] == next[i] && prev[i + run] == prev[i]) ++run;
    if (run >= 4) {
      out.push_back({19, 1, static_cast<std::uint8_t>(run - 4), static_cast<std::int8_t>(delta)});
      i += run;
      continue;
    }
    out.push_back({delta, 0, 0, -1});
    ++i;
  }
  return out;
}

// Writes one pretree-coded stretch of code lengths.
void WriteLengths(BitWriter& bits, const std::uint8_t* prev, const std::uint8_t* next, int first, int last) {
  std::vector<PretreeSymbol> syms = PretreeSymbols(prev, next, first, last);
  std::vector<std::uint32_t> freq(kPretreeSymbols, 0);
  for (const PretreeSymbol& s : syms) {
    ++freq[s.symbol];
    if (s.follow >= 0) ++freq[s.follow];
  }
  std::vector<std::uint8_t> lens = LimitedCodeLengths(freq, kMaxPretreeBits);
  std::vector<std::uint16_t> codes = CanonicalCodes(lens);
  for (int i = 0; i < kPretreeSymbols; ++i) bits.Put(lens[i], 4);
  for (const PretreeSymbol& s : syms) {
    bits.Put(codes[s.symbol], lens[s.symbol]);
    bits.Put(s.extra, s.extra_bits);
    if (s.follow >= 0) bits.Put(codes[s.follow], lens[s.follow]);
  }
}

void WriteBlockHeader(BitWriter& bits, BlockType type, std::size_t size) {
  bits.Put(type, 3);
  bits.Put(static_cast<std::uint32_t>(size >> 8), 16);
  bits.Put(static_cast<std::uint32_t>(size & 0xFF), 8);
}

// How often each symbol occurs in the tokens of one frame, and their extra
// bits.
struct SymbolCounts {
  std::array<std::uint32_t, kMainSymbols> main{};
  // One more count for the tokens without a length symbol.
  std::array<std::uint32_t, kLengthSymbols + 1> length{};
  std::uint64_t extra_bits = 0;
};

// The part of `all` (the tokens, or the bytes of a literal-only interval)
// in frame f.
template <typename T>
std::span<const T> InFrame(std::span<const T> all, const ParsedInterval& parsed, std::size_t f) {
  const std::size_t begin = parsed.frame_start[f];
  const std::size_t end = f + 1 < parsed.frame_start.size() ? parsed.frame_start[f + 1] : all.size();
  return all.subspan(begin, end - begin);
}
std::span<const Token> FrameTokens(const ParsedInterval& parsed, std::size_t f) {
  return InFrame(std::span<const Token>(parsed.tokens), parsed, f);
}
std::span<const std::uint8_t> FrameLiterals(const ParsedInterval& parsed, std::size_t f) {
  return InFrame(std::span<const std::uint8_t>(parsed.literals, parsed.literal_count), parsed, f);
}

SymbolCounts CountSymbols(const ParsedInterval& parsed, std::size_t f) {
  SymbolCounts counts;
  if (parsed.literals) {
    const std::span<const std::uint8_t> bytes = FrameLiterals(parsed, f);
    for (std::uint8_t b : bytes) ++counts.main[b];
    counts.length[Token::kNoLengthSymbol] = static_cast<std::uint32_t>(bytes.size());
    return counts;
  }
  for (const Token& t : FrameTokens(parsed, f)) {
    ++counts.main[t.main];
    ++counts.length[t.length_symbol];
    counts.extra_bits += t.extra_bits;
  }
  return counts;
}

// The codes of one verbatim block over the frames [first_frame, end_frame),
// and the bits its tokens take in each frame.
struct VerbatimCodes {
  std::size_t first_frame;
  std::size_t end_frame;
  std::vector<std::uint8_t> main_len;
  std::vector<std::uint16_t> main_code;
  // With one more entry, of no bits, for the tokens without a length symbol.
  std::vector<std::uint8_t> length_len;
  std::vector<std::uint16_t> length_code;
  std::vector<std::uint64_t> frame_bits;
};

VerbatimCodes CodesFor(const std::vector<SymbolCounts>& counts, std::size_t first_frame, std::size_t end_frame) {
  VerbatimCodes c{first_frame, end_frame, {}, {}, {}, {}, {}};
  std::vector<std::uint32_t> main_freq(kMainSymbols, 0), length_freq(kLengthSymbols, 0);
  for (std::size_t f = first_frame; f < end_frame; ++f) {
    for (int s = 0; s < kMainSymbols; ++s) main_freq[s] += counts[f].main[s];
    for (int s = 0; s < kLengthSymbols; ++s) length_freq[s] += counts[f].length[s];
  }
  c.main_len = LimitedCodeLengths(main_freq, kMaxCodeBits);
  c.length_len = LimitedCodeLengths(length_freq, kMaxCodeBits);
  c.main_code = CanonicalCodes(c.main_len);
  c.length_code = CanonicalCodes(c.length_len);
  c.length_len.push_back(0);
  c.length_code.push_back(0);
  for (std::size_t f = first_frame; f < end_frame; ++f) {
    std::uint64_t bits = counts[f].extra_bits;
    for (int s = 0; s < kMainSymbols; ++s) bits += std::uint64_t{counts[f].main[s]} * c.main_len[s];
    for (int s = 0; s < kLengthSymbols; ++s) bits += std::uint64_t{counts[f].length[s]} * c.length_len[s];
    c.frame_bits.push_back(bits);
  }
  return c;
}

// The block header and the code length tables of a verbatim block, coded
// against `trees`, which then take the block's lengths.
void WriteVerbatimHead(BitWriter& bits, const VerbatimCodes& c, std::size_t block_size, TreeState& trees) {
  WriteBlockHeader(bits, kVerbatim, block_size);
  WriteLengths(bits, trees.main.data(), c.main_len.data(), 0, kNumChars);
  WriteLengths(bits, trees.main.data(), c.main_len.data(), kNumChars, kMainSymbols);
  WriteLengths(bits, trees.length.data(), c.length_len.data(), 0, kLengthSymbols);
  std::copy(c.main_len.begin(), c.main_len.end(), trees.main.begin());
  std::copy_n(c.length_len.begin(), kLengthSymbols, trees.length.begin());
}

// Where the tokens of a verbatim block put the frames after its first and
// the stream's end (in bytes), when its head ends at bit `head_end`: as
// WriteVerbatimTokens leaves them. The frame offsets go to frame_offsets.
std::size_t VerbatimEnd(std::uint64_t head_end, const VerbatimCodes& c, std::vector<std::size_t>& frame_offsets) {
  auto aligned = [](std::uint64_t bit) { return (bit + 15) / 16 * 16; };
  std::uint64_t bit = head_end;
  for (std::size_t f = c.first_frame; f < c.end_frame; ++f) {
    if (f != c.first_frame) {
      bit = aligned(bit);
      frame_offsets.push_back(static_cast<std::size_t>(bit / 8));
    }
    bit += c.frame_bits[f - c.first_frame];
  }
  return static_cast<std::size_t>(aligned(bit) / 8);
}

// The tokens of a verbatim block, after its head; records the byte offset
// of every frame it begins after the first, and ends on a 16-bit boundary.
void WriteVerbatimTokens(BitWriter& bits, const ParsedInterval& parsed, const VerbatimCodes& c,
                         std::vector<std::size_t>& frame_offsets) {
  // Fewer than 16 bits wait from before and fewer than 16 pad each frame.
  std::uint64_t token_bits = 0;
  for (std::uint64_t b : c.frame_bits) token_bits += b;
  // 8 bytes more for the stores of PutEach past the output.
  BitWriter::Run run = bits.Start((token_bits + 16 * (c.frame_bits.size() + 1)) / 8 + 8);
  // The run's byte stores could reach any object in memory as far as the
  // compiler knows, so the tables are read through local pointers.
  const std::uint16_t* main_codes = c.main_code.data();
  const std::uint8_t* main_lens = c.main_len.data();
  const std::uint16_t* length_codes = c.length_code.data();
  const std::uint8_t* length_lens = c.length_len.data();
  for (std::size_t f = c.first_frame; f < c.end_frame; ++f) {
    if (f != c.first_frame) {
      run.AlignTo16();
      frame_offsets.push_back(run.size());
    }
    if (parsed.literals) {
      // A literal is its main code alone.
      const std::span<const std::uint8_t> literals = FrameLiterals(parsed, f);
      run.PutEach(literals.data(), literals.size(), main_codes, main_lens);
      continue;
    }
    const std::span<const Token> tokens = FrameTokens(parsed, f);
    const Token* const end = tokens.data() + tokens.size();
    for (const Token* t = tokens.data(); t != end; ++t) {
      // A token's codes go out as one run of at most 16 + 16 + 14 bits.
      std::uint64_t code = main_codes[t->main];
      int n = main_lens[t->main];
      code = (code << length_lens[t->length_symbol]) | length_codes[t->length_symbol];
      n += length_lens[t->length_symbol];
      code = (code << t->extra_bits) | t->extra;
      n += t->extra_bits;
      run.Put(code, n);
    }
  }
  bits.Finish(run);
  bits.AlignTo16();
}

// One uncompressed block over data[0, size); repeated offsets carried over
// to the blocks that follow it.
void WriteUncompressedBlock(BitWriter& bits, const std::uint8_t* data, std::size_t size, const RepeatedOffsets& reps,
                            std::size_t frame_split, std::vector<std::size_t>& frame_offsets) {
  WriteBlockHeader(bits, kUncompressed, size);
  if (bits.Aligned()) bits.Put(0, 16);  // the decoder always skips 1 to 16 bits here
  else bits.AlignTo16();
  for (std::uint32_t r : reps)
    for (int i = 0; i < 4; ++i) bits.PutByte(static_cast<std::uint8_t>(r >> (8 * i)));
  for (std::size_t i = 0; i < size; ++i) {
    if (i != 0 && i == frame_split) frame_offsets.push_back(bits.bytes().size());
    bits.PutByte(data[i]);
  }
  if (size & 1) bits.PutByte(0);
}

EncodedInterval StoreInterval(const std::uint8_t* data, std::size_t size) {
  EncodedInterval out;
  BitWriter bits(out.data);
  out.frame_offsets.push_back(0);
  bits.Put(0, 1);  // no E8 translation
  WriteUncompressedBlock(bits, data, size, RepeatedOffsets{1, 1, 1}, kFrameSize, out.frame_offsets);
  return out;
}

// True when no frame of a stream of `size` bytes, beginning at the given
// offsets, takes more than kMaxFrameBytes.
bool FramesFit(const std::vector<std::size_t>& frame_offsets, std::size_t size) {
  for (std::size_t f = 0; f < frame_offsets.size(); ++f) {
    std::size_t end = f + 1 < frame_offsets.size() ? frame_offsets[f + 1] : size;
    if (end - frame_offsets[f] > kMaxFrameBytes) return false;
  }
  return true;
}

}  // namespace

// The size of StoreInterval's result: the header bit and the block header
// (28 bits) padded to 32, the three repeated offsets, the bytes, padded to
// an even count.
constexpr std::size_t StoredIntervalBytes(std::size_t size) { return 4 + 12 + size + (size & 1); }

EncodedInterval EncodeInterval(const std::uint8_t* data, std::size_t size, Method method, MatchFinder& finder,
                               const ParseOptions& options) {
  if (method == Method::Store) return StoreInterval(data, size);
  // The stored form is made only when it is the one chosen.
  const std::size_t stored_bytes = StoredIntervalBytes(size);

  const ParsedInterval& parsed = finder.ParseIfWorthIt(data, size, options);
  const std::size_t frames = parsed.frame_start.size();
  std::vector<SymbolCounts> counts;
  for (std::size_t f = 0; f < frames; ++f) counts.push_back(CountSymbols(parsed, f));

  // One verbatim block over the whole interval. Its size follows from its
  // head and code lengths, so its tokens are written only when it is taken.
  {
    EncodedInterval whole;
    // Room for as many bytes as the stored form needs, past which the
    // result is not taken anyway.
    whole.data.reserve(stored_bytes + 64);
    BitWriter bits(whole.data);
    TreeState trees;
    whole.frame_offsets.push_back(0);
    bits.Put(0, 1);
    const VerbatimCodes codes = CodesFor(counts, 0, frames);
    WriteVerbatimHead(bits, codes, size, trees);
    std::vector<std::size_t> offsets = whole.frame_offsets;
    const std::size_t end = VerbatimEnd(bits.bit_size(), codes, offsets);
    if (FramesFit(offsets, end) && end < stored_bytes) {
      WriteVerbatimTokens(bits, parsed, codes, whole.frame_offsets);
      return whole;
    }
  }
  if (frames == 1) return StoreInterval(data, size);

  // One block per frame, each verbatim or uncompressed, whichever is smaller.
  EncodedInterval split;
  {
    BitWriter bits(split.data);
    TreeState trees;
    bits.Put(0, 1);
    for (std::size_t f = 0; f < frames; ++f) {
      split.frame_offsets.push_back(split.data.size());
      std::size_t fsize = std::min<std::size_t>(kFrameSize, size - f * kFrameSize);
      const VerbatimCodes codes = CodesFor(counts, f, f + 1);
      // The size of the verbatim form of this frame alone, from its head
      // written to a scratch stream.
      TreeState trial_trees = trees;
      Bytes scratch;
      BitWriter sbits(scratch);
      WriteVerbatimHead(sbits, codes, fsize, trial_trees);
      std::vector<std::size_t> ignored;
      const std::size_t verbatim_bytes = VerbatimEnd(sbits.bit_size(), codes, ignored);
      if (verbatim_bytes <= fsize && verbatim_bytes <= kMaxFrameBytes) {
        WriteVerbatimHead(bits, codes, fsize, trees);
        WriteVerbatimTokens(bits, parsed, codes, ignored);
      } else {
        WriteUncompressedBlock(bits, data + f * kFrameSize, fsize, parsed.reps_after_frame[f], fsize, ignored);
      }
      bits.AlignTo16();
    }
  }
  if (FramesFit(split.frame_offsets, split.data.size()) && split.data.size() < stored_bytes) return split;
  return StoreInterval(data, size);
}

}  // namespace hha::lzx

#include "lzx_encoder.h"

#include <algorithm>
#include <array>

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

// One verbatim block over the frames [first_frame, end_frame); records the
// byte offset of every frame it begins.
void WriteVerbatimBlock(BitWriter& bits, const ParsedInterval& parsed, std::size_t first_frame, std::size_t end_frame,
                        std::size_t block_size, TreeState& trees, std::vector<std::size_t>& frame_offsets) {
  std::size_t begin = parsed.frame_start[first_frame];
  std::size_t end = end_frame < parsed.frame_start.size() ? parsed.frame_start[end_frame] : parsed.tokens.size();
  std::vector<std::uint32_t> main_freq(kMainSymbols, 0);
  // One more count for the tokens without a length symbol.
  std::array<std::uint32_t, kLengthSymbols + 1> length_count{};
  std::uint64_t extra_bits = 0;
  for (std::size_t i = begin; i < end; ++i) {
    const Token& t = parsed.tokens[i];
    ++main_freq[t.main];
    ++length_count[t.length_symbol];
    extra_bits += t.extra_bits;
  }
  const std::vector<std::uint32_t> length_freq(length_count.begin(), length_count.end() - 1);
  std::vector<std::uint8_t> main_len = LimitedCodeLengths(main_freq, kMaxCodeBits);
  std::vector<std::uint8_t> length_len = LimitedCodeLengths(length_freq, kMaxCodeBits);
  std::vector<std::uint16_t> main_code = CanonicalCodes(main_len);
  std::vector<std::uint16_t> length_code = CanonicalCodes(length_len);

  WriteBlockHeader(bits, kVerbatim, block_size);
  WriteLengths(bits, trees.main.data(), main_len.data(), 0, kNumChars);
  WriteLengths(bits, trees.main.data(), main_len.data(), kNumChars, kMainSymbols);
  WriteLengths(bits, trees.length.data(), length_len.data(), 0, kLengthSymbols);
  std::copy(main_len.begin(), main_len.end(), trees.main.begin());
  std::copy(length_len.begin(), length_len.end(), trees.length.begin());
  // Tokens without a length symbol take no bits for it.
  length_len.push_back(0);
  length_code.push_back(0);

  // The tokens' bits, exactly; fewer than 16 wait from before and fewer
  // than 16 pad each frame.
  std::uint64_t token_bits = extra_bits;
  for (int s = 0; s < kMainSymbols; ++s) token_bits += std::uint64_t{main_freq[s]} * main_len[s];
  for (int s = 0; s < kLengthSymbols; ++s) token_bits += std::uint64_t{length_freq[s]} * length_len[s];
  BitWriter::Run run = bits.Start((token_bits + 16 * (end_frame - first_frame + 1)) / 8);
  // The run's byte stores could reach any object in memory as far as the
  // compiler knows, so the tables are read through local pointers.
  const Token* tokens = parsed.tokens.data();
  const std::uint16_t* main_codes = main_code.data();
  const std::uint8_t* main_lens = main_len.data();
  const std::uint16_t* length_codes = length_code.data();
  const std::uint8_t* length_lens = length_len.data();
  for (std::size_t f = first_frame; f < end_frame; ++f) {
    if (f != first_frame) {
      run.AlignTo16();
      frame_offsets.push_back(run.size());
    }
    std::size_t fb = parsed.frame_start[f];
    std::size_t fe = f + 1 < parsed.frame_start.size() ? parsed.frame_start[f + 1] : parsed.tokens.size();
    for (std::size_t i = fb; i < fe; ++i) {
      // A token's codes go out as one run of at most 16 + 16 + 14 bits.
      const Token& t = tokens[i];
      std::uint64_t code = main_codes[t.main];
      int n = main_lens[t.main];
      code = (code << length_lens[t.length_symbol]) | length_codes[t.length_symbol];
      n += length_lens[t.length_symbol];
      code = (code << t.extra_bits) | t.extra;
      n += t.extra_bits;
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

bool FramesFit(const EncodedInterval& e) {
  for (std::size_t f = 0; f < e.frame_offsets.size(); ++f) {
    std::size_t end = f + 1 < e.frame_offsets.size() ? e.frame_offsets[f + 1] : e.data.size();
    if (end - e.frame_offsets[f] > kMaxFrameBytes) return false;
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

  const ParsedInterval& parsed = finder.Parse(data, size, options);
  const std::size_t frames = parsed.frame_start.size();

  // One verbatim block over the whole interval.
  EncodedInterval whole;
  {
    // Room for as many bytes as the stored form needs, past which the
    // result is not taken anyway.
    whole.data.reserve(stored_bytes + 64);
    BitWriter bits(whole.data);
    TreeState trees;
    whole.frame_offsets.push_back(0);
    bits.Put(0, 1);
    WriteVerbatimBlock(bits, parsed, 0, frames, size, trees, whole.frame_offsets);
  }
  if (FramesFit(whole) && whole.data.size() < stored_bytes) return whole;
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
      TreeState trial_trees = trees;
      std::vector<std::size_t> ignored;
      // Measure the verbatim form of this frame in a scratch stream.
      Bytes scratch;
      BitWriter sbits(scratch);
      WriteVerbatimBlock(sbits, parsed, f, f + 1, fsize, trial_trees, ignored);
      if (scratch.size() <= fsize && scratch.size() <= kMaxFrameBytes) {
        WriteVerbatimBlock(bits, parsed, f, f + 1, fsize, trees, ignored);
      } else {
        WriteUncompressedBlock(bits, data + f * kFrameSize, fsize, parsed.reps_after_frame[f], fsize, ignored);
      }
      bits.AlignTo16();
    }
  }
  if (FramesFit(split) && split.data.size() < stored_bytes) return split;
  return StoreInterval(data, size);
}

}  // namespace hha::lzx

// LZ77 parsing of one LZX reset interval: hash chains over the 64 KB window,
// repeated-offset matches and one step of lazy evaluation.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace hha::lzx {

/// One parsed element. Literal: length 0, value = the byte. Match: length
/// 2..257, value = (position slot << 16) | extra-bits value.
struct Token {
  std::uint32_t length;
  std::uint32_t value;
};

using RepeatedOffsets = std::array<std::uint32_t, 3>;

struct ParseOptions {
  int max_chain = 48;    // hash-chain candidates looked at per position
  int nice_length = 96;  // a match this long is taken at once
  bool lazy = true;      // look one position ahead before taking a match
};

/// Tokens of one interval, split at its 32 KB frames.
struct ParsedInterval {
  std::vector<Token> tokens;
  /// Index of the first token of each frame; frame_start.size() frames.
  std::vector<std::size_t> frame_start;
  /// Repeated offsets after the last token of each frame.
  std::vector<RepeatedOffsets> reps_after_frame;
};

/// Reusable working memory of the parser (one per thread).
class MatchFinder {
 public:
  MatchFinder();

  /// Parses data[0, size) (size <= 64 KB) as one reset interval: no match
  /// reaches before the start or across a 32 KB frame boundary. The result
  /// stays valid until the next call.
  const ParsedInterval& Parse(const std::uint8_t* data, std::size_t size, const ParseOptions& options);

 private:
  ParsedInterval parsed_;            // reused, so its buffers are allocated once
  std::vector<std::uint16_t> head_;  // per hash: 1 + the last position linked, or 0
  std::vector<std::uint16_t> link_;  // per position, from 1: 1 + the previous one with its hash, or 0
};

}  // namespace hha::lzx

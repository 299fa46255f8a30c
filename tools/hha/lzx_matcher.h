// LZ77 parsing of one LZX reset interval: hash chains over the 64 KB window,
// repeated-offset matches and one step of lazy evaluation.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "lzx_format.h"

namespace hha::lzx {

/// One parsed element, as the symbols and bits that code it. Literal: main =
/// the byte, no length symbol, no extra bits. Match of length 2..257:
/// main = 256 + position slot * 8 + min(length - 2, 7), length_symbol =
/// length - 9 for lengths from 9 on, and the extra bits of the offset.
struct Token {
  static constexpr std::uint16_t kNoLengthSymbol = kLengthSymbols;  // one past the length tree
  std::uint16_t main;
  std::uint16_t length_symbol;
  std::uint16_t extra;
  std::uint8_t extra_bits;
};

using RepeatedOffsets = std::array<std::uint32_t, 3>;

struct ParseOptions {
  int max_chain = 48;    // hash-chain candidates looked at per position
  int nice_length = 96;  // a match this long is taken at once
  bool lazy = true;      // look one position ahead before taking a match
  /// Data with next to no repeats and skewed bytes is coded as literals
  /// without a search (MatchFinder::ParseIfWorthIt).
  bool literals_when_matchless = true;
};

/// Tokens of one interval, split at its 32 KB frames.
struct ParsedInterval {
  std::vector<Token> tokens;
  /// When not null, `tokens` is empty and every byte of literals[0,
  /// literal_count) is a literal token, in order; frame_start then counts
  /// bytes.
  const std::uint8_t* literals = nullptr;
  std::size_t literal_count = 0;
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

  /// As Parse, but when options.literals_when_matchless and data[0, size)
  /// repeats so little that looking for matches would not pay, and its
  /// bytes are skewed enough for literals alone to compress them (such as
  /// a search index's packed bit lists), every byte is a literal. A quick
  /// scan for repeated strings of four bytes or more decides first, and
  /// stops as soon as it has found enough of them. The choice depends on
  /// the data alone.
  const ParsedInterval& ParseIfWorthIt(const std::uint8_t* data, std::size_t size, const ParseOptions& options);

 private:
  /// Every byte of data[0, size) as a literal, split at its frames.
  const ParsedInterval& Literals(const std::uint8_t* data, std::size_t size);

  ParsedInterval parsed_;             // reused, so its buffers are allocated once
  std::vector<std::uint16_t> head_;   // per hash: 1 + the last position linked, or 0
  std::vector<std::uint16_t> link_;   // per position, from 1: 1 + the previous one with its hash, or 0
  std::vector<std::uint16_t> probe_;  // the scan's table: per hash, 1 + the last position, or 0
};

}  // namespace hha::lzx

// Length-limited Huffman codes for the LZX trees.
#pragma once

#include <cstdint>
#include <vector>

namespace hha {

/// Computes optimal code lengths of at most max_bits for the given symbol
/// frequencies (package-merge). Symbols of frequency 0 get length 0. The
/// code is always complete, as LZX decoders require: when fewer than two
/// symbols occur, symbols are added so that exactly two have length 1 (an
/// all-zero input gives all-zero lengths, an empty tree). max_bits must
/// allow the number of used symbols (2^max_bits >= count).
std::vector<std::uint8_t> LimitedCodeLengths(const std::vector<std::uint32_t>& freqs, int max_bits);

/// Canonical codes for the lengths: shorter codes first, and within one
/// length in symbol order; codes are read most significant bit first.
std::vector<std::uint16_t> CanonicalCodes(const std::vector<std::uint8_t>& lengths);

}  // namespace hha

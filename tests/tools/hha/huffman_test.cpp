// Length-limited Huffman codes: within the limit, complete, and optimal
// where no limit applies.
#include <gtest/gtest.h>

#include "huffman.h"

namespace {

// Kraft sum scaled by 2^16; a complete code gives exactly 65536.
std::uint64_t Kraft(const std::vector<std::uint8_t>& lengths) {
  std::uint64_t sum = 0;
  for (std::uint8_t l : lengths)
    if (l) sum += std::uint64_t{1} << (16 - l);
  return sum;
}

TEST(Huffman, FibonacciFrequenciesAreLimitedAndComplete) {
  // Fibonacci weights make an unlimited Huffman code as deep as it gets.
  std::vector<std::uint32_t> freqs(30);
  std::uint32_t a = 1, b = 1;
  for (auto& f : freqs) {
    f = a;
    std::uint32_t c = a + b;
    a = b;
    b = c;
  }
  for (int limit : {15, 16}) {
    auto lengths = hha::LimitedCodeLengths(freqs, limit);
    for (auto l : lengths) {
      EXPECT_GE(l, 1);
      EXPECT_LE(l, limit);
    }
    EXPECT_EQ(Kraft(lengths), 65536u);
  }
}

TEST(Huffman, UnusedSymbolsGetNoCodeAndLoneSymbolGetsAPartner) {
  std::vector<std::uint32_t> freqs(10, 0);
  EXPECT_EQ(Kraft(hha::LimitedCodeLengths(freqs, 16)), 0u);
  freqs[7] = 5;
  auto lengths = hha::LimitedCodeLengths(freqs, 16);
  EXPECT_EQ(lengths[7], 1);
  EXPECT_EQ(Kraft(lengths), 65536u);
  freqs[0] = 0;
  freqs[3] = 1;
  lengths = hha::LimitedCodeLengths(freqs, 16);
  EXPECT_EQ(lengths[3], 1);
  EXPECT_EQ(lengths[7], 1);
}

TEST(Huffman, MatchesTheUnlimitedOptimumWhenShallow) {
  // Frequencies 1,1,2,4: optimal lengths 3,3,2,1.
  auto lengths = hha::LimitedCodeLengths({1, 1, 2, 4}, 16);
  EXPECT_EQ(lengths, (std::vector<std::uint8_t>{3, 3, 2, 1}));
}

TEST(Huffman, CanonicalCodesArePrefixFree) {
  std::vector<std::uint8_t> lengths = {3, 3, 2, 1, 0};
  auto codes = hha::CanonicalCodes(lengths);
  EXPECT_EQ(codes[3], 0b0);
  EXPECT_EQ(codes[2], 0b10);
  EXPECT_EQ(codes[0], 0b110);
  EXPECT_EQ(codes[1], 0b111);
}

}  // namespace

#include "huffman.h"

#include <algorithm>

namespace hha {
namespace {

struct Item {
  std::uint64_t weight;
  int symbol;  // >= 0: a leaf; -1: a package of two items of the level below
};

}  // namespace

std::vector<std::uint8_t> LimitedCodeLengths(const std::vector<std::uint32_t>& freqs, int max_bits) {
  const int n = static_cast<int>(freqs.size());
  std::vector<std::uint8_t> lengths(freqs.size(), 0);
  std::vector<Item> leaves;
  for (int s = 0; s < n; ++s)
    if (freqs[s] > 0) leaves.push_back({freqs[s], s});
  if (leaves.empty()) return lengths;
  if (leaves.size() == 1) {
    // A lone symbol still needs a complete code: pair it with a neighbour.
    int s = leaves[0].symbol;
    int other = s == 0 ? 1 : 0;
    if (other < n) lengths[other] = 1;
    lengths[s] = 1;
    return lengths;
  }
  std::stable_sort(leaves.begin(), leaves.end(), [](const Item& a, const Item& b) { return a.weight < b.weight; });

  // Level 0 is the deepest (code length max_bits); each further level merges
  // the leaves with the packages formed from pairs of the level below.
  std::vector<std::vector<Item>> levels;
  levels.push_back(leaves);
  for (int level = 1; level < max_bits; ++level) {
    const std::vector<Item>& below = levels.back();
    std::vector<Item> merged;
    merged.reserve(leaves.size() + below.size() / 2);
    std::size_t li = 0, pi = 0, packages = below.size() / 2;
    while (li < leaves.size() || pi < packages) {
      std::uint64_t pw = pi < packages ? below[2 * pi].weight + below[2 * pi + 1].weight : 0;
      if (pi >= packages || (li < leaves.size() && leaves[li].weight <= pw)) {
        merged.push_back(leaves[li++]);
      } else {
        merged.push_back({pw, -1});
        ++pi;
      }
    }
    levels.push_back(std::move(merged));
  }

  // The first 2n-2 items of the top level are chosen; chosen packages are
  // always a prefix of the packages, so each level's choice is a prefix.
  std::size_t take = 2 * leaves.size() - 2;
  for (std::size_t level = levels.size(); level-- > 0;) {
    std::size_t packages = 0;
    for (std::size_t i = 0; i < take && i < levels[level].size(); ++i) {
      const Item& it = levels[level][i];
      if (it.symbol >= 0) ++lengths[it.symbol];
      else ++packages;
    }
    take = 2 * packages;
  }
  return lengths;
}

std::vector<std::uint16_t> CanonicalCodes(const std::vector<std::uint8_t>& lengths) {
  std::vector<std::uint16_t> codes(lengths.size(), 0);
  std::uint32_t code = 0;
  for (int len = 1; len <= 16; ++len) {
    for (std::size_t s = 0; s < lengths.size(); ++s)
      if (lengths[s] == len) codes[s] = static_cast<std::uint16_t>(code++);
    code <<= 1;
  }
  return codes;
}

}  // namespace hha

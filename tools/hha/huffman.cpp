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
  leaves.reserve(freqs.size());
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
  // By weight, equal weights in symbol order (the order they were listed in).
  std::sort(leaves.begin(), leaves.end(), [](const Item& a, const Item& b) {
    return a.weight != b.weight ? a.weight < b.weight : a.symbol < b.symbol;
  });

  // Level 0 is the deepest (code length max_bits); each further level merges
  // the leaves with the packages formed from pairs of the level below. A
  // level holds fewer than 2m items (m leaves), so each gets a stretch of
  // that size in one table.
  const std::size_t m = leaves.size();
  const std::size_t stride = 2 * m;
  // The table is the thread's own and kept between calls: the encoder asks
  // for several codes per frame, and a fresh table of a few hundred KB each
  // time cost more than the merging itself. Only what a level fills is read.
  thread_local std::vector<Item> items;
  if (items.size() < static_cast<std::size_t>(max_bits) * stride)
    items.resize(static_cast<std::size_t>(max_bits) * stride);
  std::vector<std::size_t> count(static_cast<std::size_t>(max_bits));
  std::copy(leaves.begin(), leaves.end(), items.begin());
  count[0] = m;
  for (int level = 1; level < max_bits; ++level) {
    const Item* below = items.data() + static_cast<std::size_t>(level - 1) * stride;
    Item* merged = items.data() + static_cast<std::size_t>(level) * stride;
    const std::size_t packages = count[level - 1] / 2;
    std::size_t li = 0, pi = 0, k = 0;
    while (li < m && pi < packages) {
      const std::uint64_t pw = below[2 * pi].weight + below[2 * pi + 1].weight;
      if (leaves[li].weight <= pw) {
        merged[k++] = leaves[li++];
      } else {
        merged[k++] = {pw, -1};
        ++pi;
      }
    }
    while (li < m) merged[k++] = leaves[li++];
    for (; pi < packages; ++pi) merged[k++] = {below[2 * pi].weight + below[2 * pi + 1].weight, -1};
    count[level] = k;
  }

  // The first 2m-2 items of the top level are chosen; chosen packages are
  // always a prefix of the packages, so each level's choice is a prefix.
  std::size_t take = 2 * m - 2;
  for (std::size_t level = static_cast<std::size_t>(max_bits); level-- > 0;) {
    const Item* at = items.data() + level * stride;
    std::size_t packages = 0;
    for (std::size_t i = 0; i < take && i < count[level]; ++i) {
      if (at[i].symbol >= 0) ++lengths[at[i].symbol];
      else ++packages;
    }
    take = 2 * packages;
  }
  return lengths;
}

std::vector<std::uint16_t> CanonicalCodes(const std::vector<std::uint8_t>& lengths) {
  // Codes go out by length, and by symbol within a length: the first code
  // of each length follows the last of the length before, shifted.
  std::uint32_t count[256] = {};
  for (std::uint8_t len : lengths) ++count[len];
  std::uint32_t next[256] = {};
  std::uint32_t code = 0;
  for (int len = 1; len <= 16; ++len) {
    next[len] = code;
    code = (code + count[len]) << 1;
  }
  std::vector<std::uint16_t> codes(lengths.size(), 0);
  for (std::size_t s = 0; s < lengths.size(); ++s)
    if (lengths[s] != 0 && lengths[s] <= 16) codes[s] = static_cast<std::uint16_t>(next[lengths[s]]++);
  return codes;
}

}  // namespace hha

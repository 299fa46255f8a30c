#pragma once
// Building, printing and randomly growing document trees for tests.

#include <random>
#include <string>
#include <utility>
#include <vector>

#include "runtime/tree_model.h"

namespace qm::test {

/// An outline: each item's depth (1: top level) and text, in tree order.
/// Texts starting with "<" become folder items (pictures 0, the name
/// between the brackets), others page items (pictures 1).
using Outline = std::vector<std::pair<int, Text>>;

/// Replaces the tree's items by the outline's.
void Build(TreeModel& tree, const Outline& outline);

/// One line per item: "depth image/selected data text".
std::string Dump(const TreeModel& tree);

/// Dump plus, per item, what the tree derives: parent, row, number of
/// children and of descendants; and the top-level count.
std::string DumpStructure(const TreeModel& tree);

/// A random tree of about `size` items, up to `max_depth` levels deep, with
/// texts that exercise the path and name rules (angle brackets, final
/// backslashes, ".htm" in any case, placeholders, two-byte characters).
void BuildRandom(TreeModel& tree, std::mt19937& rng, int size, int max_depth);

}  // namespace qm::test

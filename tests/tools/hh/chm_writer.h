// A test-only CHM writer: stores files uncompressed (section 0) so tests can
// craft books with any names, offsets and lengths, hostile ones included.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace hhtest {

struct StoredEntry {
  std::string name;  ///< stored name, as in the book ("/index.htm")
  std::string data;  ///< content, placed in section 0 in list order
  unsigned section = 0;
  std::optional<std::uint64_t> offset{};  ///< overrides where the directory says the data is
  std::optional<std::uint64_t> length{};  ///< overrides the length the directory gives
};

/// Builds a CHM file (ITSF version 3 header, ITSP directory header, PMGL
/// listing chunks of 4096 bytes, no index) holding `entries` in the given
/// order.
std::string buildChm(const std::vector<StoredEntry>& entries);

/// Offset of the first directory chunk in a file made by buildChm().
constexpr std::size_t kFirstChunkOffset = 0xCC;
constexpr std::size_t kChunkSize = 4096;

}  // namespace hhtest

// The directory of a CHM file: the ITSP header with its PMGL listing chunks
// and, when more than one listing chunk is needed, PMGI index chunks.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "byte_io.h"

namespace hha {

struct DirectoryEntry {
  std::string name;  // UTF-8, beginning with "/" or "::"
  std::uint32_t section = 0;
  std::uint64_t offset = 0;
  std::uint64_t length = 0;
};

/// Orders names the way CHM readers search them: byte by byte with ASCII
/// letters compared without regard to case. Returns <0, 0 or >0.
int CompareChmNames(std::string_view a, std::string_view b);

constexpr std::uint32_t kChunkSize = 4096;

/// Builds header section 1: the ITSP header followed by the chunks.
/// Entries must be sorted by CompareChmNames without equal names, and no
/// name may exceed 1024 bytes.
Bytes BuildDirectory(const std::vector<DirectoryEntry>& sorted_entries, std::uint32_t lcid);

}  // namespace hha

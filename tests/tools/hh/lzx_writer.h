// A test-only writer of CHM books with a compressed section, in every LZX
// block kind (verbatim, aligned-offset and stored), for any window size and
// reset interval: hhc.exe writes only one shape and no aligned blocks.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace hhtest {

struct LzxShape {
  int window_bits = 16;              ///< 15 to 21
  unsigned reset_frames = 2;         ///< frames of 32 KB per reset interval
  bool sizes_in_bytes = false;       ///< ControlData version 1 (bytes) rather than 2 (frames)
  std::uint32_t call_file_size = 0;  ///< nonzero: every interval asks for x86 call translation
  std::uint32_t seed = 1;            ///< picks block kinds, lengths and code shapes
};

/// Builds a CHM file whose `files` (stored name, bytes) lie in its
/// compressed section, in that order.
std::string buildLzxChm(const std::vector<std::pair<std::string, std::string>>& files, const LzxShape& shape);

}  // namespace hhtest

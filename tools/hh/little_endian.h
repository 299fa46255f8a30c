// Little-endian numbers in the book's bytes.
#pragma once

#include <cstdint>

namespace hh {

/// The 32-bit number stored least significant byte first at `p`.
inline std::uint32_t Le32(const unsigned char* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

/// The 64-bit number stored least significant byte first at `p`.
inline std::uint64_t Le64(const unsigned char* p) { return Le32(p) | static_cast<std::uint64_t>(Le32(p + 4)) << 32; }

}  // namespace hh

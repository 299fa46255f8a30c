// Little-endian and ENCINT writers for the binary structures of a CHM file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace hha {

using Bytes = std::vector<std::uint8_t>;

inline void PutU16(Bytes& out, std::uint16_t v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}

inline void PutU32(Bytes& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

inline void PutU64(Bytes& out, std::uint64_t v) {
  for (int i = 0; i < 8; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

inline void SetU32(Bytes& out, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

inline void SetU16(Bytes& out, std::size_t at, std::uint16_t v) {
  out[at] = static_cast<std::uint8_t>(v);
  out[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

inline void PutText(Bytes& out, std::string_view s) { out.insert(out.end(), s.begin(), s.end()); }

/// Appends a 16-byte GUID given in its usual in-memory (mixed-endian) order.
inline void PutGuid(Bytes& out, const std::uint8_t (&guid)[16]) { out.insert(out.end(), guid, guid + 16); }

/// Number of bytes ENCINT needs for v: 7 bits per byte.
inline std::size_t EncIntSize(std::uint64_t v) {
  std::size_t n = 1;
  while (v >>= 7) ++n;
  return n;
}

/// Appends v as ENCINT: 7-bit groups, most significant first, high bit set on
/// every byte but the last.
inline void PutEncInt(Bytes& out, std::uint64_t v) {
  std::size_t n = EncIntSize(v);
  for (std::size_t i = n; i-- > 0;) {
    auto b = static_cast<std::uint8_t>((v >> (7 * i)) & 0x7F);
    if (i != 0) b |= 0x80;
    out.push_back(b);
  }
}

}  // namespace hha

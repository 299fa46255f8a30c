// Turns one LZX reset interval into its compressed bit stream.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "byte_io.h"
#include "lzx_matcher.h"

namespace hha::lzx {

enum class Method {
  Store,     // uncompressed LZX blocks only
  Compress,  // verbatim blocks, or uncompressed ones where they come out smaller
};

/// The compressed form of one interval.
struct EncodedInterval {
  Bytes data;
  /// Byte offset in data where each 32 KB frame begins; the first is 0.
  std::vector<std::size_t> frame_offsets;
};

/// Encodes data[0, size): one reset interval of whole 32 KB frames
/// (size is 32768 or 65536). The stream starts with the interval's E8 header
/// bit and ends on a 16-bit boundary, as does every frame inside it.
EncodedInterval EncodeInterval(const std::uint8_t* data, std::size_t size, Method method, MatchFinder& finder,
                               const ParseOptions& options);

}  // namespace hha::lzx

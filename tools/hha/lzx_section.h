// The MSCompressed content section: a stream of data compressed interval by
// interval (in parallel), with the frame offsets for the ResetTable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "lzx_encoder.h"
#include "status.h"

namespace hha {

/// Receives compressed bytes in stream order.
using ByteSink = std::function<Status(const std::uint8_t* data, std::size_t size)>;

struct LzxSectionOptions {
  lzx::Method method = lzx::Method::Compress;
  lzx::ParseOptions parse;
  unsigned threads = 0;  // 0: one per processor core, at most 4
};

class LzxSectionWriter {
 public:
  LzxSectionWriter(ByteSink sink, LzxSectionOptions options);

  /// Appends uncompressed bytes. Fails only when the sink fails.
  Status Write(const std::uint8_t* data, std::size_t size);

  /// Pads the stream with zeros to (size + 32769) / 32768 whole frames and
  /// compresses what is left. Call once, after the last Write.
  Status Finish();

  /// Bytes written through Write (without the padding).
  std::uint64_t uncompressed_size() const { return uncompressed_; }
  std::uint64_t compressed_size() const { return compressed_; }
  /// Compressed offset of every 32 KB frame of the padded stream.
  const std::vector<std::uint64_t>& frame_offsets() const { return frame_offsets_; }

 private:
  Status CompressBatch();

  ByteSink sink_;
  LzxSectionOptions options_;
  std::vector<std::uint8_t> batch_;
  std::size_t batch_capacity_;
  std::uint64_t uncompressed_ = 0;
  std::uint64_t compressed_ = 0;
  std::vector<std::uint64_t> frame_offsets_;
};

}  // namespace hha

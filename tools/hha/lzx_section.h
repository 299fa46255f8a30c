// The MSCompressed content section: a stream of data compressed in pieces of
// whole reset intervals on a pool of threads and written in stream order,
// with the frame offsets for the ResetTable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <future>
#include <memory>
#include <vector>

#include "lzx_encoder.h"
#include "runtime/work_pool.h"
#include "status.h"

namespace hha {

/// Receives compressed bytes in stream order.
using ByteSink = std::function<Status(const std::uint8_t* data, std::size_t size)>;

struct LzxSectionOptions {
  lzx::Method method = lzx::Method::Compress;
  lzx::ParseOptions parse;
  /// Threads of the writer's own pool (used when it is given none);
  /// 0: qm::ThreadCount().
  unsigned threads = 0;
};

/// Every reset interval is compressed on its own, so the stream is the same
/// bytes whatever the number of threads.
class LzxSectionWriter {
 public:
  /// Compresses on `pool`, which other work may share, or on a pool of its
  /// own when `pool` is null. At most twice as many pieces as the pool has
  /// threads are held at once.
  LzxSectionWriter(ByteSink sink, LzxSectionOptions options, qm::WorkPool* pool = nullptr);

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
  /// The pool the pieces are compressed on.
  qm::WorkPool& pool() const { return *pool_; }

 private:
  Status Append(const std::uint8_t* data, std::size_t size);
  Status QueuePiece();
  /// Writes finished pieces in order until at most `most` are left.
  Status WriteFinished(std::size_t most);

  ByteSink sink_;
  LzxSectionOptions options_;
  std::unique_ptr<qm::WorkPool> own_pool_;
  qm::WorkPool* pool_;
  /// A piece compressed, with the buffer it was read from.
  struct Compressed {
    lzx::EncodedInterval encoded;
    Bytes piece;
  };
  std::deque<std::future<Compressed>> in_flight_;
  Bytes piece_;
  std::vector<Bytes> spare_pieces_;   // buffers of pieces written, to fill again
  std::vector<Bytes> spare_outputs_;  // buffers of their compressed forms, likewise
  std::uint64_t uncompressed_ = 0;
  std::uint64_t compressed_ = 0;
  std::vector<std::uint64_t> frame_offsets_;
};

}  // namespace hha

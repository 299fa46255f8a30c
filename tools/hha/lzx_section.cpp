#include "lzx_section.h"

#include <algorithm>
#include <chrono>

#include "lzx_format.h"

namespace hha {
namespace {

// A piece of four intervals (256 KB) takes a few milliseconds to compress:
// long enough that handing it over costs nothing, short enough that the
// threads finish close together.
constexpr std::size_t kPieceBytes = 4 * lzx::kResetInterval;

// Compresses data (whole frames) interval by interval into one stretch of
// the stream; frame offsets are relative to its start.
lzx::EncodedInterval CompressPiece(const Bytes& data, lzx::Method method, const lzx::ParseOptions& parse,
                                   Bytes buffer) {
  // The parser's tables are reused by every piece the thread compresses.
  thread_local lzx::MatchFinder finder;
  lzx::EncodedInterval out;
  // The compressed form goes into `buffer`, a buffer of an earlier piece
  // when there is one, with room for the longest form (an interval is never
  // more than 17 bytes longer than its data) taken at once: growing it as
  // it fills would copy it, into fresh memory taken 4 KB at a time.
  out.data = std::move(buffer);
  out.data.clear();
  out.data.reserve(data.size() + 32 * (data.size() / lzx::kResetInterval + 1));
  for (std::size_t begin = 0; begin < data.size(); begin += lzx::kResetInterval) {
    const std::size_t size = std::min<std::size_t>(lzx::kResetInterval, data.size() - begin);
    lzx::EncodedInterval e = lzx::EncodeInterval(data.data() + begin, size, method, finder, parse);
    for (std::size_t off : e.frame_offsets) out.frame_offsets.push_back(out.data.size() + off);
    out.data.insert(out.data.end(), e.data.begin(), e.data.end());
  }
  return out;
}

}  // namespace

LzxSectionWriter::LzxSectionWriter(ByteSink sink, LzxSectionOptions options, qm::WorkPool* pool)
    : sink_(std::move(sink)), options_(options), pool_(pool) {
  if (!pool_) {
    own_pool_ = std::make_unique<qm::WorkPool>(qm::ThreadCount(options_.threads));
    pool_ = own_pool_.get();
  }
  piece_.reserve(kPieceBytes);
}

Status LzxSectionWriter::Write(const std::uint8_t* data, std::size_t size) {
  uncompressed_ += size;
  return Append(data, size);
}

Status LzxSectionWriter::Append(const std::uint8_t* data, std::size_t size) {
  while (size > 0) {
    std::size_t n = std::min(size, kPieceBytes - piece_.size());
    piece_.insert(piece_.end(), data, data + n);
    data += n;
    size -= n;
    if (piece_.size() == kPieceBytes) {
      if (Status s = QueuePiece(); !s.ok) return s;
    }
  }
  return Status::Ok();
}

Status LzxSectionWriter::Finish() {
  // Readers decode whole frames and, when a file ends exactly on a frame
  // boundary, one frame more; they expect (length + 32769) / 32768 frames.
  const std::uint64_t frames = (uncompressed_ + lzx::kFrameSize + 1) / lzx::kFrameSize;
  const Bytes padding(frames * lzx::kFrameSize - uncompressed_, 0);
  if (Status s = Append(padding.data(), padding.size()); !s.ok) return s;
  if (!piece_.empty()) {
    if (Status s = QueuePiece(); !s.ok) return s;
  }
  return WriteFinished(0);
}

Status LzxSectionWriter::QueuePiece() {
  const std::size_t most = 2 * static_cast<std::size_t>(pool_->threads());
  if (Status s = WriteFinished(most - 1); !s.ok) return s;
  Bytes output;
  if (!spare_outputs_.empty()) {
    output = std::move(spare_outputs_.back());
    spare_outputs_.pop_back();
  }
  in_flight_.push_back(pool_->Run([data = std::move(piece_), output = std::move(output), method = options_.method,
                                   parse = options_.parse]() mutable {
    lzx::EncodedInterval encoded = CompressPiece(data, method, parse, std::move(output));
    return Compressed{std::move(encoded), std::move(data)};
  }));
  // The buffer of a piece already written is used again: a new one would
  // be fresh memory, taken from the kernel 4 KB at a time.
  if (spare_pieces_.empty()) {
    piece_ = Bytes();
    piece_.reserve(kPieceBytes);
  } else {
    piece_ = std::move(spare_pieces_.back());
    spare_pieces_.pop_back();
    piece_.clear();
  }
  // Pieces already done leave at once, which keeps memory low.
  while (!in_flight_.empty() && in_flight_.front().wait_for(std::chrono::seconds(0)) == std::future_status::ready) {
    if (Status s = WriteFinished(in_flight_.size() - 1); !s.ok) return s;
  }
  return Status::Ok();
}

Status LzxSectionWriter::WriteFinished(std::size_t most) {
  while (in_flight_.size() > most) {
    Compressed done = in_flight_.front().get();
    in_flight_.pop_front();
    const lzx::EncodedInterval& e = done.encoded;
    for (std::size_t off : e.frame_offsets) frame_offsets_.push_back(compressed_ + off);
    if (Status s = sink_(e.data.data(), e.data.size()); !s.ok) return s;
    compressed_ += e.data.size();
    if (done.piece.capacity() == kPieceBytes) spare_pieces_.push_back(std::move(done.piece));
    spare_outputs_.push_back(std::move(done.encoded.data));
  }
  return Status::Ok();
}

}  // namespace hha

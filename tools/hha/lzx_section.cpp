#include "lzx_section.h"

#include <algorithm>
#include <thread>

#include "lzx_format.h"

namespace hha {
namespace {

constexpr std::size_t kIntervalsPerThread = 8;

unsigned ThreadCount(unsigned requested) {
  if (requested > 0) return requested;
  unsigned hw = std::thread::hardware_concurrency();
  return std::clamp(hw, 1u, 4u);
}

}  // namespace

LzxSectionWriter::LzxSectionWriter(ByteSink sink, LzxSectionOptions options)
    : sink_(std::move(sink)), options_(options) {
  options_.threads = ThreadCount(options_.threads);
  batch_capacity_ = options_.threads * kIntervalsPerThread * lzx::kResetInterval;
  batch_.reserve(batch_capacity_);
}

Status LzxSectionWriter::Write(const std::uint8_t* data, std::size_t size) {
  uncompressed_ += size;
  while (size > 0) {
    std::size_t n = std::min(size, batch_capacity_ - batch_.size());
    batch_.insert(batch_.end(), data, data + n);
    data += n;
    size -= n;
    if (batch_.size() == batch_capacity_) {
      Status s = CompressBatch();
      if (!s.ok) return s;
    }
  }
  return Status::Ok();
}

Status LzxSectionWriter::Finish() {
  // Readers decode whole frames and, when a file ends exactly on a frame
  // boundary, one frame more; they expect (length + 32769) / 32768 frames.
  const std::uint64_t frames = (uncompressed_ + lzx::kFrameSize + 1) / lzx::kFrameSize;
  const std::uint64_t padding = frames * lzx::kFrameSize - uncompressed_;
  batch_.resize(batch_.size() + padding, 0);
  return CompressBatch();
}

Status LzxSectionWriter::CompressBatch() {
  if (batch_.empty()) return Status::Ok();
  const std::size_t intervals = (batch_.size() + lzx::kResetInterval - 1) / lzx::kResetInterval;
  std::vector<lzx::EncodedInterval> encoded(intervals);
  const unsigned workers = static_cast<unsigned>(std::min<std::size_t>(options_.threads, intervals));
  auto work = [&](unsigned first) {
    lzx::MatchFinder finder;
    for (std::size_t i = first; i < intervals; i += workers) {
      std::size_t begin = i * lzx::kResetInterval;
      std::size_t size = std::min<std::size_t>(lzx::kResetInterval, batch_.size() - begin);
      encoded[i] = lzx::EncodeInterval(batch_.data() + begin, size, options_.method, finder, options_.parse);
    }
  };
  if (workers <= 1) {
    work(0);
  } else {
    std::vector<std::thread> pool;
    for (unsigned t = 1; t < workers; ++t) pool.emplace_back(work, t);
    work(0);
    for (std::thread& th : pool) th.join();
  }
  for (const lzx::EncodedInterval& e : encoded) {
    for (std::size_t off : e.frame_offsets) frame_offsets_.push_back(compressed_ + off);
    Status s = sink_(e.data.data(), e.data.size());
    if (!s.ok) return s;
    compressed_ += e.data.size();
  }
  batch_.clear();
  return Status::Ok();
}

}  // namespace hha

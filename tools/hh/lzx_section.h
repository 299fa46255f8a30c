// The decoder of a CHM book's compressed section ("MSCompressed"): LZX in
// frames of 32 KB, its state reset at every reset interval, the start of
// each interval in the compressed stream given by the reset table. It keeps
// its state between calls, so files asked for in content order are decoded
// once; it reads the book through its own descriptor.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "header_repair.h"

namespace hh {

/// The largest reset table read, in bytes: libmspack reads no larger one.
inline constexpr std::size_t kMaxResetTableBytes = 1000000;

/// How the compressed section was made and where its stream lies.
struct LzxLayout {
  int window_bits = 16;                     ///< window of 2^window_bits bytes, 15 to 21
  std::uint32_t reset_frames = 2;           ///< frames of 32 KB from one reset to the next
  std::uint64_t length = 0;                 ///< uncompressed bytes, rounded up to a whole reset interval
  off_t stream_start = 0;                   ///< where the compressed stream starts in the book
  std::uint64_t stream_length = 0;          ///< its bytes (no more than the book holds)
  std::vector<std::uint64_t> frame_starts;  ///< reset table: stream offset of frame i
};

/// Reads the section's ControlData (`control`, its bytes) and ResetTable
/// (`table`) into `layout`, leaving the stream fields alone. Returns an
/// empty string when this decoder can take the section, otherwise why not
/// (libmspack then decodes it, as it reads such tables its own way).
std::string ReadLzxLayout(const std::vector<unsigned char>& control, const std::vector<unsigned char>& table,
                          LzxLayout& layout);

/// What became of one extraction.
enum class LzxOutcome {
  kDone,         ///< every byte was written
  kNotHandled,   ///< the range lies where this decoder does not go; nothing was written
  kDamaged,      ///< the compressed data is damaged; part of the range may have been written
  kWriteFailed,  ///< writing to the descriptor failed
};

class LzxSection {
 public:
  /// Decodes the stream laid out by `layout` from the book open as `book_fd`
  /// (not owned), reading it as `overlays` correct it.
  LzxSection(int book_fd, std::vector<ByteOverlay> overlays, LzxLayout layout);
  ~LzxSection();
  LzxSection(const LzxSection&) = delete;
  LzxSection& operator=(const LzxSection&) = delete;

  /// Writes bytes [offset, offset + length) of the uncompressed section to
  /// `fd`. Decoding goes on from where the last call stopped when `offset`
  /// is not before that point, else from the reset interval holding
  /// `offset`. After kDamaged or kWriteFailed, error() says why.
  LzxOutcome Extract(std::uint64_t offset, std::uint64_t length, int fd);
  const std::string& error() const { return error_; }

 private:
  struct Tree;
  bool Start(std::uint64_t offset);
  bool DecodeFrame();
  bool ReadBlockHeader();
  bool ReadLengths(unsigned char* lengths, unsigned first, unsigned last);
  bool DecodeRun(std::uint32_t run_end, bool aligned);
  bool CopyStored(std::uint32_t run_end);
  void ResetState();
  void TranslateCalls(unsigned char* frame) const;
  bool WriteOut(const unsigned char* data, std::size_t length, int fd);

  // Input.
  bool Fill(std::uint64_t at);
  void RefillSlow();
  void Refill();
  std::uint32_t ReadBits(int count);
  bool Overran() const { return fake_bits_ > bit_count_; }
  std::uint64_t BitsConsumedAt() const;
  bool SeekBytes(std::uint64_t at);
  bool ReadBytes(unsigned char* out, std::size_t count);
  std::uint64_t StreamPosition() const { return buffer_start_ + static_cast<std::uint64_t>(next_ - buffer_.get()); }
  bool Fail(const std::string& why);

  int book_fd_;
  std::vector<ByteOverlay> overlays_;
  LzxLayout layout_;
  std::uint32_t window_size_;
  unsigned main_symbols_;
  std::string error_;

  std::unique_ptr<unsigned char[]> buffer_;
  std::uint64_t buffer_start_ = 0;  // stream offset of buffer_[0]
  const unsigned char* next_ = nullptr;
  const unsigned char* end_ = nullptr;
  std::uint64_t bits_ = 0;  // next bits of the stream, first at the top
  int bit_count_ = 0;       // how many of them are the stream's
  int fake_bits_ = 0;       // zero bits added past the end of the stream

  std::unique_ptr<unsigned char[]> window_;
  std::unique_ptr<unsigned char[]> translated_;  // a frame after call translation
  std::unique_ptr<Tree> main_, length_, aligned_, pretree_;
  std::unique_ptr<unsigned char[]> main_lengths_, length_lengths_;
  unsigned char aligned_lengths_[8] = {};

  bool started_ = false;
  std::uint64_t first_frame_ = 0;              // frame at which decoding started
  std::uint64_t frames_ = 0;                   // frames decoded since then
  std::uint64_t end_of_last_ = 0;              // end of the range asked for last
  const unsigned char* last_frame_ = nullptr;  // bytes of the frame decoded last
  std::uint32_t position_ = 0;                 // in the window
  std::uint64_t since_reset_ = 0;              // bytes decoded since the last reset, up to the current frame
  std::uint32_t r0_ = 1, r1_ = 1, r2_ = 1;
  bool header_read_ = false;
  std::int32_t call_file_size_ = 0;
  bool calls_seen_ = false;
  int block_type_ = 0;
  std::uint32_t block_length_ = 0;
  std::uint32_t block_remaining_ = 0;
};

}  // namespace hh

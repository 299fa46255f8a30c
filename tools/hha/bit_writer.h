// Bit output in the LZX order: 16-bit little-endian words, each filled from
// its most significant bit.
#pragma once

#include <cstdint>

#include "byte_io.h"

namespace hha::lzx {

class BitWriter {
 public:
  explicit BitWriter(Bytes& out) : out_(out) {}

  /// Appends the low `bits` bits of value (bits <= 48), high bit first.
  [[gnu::always_inline]] void Put(std::uint64_t value, int bits) {
    // Fewer than 16 bits wait in acc_, so 63 at most after the shift; bits
    // above them are never read again.
    acc_ = (acc_ << bits) | (value & ((std::uint64_t{1} << bits) - 1));
    pending_ += bits;
    while (pending_ >= 16) {
      pending_ -= 16;
      auto word = static_cast<std::uint16_t>(acc_ >> pending_);
      out_.push_back(static_cast<std::uint8_t>(word));
      out_.push_back(static_cast<std::uint8_t>(word >> 8));
    }
  }

  /// Pads with zero bits up to the next 16-bit boundary (nothing when there).
  void AlignTo16() {
    if (pending_ > 0) Put(0, 16 - pending_);
  }

  /// True when the stream stands on a 16-bit boundary.
  bool Aligned() const { return pending_ == 0; }

  /// Appends a raw byte; only valid on a 16-bit boundary or after other
  /// raw bytes (uncompressed block contents).
  void PutByte(std::uint8_t b) { out_.push_back(b); }

  Bytes& bytes() { return out_; }

 private:
  Bytes& out_;
  std::uint64_t acc_ = 0;
  int pending_ = 0;
};

}  // namespace hha::lzx

// Bit output in the LZX order: 16-bit little-endian words, each filled from
// its most significant bit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

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

  /// Bits written so far.
  std::uint64_t bit_size() const { return std::uint64_t{out_.size()} * 8 + static_cast<std::uint64_t>(pending_); }

  /// True when the stream stands on a 16-bit boundary.
  bool Aligned() const { return pending_ == 0; }

  /// Appends a raw byte; only valid on a 16-bit boundary or after other
  /// raw bytes (uncompressed block contents).
  void PutByte(std::uint8_t b) { out_.push_back(b); }

  Bytes& bytes() { return out_; }

  /// Writes a long run of codes into room made for it in advance, without
  /// a check per code; its state lives in the caller's variables, where the
  /// compiler keeps it in registers.
  class Run {
   public:
    /// As BitWriter::Put, for value < 2^bits.
    [[gnu::always_inline]] void Put(std::uint64_t value, int bits) {
      acc_ = (acc_ << bits) | value;
      pending_ += bits;
      // At most three words: fewer than 16 bits waited, and bits <= 48.
      if (pending_ >= 16) {
        Word();
        if (pending_ >= 16) {
          Word();
          if (pending_ >= 16) Word();
        }
      }
    }

    /// As Put(codes[b], lengths[b]) for each byte b of data[0, size), with
    /// every length from 1 to 16; writes up to 8 bytes past the run's
    /// output, which the room must allow (they are written over or given
    /// back).
    void PutEach(const std::uint8_t* data, std::size_t size, const std::uint16_t* codes, const std::uint8_t* lengths) {
      // The waiting bits sit at the top of `top`, the first the highest,
      // so that three codes go in before the whole words are stored at
      // once, without a branch: fewer than 16 bits wait after a store.
      int count = pending_;
      std::uint64_t top = count ? acc_ << (64 - count) : 0;
      auto put = [&](std::uint8_t b) __attribute__((always_inline)) {
        count += lengths[b];
        top |= std::uint64_t{codes[b]} << (64 - count);
      };
      auto store = [&]() __attribute__((always_inline)) {
        // The 16-bit words of `top`, highest first, each low byte first.
        std::uint64_t words = (top >> 32) | (top << 32);
        words = ((words >> 16) & 0x0000FFFF0000FFFFull) | ((words & 0x0000FFFF0000FFFFull) << 16);
        std::memcpy(next_, &words, 8);
        const int whole = count >> 4;
        next_ += 2 * whole;
        top <<= 16 * whole;  // at most 48: fewer than 64 bits wait
        count -= 16 * whole;
      };
      std::size_t i = 0;
      for (; i + 3 <= size; i += 3) {
        put(data[i]);
        put(data[i + 1]);
        put(data[i + 2]);
        store();
      }
      for (; i < size; ++i) {
        put(data[i]);
        store();
      }
      pending_ = count;
      acc_ = count ? top >> (64 - count) : 0;
    }

    /// As BitWriter::AlignTo16.
    void AlignTo16() {
      if (pending_ > 0) Put(0, 16 - pending_);
    }

    /// Bytes of the whole stream so far.
    std::size_t size() const { return start_size_ + static_cast<std::size_t>(next_ - start_); }

   private:
    friend class BitWriter;
    [[gnu::always_inline]] void Word() {
      pending_ -= 16;
      auto word = static_cast<std::uint16_t>(acc_ >> pending_);
      next_[0] = static_cast<std::uint8_t>(word);
      next_[1] = static_cast<std::uint8_t>(word >> 8);
      next_ += 2;
    }
    Run(std::uint8_t* next, std::size_t size, std::uint64_t acc, int pending)
        : next_(next), start_(next), start_size_(size), acc_(acc), pending_(pending) {}
    std::uint8_t* next_;
    const std::uint8_t* start_;
    std::size_t start_size_;
    std::uint64_t acc_;
    int pending_;
  };

  /// A run with room for `bytes` more bytes; the stream takes no other
  /// output until Finish(run).
  Run Start(std::size_t bytes) {
    const std::size_t used = out_.size();
    out_.resize(used + bytes);
    return Run(out_.data() + used, used, acc_, pending_);
  }

  /// Takes back the state of `run`, which must stay inside its room, and
  /// gives up the room it left.
  void Finish(const Run& run) {
    out_.resize(static_cast<std::size_t>(run.next_ - out_.data()));
    acc_ = run.acc_;
    pending_ = run.pending_;
  }

 private:
  Bytes& out_;
  std::uint64_t acc_ = 0;
  int pending_ = 0;
};

}  // namespace hha::lzx

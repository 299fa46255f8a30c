// Constants of the LZX format as used in CHM files (64 KB window).
#pragma once

#include <array>
#include <cstdint>

namespace hha::lzx {

constexpr std::uint32_t kFrameSize = 32768;      // output is aligned at every frame
constexpr std::uint32_t kResetInterval = 65536;  // decoder state resets every two frames
constexpr std::uint32_t kWindowSize = 65536;
constexpr int kNumChars = 256;
constexpr int kPositionSlots = 32;  // for the 64 KB window
constexpr int kMainSymbols = kNumChars + kPositionSlots * 8;
constexpr int kLengthSymbols = 249;
constexpr int kPretreeSymbols = 20;
constexpr int kMinMatch = 2;
constexpr int kMaxMatch = 257;
constexpr int kPrimaryLengths = 7;
constexpr int kMaxCodeBits = 16;
constexpr int kMaxPretreeBits = 15;  // pretree lengths are stored in 4 bits
/// Largest real match distance: its formatted offset (distance + 2) must stay
/// inside the last position slot of the 64 KB window.
constexpr std::uint32_t kMaxDistance = 65533;

enum BlockType : std::uint32_t { kVerbatim = 1, kAligned = 2, kUncompressed = 3 };

inline constexpr std::uint8_t kExtraBits[kPositionSlots] = {0, 0, 0, 0, 1, 1, 2,  2,  3,  3,  4,  4,  5,  5,  6,  6,
                                                            7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13, 14, 14};

inline constexpr std::array<std::uint32_t, kPositionSlots> kPositionBases = [] {
  std::array<std::uint32_t, kPositionSlots> bases{};
  std::uint32_t base = 0;
  for (int i = 0; i < kPositionSlots; ++i) {
    bases[i] = base;
    base += 1u << kExtraBits[i];
  }
  return bases;
}();

inline constexpr std::uint32_t PositionBase(int slot) { return kPositionBases[slot]; }

/// Position slot of a formatted offset (distance + 2), for formatted >= 3.
inline int SlotOf(std::uint32_t formatted) {
  if (formatted < 4) return static_cast<int>(formatted);
  int log2 = 31 - __builtin_clz(formatted);
  return 2 * log2 + static_cast<int>((formatted >> (log2 - 1)) & 1);
}

}  // namespace hha::lzx

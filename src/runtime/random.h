#pragma once
// The program's random numbers.

#include <cstdint>
#include <random>

namespace qm {

class Random {
 public:
  /// Seeds from the millisecond clock mixed with a counter that changes on
  /// every seeding, so two seedings in the same millisecond differ.
  void Seed();
  /// Seeds with a fixed value (the same value gives the same draws).
  void Seed(std::uint64_t seed) { engine_.seed(seed); }
  /// A uniform integer from `low` to `high` inclusive; negative bounds count
  /// as 0 and the bounds may come in either order.
  long long Number(long long low = 0, long long high = 0x7FFFFFFFFFFFFFFFLL);

 private:
  std::mt19937_64 engine_{12345};
  std::uint64_t seedings_ = 0;
};

}  // namespace qm

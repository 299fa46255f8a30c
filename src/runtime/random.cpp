#include "runtime/random.h"

#include <algorithm>
#include <chrono>

namespace qm {

void Random::Seed() {
  auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
                .count();
  ++seedings_;
  engine_.seed(static_cast<std::uint64_t>(ms) * 0x9E3779B97F4A7C15ULL ^ (seedings_ << 17) ^ seedings_);
}

long long Random::Number(long long low, long long high) {
  low = std::max(low, 0LL);
  high = std::max(high, 0LL);
  if (low > high) std::swap(low, high);
  std::uniform_int_distribution<long long> dist(low, high);
  return dist(engine_);
}

}  // namespace qm

#include "base/random_source.h"

namespace zm {

void RandomSource::Seed(uint32_t seed) {
  low_ = seed;
  high_ = 0;
}

uint32_t RandomSource::Draw15() {
  low_ = low_ * 22695477u + 1u;
  return (low_ >> 16) & 0x7FFFu;
}

uint32_t RandomSource::Draw31() {
  constexpr uint64_t kMultiplier = (uint64_t{346} << 32) | 20021u;
  uint64_t state = (uint64_t{high_} << 32) | low_;
  state = state * kMultiplier + 1u;
  low_ = static_cast<uint32_t>(state);
  high_ = static_cast<uint32_t>(state >> 32);
  return high_ & 0x7FFFFFFFu;
}

RandomSource& ProgramRandom() {
  static RandomSource source;
  return source;
}

}  // namespace zm

#pragma once

#include <cstdint>

namespace zm {

// The program-wide pseudo-random source. One 64-bit state (a low and a high
// 32-bit word) serves two kinds of draw, so one seed reproduces a whole run:
// every random choice of the program goes through this object.
class RandomSource {
 public:
  // Low word = seed, high word = 0.
  void Seed(uint32_t seed);

  // Advances the low word alone (low * 22695477 + 1) and returns bits 16..30
  // of the new low word: 0..32767.
  uint32_t Draw15();

  // Advances the whole state (state * (346 * 2^32 + 20021) + 1) and returns
  // the low 31 bits of the new high word: 0..2^31 - 1.
  uint32_t Draw31();

  uint32_t Low() const { return low_; }
  uint32_t High() const { return high_; }

 private:
  uint32_t low_ = 0;
  uint32_t high_ = 0;
};

// The single instance that the whole program draws from.
RandomSource& ProgramRandom();

inline void SeedRandom(uint32_t seed) { ProgramRandom().Seed(seed); }
inline uint32_t Random15() { return ProgramRandom().Draw15(); }
inline uint32_t Random31() { return ProgramRandom().Draw31(); }

}  // namespace zm

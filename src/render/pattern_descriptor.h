#pragma once

#include <cstdint>

namespace zm {

struct Harmonic {
  float amplitude = 0.0f;
  float phase = 0.0f;
};

constexpr int kProfileSize = 1000;

// The parameters of one pattern: the radial profile's harmonics and shaping,
// and the profile itself once the generator has filled it.
struct PatternDescriptor {
  Harmonic harmonics[4];
  float profile[kProfileSize] = {};
  int32_t harmonicStep = 0;
  int32_t phaseOn = 0;
  double contrast = 0.0;
  double exponent = 0.0;
  double scale = 0.0;
};

}  // namespace zm

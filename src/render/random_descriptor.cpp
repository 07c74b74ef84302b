#include "base/random_source.h"
#include "render/pattern_descriptor.h"
#include "render/pattern_generator.h"

namespace zm {

namespace {

using Real = long double;

constexpr double kPi = 3.141592653589793;

// Below this display height the profile keeps its first two harmonics only.
constexpr int32_t kFullHarmonicsHeight = 480;

}  // namespace

double UniformSigned() {
  return static_cast<double>(1.0L - 2.0L * static_cast<Real>(Random15()) / 32767.0L);
}

void RandomizeDescriptor(PatternDescriptor& descriptor, int32_t modeHeight) {
  descriptor.harmonicStep =
      static_cast<int32_t>((static_cast<Real>(UniformSigned()) + 1.0L) * 5.0L + 1.0L);
  descriptor.contrast = static_cast<double>(
      static_cast<Real>(Random31() % 100u) * Real{0.8} * Real{0.01} + Real{0.2});
  descriptor.phaseOn = UniformSigned() > 0.0 ? 1 : 0;
  descriptor.exponent = Random31() % 4u == 0 ? 4.0 : 0.4;
  for (Harmonic& harmonic : descriptor.harmonics) {
    harmonic.phase = static_cast<float>(static_cast<Real>(UniformSigned()) * Real{kPi});
    harmonic.amplitude = static_cast<float>(UniformSigned());
  }
  if (modeHeight < kFullHarmonicsHeight) {
    descriptor.harmonics[2] = Harmonic{};
    descriptor.harmonics[3] = Harmonic{};
  }
}

}  // namespace zm

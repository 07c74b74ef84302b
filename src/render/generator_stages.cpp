#include <algorithm>
#include <cmath>
#include <limits>

#include "render/generator_math.h"
#include "render/generator_state.h"
#include "render/raw_height.h"
#include "render/row_bands.h"

namespace zm::generator {

namespace {

// 2 pi / 999: the profile angle runs from -pi to pi over its 1000 entries.
constexpr double kProfileAngleStep = 0.006289474781961547;
constexpr int32_t kHarmonics = 4;

// The weight (i + 1)^-exponent of each harmonic.
struct Falloffs {
  Real of[kHarmonics];
};

Falloffs FalloffsOf(const PatternDescriptor& d) {
  Falloffs f;
  for (int32_t i = 0; i < kHarmonics; ++i) {
    f.of[i] = Pow(static_cast<Real>(i + 1), -static_cast<Real>(d.exponent));
  }
  return f;
}

// The raw profile value at entry k: 4000 times the sum of the harmonics.
double ProfileValue(const PatternDescriptor& d, const Falloffs& falloffs, int32_t k) {
  const Real angle = static_cast<Real>(k) * Real{kProfileAngleStep} - Real{kPi};
  double sum = 0.0;
  for (int32_t i = 0; i < kHarmonics; ++i) {
    const Harmonic& h = d.harmonics[i];
    const Real argument = static_cast<Real>(d.phaseOn) * h.phase +
                          static_cast<Real>((i + 1) * d.harmonicStep) * angle;
    sum =
        static_cast<double>(sum + static_cast<Real>(h.amplitude) * falloffs.of[i] * Cos(argument));
  }
  return static_cast<double>(4000.0L * sum);
}

}  // namespace

int32_t RowsPerSlice(int32_t height, int32_t rowsBudget) {
  const Real rows = static_cast<Real>(height) / rowsBudget + 1.0L;
  return rows < INT32_MAX ? static_cast<int32_t>(rows) : INT32_MAX;
}

int32_t NormRowsPerSlice(int32_t height) {
  const int32_t rows = static_cast<int32_t>(std::ceil(static_cast<Real>(height) * Real{0.1}));
  return std::max(rows, 1);
}

void ProfileSlice(GeneratorState& g) {
  PatternDescriptor& d = *g.descriptor;
  const Falloffs falloffs = FalloffsOf(d);
  const int32_t end = std::min(g.profileCount + kProfileChunk, kProfileSize);
  for (int32_t k = g.profileCount; k < end; ++k) {
    const double value = ProfileValue(d, falloffs, k);
    d.profile[k] = static_cast<float>(value);
    if (value > g.profileMax) g.profileMax = static_cast<float>(value);
    if (value < g.profileMin) g.profileMin = static_cast<float>(value);
  }
  g.profileCount += kProfileChunk;
}

void NormaliseProfileSlice(GeneratorState& g) {
  PatternDescriptor& d = *g.descriptor;
  const float s = static_cast<float>(8000.0L * static_cast<Real>(d.contrast));
  const float span = static_cast<float>(static_cast<Real>(g.profileMax) - g.profileMin);
  // A flat profile (every harmonic silent) has no span to divide by.
  const Real gain = span > 0.0f ? static_cast<Real>(s) : 0.0L;
  const Real divisor = span > 0.0f ? static_cast<Real>(span) : 1.0L;
  const int32_t end = std::min(g.profileNormCount + kProfileChunk, kProfileSize);
  for (int32_t k = g.profileNormCount; k < end; ++k) {
    const Real raised = (static_cast<Real>(d.profile[k]) - g.profileMin) * gain / divisor;
    d.profile[k] = static_cast<float>((raised + 4000.0L) * static_cast<Real>(d.scale));
  }
  g.profileNormCount += kProfileChunk;
}

// The map value of one raw height: the integer part of (value - low) *
// factor, clamped to 0..kMapMax. The range check keeps the conversion
// defined when the single-precision factor overflowed to infinity (0 * inf
// is NaN).
inline MapValue MapValueOf(float value, Real low, float factor) {
  const Real scaled = (static_cast<Real>(value) - low) * factor;
  return scaled >= 0.0L && scaled <= kMapMax ? static_cast<MapValue>(scaled)
         : scaled > kMapMax                  ? kMapMax
                                             : 0;
}

#if defined(__FLT_EVAL_METHOD__) && __FLT_EVAL_METHOD__ == 0
constexpr bool kDoubleMapValues = true;
#else
constexpr bool kDoubleMapValues = false;
#endif

// The same in double where that gives the same integer. The difference and
// the product round once each in both evaluations, from the same floats:
// below the map's top (1000) the two lie within 1000 * 2^-51 < 2^-40 of
// each other, so a double whose fraction keeps 2^-40 from both integers
// around it truncates as the extended value does. The rest (exact integers,
// among them the map's 0, the top, and what an infinite factor gives) is
// evaluated in extended precision (docs/pixel-guard.md).
inline MapValue GuardedMapValueOf(float value, double low, float factor, Real lowWide) {
  const double scaled = (static_cast<double>(value) - low) * factor;
  if (scaled > 0.0 && scaled < kMapMax) {
    const auto whole = static_cast<int32_t>(scaled);
    const double fraction = scaled - whole;  // exact
    if (fraction > 0x1p-40 && fraction < 1.0 - 0x1p-40) return static_cast<MapValue>(whole);
  }
  return MapValueOf(value, lowWide, factor);
}

void NormaliseMapSlice(GeneratorState& g) {
  const int32_t rows = NormRowsPerSlice(g.height);
  const int32_t end = std::min<int64_t>(int64_t{g.normRow} + rows, g.height);
  const Real range = static_cast<Real>(g.valueMax) - g.valueMin;
  // A map whose raw heights are all equal has no range: it becomes all 0.
  // A range so small that the factor overflows single precision gives an
  // infinite factor, as the hardware conversion would.
  const Real quotient = range > 0.0L ? 1000.0L / range : 0.0L;
  const float factor = quotient <= std::numeric_limits<float>::max()
                           ? static_cast<float>(quotient)
                           : std::numeric_limits<float>::infinity();
  const Real low = g.valueMin;
  const double lowDouble = g.valueMin;
  const bool guarded = kDoubleMapValues && !ExtendedPixelChainForced();
  const size_t width = static_cast<size_t>(g.width);
  // Each value on its own: the rows go out in bands over the worker threads.
  DrawInBands(end - g.normRow, g.width, [&](int32_t first, int32_t last) {
    for (int32_t i = g.normRow + first; i < g.normRow + last; ++i) {
      const float* in = g.values.get() + static_cast<size_t>(i) * width;
      MapValue* out = g.target + static_cast<size_t>(i) * width;
      if (guarded) {
        for (size_t j = 0; j < width; ++j)
          out[j] = GuardedMapValueOf(in[j], lowDouble, factor, low);
      } else {
        for (size_t j = 0; j < width; ++j) out[j] = MapValueOf(in[j], low, factor);
      }
    }
  });
  g.normRow = static_cast<int32_t>(std::min<int64_t>(int64_t{g.normRow} + rows, INT32_MAX));
  if (g.normRow >= g.height) g.done = true;
}

}  // namespace zm::generator

#include "render/raw_height.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "render/generator_math.h"
#include "render/pattern_generator.h"
#include "render/shape_functions.h"
#include "render/table_lookup.h"

// The raw height of a pixel, the work of stage 3. All working values are kept
// in single precision; every expression is evaluated in extended precision.
namespace zm::generator {

namespace {

// Pixels of one row computed side by side (see RawHeights); of 2, 4 and 8,
// four were the fastest.
constexpr int kPixelGroup = 4;

// Constants of the pixel loop, widened once per slice.
struct PixelConstants {
  Real mapHeight;      // H
  float radiusMax;     // sqrt 2
  Real radianUnits;    // table units per radian
  Real profileSpan;    // 998
  float profileLimit;  // the same in single precision
  const float* profile;
};

// The y coordinate of row i: -1 at the top, mirrored, then twisted.
float RowY(const GeneratorState& g, int32_t i) {
  const PatternSwitches& s = g.switches;
  const Real half = static_cast<Real>(g.height) * Real{0.5};
  float y = static_cast<float>((static_cast<Real>(i) - half) / half);
  if (s.mirrorY) y = -y;
  if (s.twist) {
    y = static_cast<float>(Cos(Real{kPi} * y * s.twistAmp + s.twistPhase));
  }
  return y;
}

float DiagonalAndWarp(const PatternSwitches& s, float x, float y) {
  if (s.diagonal) x = static_cast<float>((static_cast<Real>(x) + y) * Real{0.5});
  if (s.warpMode == 1) {
    x = CosAt(2048.0L * (static_cast<Real>(x) * s.warpFreq + s.warpPhase));
  } else if (s.warpMode == 2) {
    x = CosAt(2048.0L * ((static_cast<Real>(y) + s.warpOffset) * x * s.warpFreq + s.warpPhase));
  }
  return x;
}

// Radial modulation of rho by radialMode (0: none).
float Modulate(const PatternSwitches& s, Real k, float rhoIn, float phiIn, float x, float y) {
  const Real rho = rhoIn;
  const Real phi = phiIn;
  const Real pi = kPi;
  Real divisor;
  switch (s.radialMode) {
    case 1:
      divisor = 1.0L + std::fabs(Real{SinAt(k * (s.c1 / (rho + Real{0.1}) + pi * s.c2 * phi))});
      break;
    case 2:
      divisor = 1.0L + std::fabs(SinAt(k * s.c1 / (rho + Real{0.1})) + pi * s.c2 * phi);
      break;
    case 3:
      divisor = 1.0L + std::fabs(Real{CosAt(k * s.c4 / (rho + Real{0.1}))} *
                                 CosAt(k * s.c3 / (phi + Real{0.1})));
      break;
    case 4:
      divisor = 1.0L + std::fabs(Real{CosAt(k * s.c1 / (phi * rho + Real{0.1}))});
      break;
    case 5:
      divisor = 1.0L + std::fabs(Real{SinAt(k * s.c1 / Log(1.0L + rho))});
      break;
    case 6:
      divisor = 2.0L + SinAt(4096.0L * x * y);
      break;
    case 7:
      divisor = 2.0L + CosAt(4096.0L * x * y);
      break;
    default:
      return rhoIn;
  }
  return static_cast<float>(rho / divisor);
}

// The profile position t (0..998) from the two shape values.
float ProfilePosition(int32_t combineMode, Real span, Real w, Real l, Real i, Real phi) {
  switch (combineMode) {
    case 0:
      return static_cast<float>(span * i * phi);
    case 1:
      return static_cast<float>((w * l + (1.0L - w) * i) * span * phi);
    case 2:
      return static_cast<float>(span / ((w * l + (1.0L - w) * i) * 30.0L + 1.0L) * phi);
    case 3:
      return static_cast<float>(span / (30.0L * w * l * i + 1.0L) * phi);
    case 4:
      return static_cast<float>(span * l / (30.0L * w * i + 1.0L) * phi);
    default:
      return static_cast<float>(Pow(l, (5.0L * w + 15.0L) * i) * span * phi);
  }
}

// Calls step(0), ..., step(N - 1): one step of the pixels of a group.
template <int N, typename Step>
inline void EachPixel(const Step& step) {
#pragma GCC unroll 8
  for (int k = 0; k < N; ++k) step(k);
}

// The raw heights of N pixels of one row, at columnX[0 .. N - 1]. Each step runs for
// every pixel of the group before the next one starts: the steps of one pixel
// wait on each other (long chains of extended-precision operations), those
// of different pixels do not, so the processor works on them side by side.
// Every pixel goes through the same operations as on its own. Everything it
// calls is compiled into it, so that the steps of the group stand side by
// side in one stretch of code.
template <int N>
[[gnu::flatten]] void RawHeights(const PatternSwitches& s, const PixelConstants& c,
                                 const float* columnX, float y, float* out) {
  float x[N];
  float r[N];
  Real cosine[N];
  float phi[N];
  float rho[N];
  EachPixel<N>([&](int k) { x[k] = DiagonalAndWarp(s, columnX[k], y); });
  EachPixel<N>(
      [&](int k) { r[k] = static_cast<float>(Hypot(x[k], y) * Real{0.999} + Real{0.001}); });
  // |y| <= r holds mathematically; the clamp keeps acos defined against
  // rounding.
  EachPixel<N>([&](int k) { cosine[k] = std::clamp(static_cast<Real>(y) / r[k], -1.0L, 1.0L); });
  EachPixel<N>([&](int k) { phi[k] = static_cast<float>(std::fabs(Acos(cosine[k])) / Real{kPi}); });
  // A single operation on floats rounded to a float gives the same value in
  // single precision as in extended precision (which holds more than twice
  // the bits): these run on the cheaper single-precision unit.
  EachPixel<N>([&](int k) { rho[k] = r[k] / c.radiusMax; });

  if (s.spiral != 0.0f) {
    // turns lies in 0..2, so its floor is its integer part.
    EachPixel<N>([&](int k) {
      const Real turns = static_cast<Real>(s.spiral) * phi[k];
      const Real whole = static_cast<Real>(TruncateSmall(turns));
      phi[k] = static_cast<float>(2.0L * std::fabs(turns - whole - 0.5L));
    });
  }
  EachPixel<N>([&](int k) { rho[k] = Modulate(s, c.radianUnits, rho[k], phi[k], x[k], y); });

  if (s.swapPolar) {
    EachPixel<N>([&](int k) { std::swap(rho[k], phi[k]); });
  } else if (s.invertRadius) {
    EachPixel<N>([&](int k) { rho[k] = 1.0f - rho[k]; });
  }
  if (s.ripple || s.swapPolar) {
    EachPixel<N>([&](int k) {
      const Real wave =
          SinAt(c.radianUnits * s.rippleFreq * (static_cast<Real>(phi[k]) + s.ripplePhase1) +
                s.ripplePhase2);
      const float shift = static_cast<float>((wave + 1.0L) * Real{0.25});
      rho[k] = static_cast<float>(std::fabs(static_cast<Real>(rho[k]) - shift) *
                                      (1.0L - s.rippleMix) / (1.0L - shift) +
                                  static_cast<Real>(s.rippleMix) * rho[k]);
    });
  }

  float l[N];
  EachPixel<N>([&](int k) {
    l[k] = ShapeValue(s.shapeModeA, s.a, {rho[k], phi[k], x[k], y, 1.0f, 0.0f, 1.0f, -1.0f});
  });
  float j[N];
  float k2[N];
  EachPixel<N>([&](int k) {
    j[k] = 1.0f;
    k2[k] = 0.0f;
    if (s.combineMode == 0) {
      j[k] = static_cast<float>((1.0L - s.a.w) + static_cast<Real>(s.a.w) * l[k]);
      k2[k] = s.a.w * l[k];
    }
  });
  float i[N];
  EachPixel<N>([&](int k) {
    i[k] = ShapeValue(s.shapeModeB, s.b, {rho[k], phi[k], x[k], y, j[k], k2[k], l[k], 1.0f});
  });

  EachPixel<N>([&](int k) {
    float t = ProfilePosition(s.combineMode, c.profileSpan, s.a.w, l[k], i[k], phi[k]);
    // t lies in 0..998 by construction; the clamp keeps the profile index
    // inside the table should rounding or a NaN ever say otherwise.
    if (!(t >= 0.0f)) t = 0.0f;
    if (t > c.profileLimit) t = c.profileLimit;
    const int32_t n = static_cast<int32_t>(t);
    const float f = t - static_cast<float>(n);  // exact: the fraction of t
    const Real blend = (1.0L - f) * c.profile[n] + static_cast<Real>(f) * c.profile[n + 1];
    out[k] = static_cast<float>(blend * (c.mapHeight * rho[k]));
  });
}

}  // namespace

// The x coordinate of every column: -1 at the left, mirrored.
void FillColumnX(GeneratorState& g) {
  const Real half = static_cast<Real>(g.width) * Real{0.5};
  for (int32_t j = 0; j < g.width; ++j) {
    const float x = static_cast<float>((static_cast<Real>(j) - half) / half);
    g.columnX[j] = g.switches.mirrorX ? -x : x;
  }
}

namespace {

bool plainPixelLoop = false;

// Whether RawHeight reads x only through what its sign does not change:
// untouched by the diagonal mix and the warp, then through the radius, the
// angle (both from |x|) and |x * y|. Radial modes 6 and 7 and shape modes
// 6 and above take x * y or x itself.
bool EvenInX(const PatternSwitches& s) {
  const auto evenShape = [](int32_t mode) { return mode >= 0 && mode <= 5; };
  return !s.diagonal && s.warpMode != 1 && s.warpMode != 2 && s.radialMode != 6 &&
         s.radialMode != 7 && evenShape(s.shapeModeA) && evenShape(s.shapeModeB);
}

}  // namespace

int32_t ComputedColumns(const GeneratorState& g) {
  return !plainPixelLoop && EvenInX(g.switches) ? std::min(g.width, g.width / 2 + 1) : g.width;
}

HeightRange ComputePixelRun(const GeneratorState& g, int64_t first, int64_t last,
                            HeightRange seed) {
  const PixelConstants c{
      static_cast<Real>(g.height), g.radiusMax, g.radianUnits, g.profileSpan, g.profileSpan,
      g.descriptor->profile};
  // A copy the output cannot alias, so that what depends on the pattern
  // alone stays out of the pixel loop.
  const PatternSwitches s = g.switches;
  const int64_t width = g.width;
  const int64_t columns = ComputedColumns(g);
  const float* columnX = g.columnX.get();
  float high = seed.high;
  float low = seed.low;
  for (int64_t p = first; p < last;) {
    const int64_t row = p / columns;
    const int64_t rowEnd = std::min(last, (row + 1) * columns);
    const float y = RowY(g, static_cast<int32_t>(g.nextRow + row));
    float* out = g.values.get() + g.valueCount + row * width;
    while (p < rowEnd) {
      const int64_t j = p - row * columns;
      const int64_t group = !plainPixelLoop && rowEnd - p >= kPixelGroup ? kPixelGroup : 1;
      float v[kPixelGroup];
      if (group == kPixelGroup) {
        RawHeights<kPixelGroup>(s, c, columnX + j, y, v);
      } else {
        RawHeights<1>(s, c, columnX + j, y, v);
      }
      for (int64_t k = 0; k < group; ++k, ++p) {
        out[j + k] = v[k];
        // Column 0 (x = -1) has no mirror image inside the row.
        if (columns < width && j + k > 0) out[width - j - k] = v[k];
        if (v[k] > high) high = v[k];
        if (v[k] < low) low = v[k];
      }
    }
  }
  return {high, low};
}

}  // namespace zm::generator

namespace zm {

void SetPlainPixelLoop(bool plain) { generator::plainPixelLoop = plain; }

}  // namespace zm

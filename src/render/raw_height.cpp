#include "render/raw_height.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>
#include <utility>

#include "render/generator_math.h"
#include "render/guarded_double.h"
#include "render/pattern_generator.h"
#include "render/shape_functions.h"
#include "render/table_lookup.h"

// The raw height of a pixel, the work of stage 3. All working values are kept
// in single precision; every expression gives its value in extended
// precision. It is evaluated in double with an error bound, and the few
// pixels where the bound cannot tell the rounding apart are evaluated in
// extended precision (docs/pixel-guard.md).
namespace zm::generator {

namespace {

// Pixels of one row computed side by side (see RawHeights): on the double
// path eight (of 2, 4 and 8 the fastest), on the extended path four.
constexpr int kPixelGroup = 8;
constexpr int kWideGroup = 4;

// Constants of the pixel loop, per slice.
struct PixelConstants {
  double mapHeight;    // H
  float radiusMax;     // sqrt 2
  double radianUnits;  // table units per radian
  float profileSpan;   // 998
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

// A value of `units` roundings' worth of error relative to itself (see
// docs/pixel-guard.md).
template <typename T>
RelativeBound Relative(T, int units) {
  return {units};
}

// phi = acos(c) / pi rounded to single precision. The arguments of the two
// evaluations' acos lie within 2 roundings of c of each other; through acos
// (slope 1 / sqrt(1 - c^2)) and the division that gives spread * slope / pi
// plus the library's and the division's errors. For |c| <= 1/2 the slope is
// at most 1.155 and acos(c) >= pi / 3, which makes it at most 8 roundings of
// phi itself.
inline float NarrowAngle(NoGuard& guard, Wide v, Wide, Wide) { return Narrow(guard, v, 0); }
inline float NarrowAngle(PixelGuard& guard, double v, double c, double angle) {
  if (std::fabs(c) <= 0.5) return Narrow(guard, v, RelativeBound{8});
  return NarrowWithin(
      guard, v,
      AcosBound(c, angle, 2 * kUnit * std::fabs(c)) / kPi * (1 + kUnit) + 2 * kUnit * std::fabs(v));
}

// The steps below are written once for both kinds of arithmetic: T is Wide
// (extended precision, G the guard that checks nothing) or double (G the
// pixel's guard). Both run the same operations in the same order. The
// checked sites carry their bounds; table arguments without one are exact
// in double.
template <typename T, typename G>
float DiagonalAndWarp(const PatternSwitches& s, float x, float y, G& guard) {
  if (s.diagonal) {
    const T v = (T{x} + y) * T{0.5};
    x = Narrow(guard, v, [&] { return ExactSmallSum(x, y) ? 0.0 : 2 * kUnit * Abs(v); });
  }
  if (s.warpMode == 1) {
    const T v = T{2048.0} * (T{x} * s.warpFreq + s.warpPhase);
    x = CosAt(guard, v, Relative(v, 2));
  } else if (s.warpMode == 2) {
    const T bent = (T{y} + s.warpOffset) * x * s.warpFreq;
    const T v = T{2048.0} * (bent + s.warpPhase);
    x = CosAt(guard, v, [&] { return kUnit * (4 * 2048.0 * Abs(bent) + 2 * Abs(v)); });
  }
  return x;
}

// Radial modulation of rho by radialMode (0: none).
template <typename T, typename G>
float Modulate(const PatternSwitches& s, double units, float rhoIn, float phiIn, float x, float y,
               G& guard) {
  const T k{units};
  const T rho = rhoIn;
  const T phi = phiIn;
  const T pi{kPi};
  const T one{1.0};
  const T two{2.0};
  const T tenth{0.1};
  T v;
  switch (s.radialMode) {
    case 1: {
      const T index = k * (T{s.c1} / (rho + tenth) + pi * s.c2 * phi);
      v = rho / (one + Abs(T{SinAt(guard, index, Relative(index, 6))}));
      return Narrow(guard, v, Relative(v, 3));
    }
    case 2: {
      const T index = k * s.c1 / (rho + tenth);
      const T lift = pi * s.c2 * phi;
      v = rho / (one + Abs(T{SinAt(guard, index, Relative(index, 4))} + lift));
      return Narrow(guard, v, [&] { return kUnit * Abs(v) * (2 * Abs(lift) + 4); });
    }
    case 3: {
      const T first = k * s.c4 / (rho + tenth);
      const T second = k * s.c3 / (phi + tenth);
      v = rho / (one + Abs(T{CosAt(guard, first, Relative(first, 4))} *
                           CosAt(guard, second, Relative(second, 4))));
      return Narrow(guard, v, Relative(v, 3));
    }
    case 4: {
      const T index = k * s.c1 / (phi * rho + tenth);
      v = rho / (one + Abs(T{CosAt(guard, index, Relative(index, 4))}));
      return Narrow(guard, v, Relative(v, 3));
    }
    case 5: {
      const T a = one + rho;
      const T log = Log(a);
      const T index = k * s.c1 / log;
      v = rho / (one + Abs(T{SinAt(guard, index, [&] {
                   // 1 + rho is exact unless rho is below 2^-28.
                   const double spread = ExactSmallSum(1.0f, rhoIn) ? 0.0 : 3 * kUnit * a;
                   return Abs(index) * (LogBound(a, log, spread) / Abs(log) + 3 * kUnit);
                 })}));
      return Narrow(guard, v, Relative(v, 3));
    }
    case 6:
      v = rho / (two + T{SinAt(guard, T{4096.0} * x * y)});
      return Narrow(guard, v, Relative(v, 3));
    case 7:
      v = rho / (two + T{CosAt(guard, T{4096.0} * x * y)});
      return Narrow(guard, v, Relative(v, 3));
    default:
      return rhoIn;
  }
}

// The profile position t (0..998) from the two shape values.
template <typename T, typename G>
float ProfilePosition(int32_t combineMode, T span, T w, T l, T i, T phi, G& guard) {
  const T one{1.0};
  const T thirty{30.0};
  T t;
  switch (combineMode) {
    case 0:
      t = span * i * phi;
      return Narrow(guard, t, Relative(t, 2));
    case 1:
      t = (w * l + (one - w) * i) * span * phi;
      return Narrow(guard, t, Relative(t, 4));
    case 2:
      t = span / ((w * l + (one - w) * i) * thirty + one) * phi;
      return Narrow(guard, t, Relative(t, 6));
    case 3:
      t = span / (thirty * w * l * i + one) * phi;
      return Narrow(guard, t, Relative(t, 5));
    case 4:
      t = span * l / (thirty * w * i + one) * phi;
      return Narrow(guard, t, Relative(t, 4));
    default: {
      const T power = Pow(l, (T{5.0} * w + T{15.0}) * i);
      t = power * span * phi;
      return Narrow(guard, t, [&] {
        // A power of a nonzero base near the subnormal range has no relative
        // bound; a zero base gives 0 or 1 exactly.
        if (l != 0.0 && !(power >= 0x1p-1000)) return std::numeric_limits<double>::infinity();
        if (l == 0.0) return 0.0;
        return static_cast<double>(kUnit * Abs(t) * (3 * NegativeLogAtMost(power) + 7));
      });
    }
  }
}

// Calls step(0), ..., step(N - 1): one step of the pixels of a group.
template <int N, typename Step>
inline void EachPixel(const Step& step) {
#pragma GCC unroll 8
  for (int k = 0; k < N; ++k) step(k);
}

// The raw heights of N pixels of one row, at columnX[0 .. N - 1], with
// guard[k] the guard of pixel k. Each step runs for every pixel of the group
// before the next one starts: the steps of one pixel wait on each other
// (long chains of dependent operations), those of different pixels do not,
// so the processor works on them side by side. Every pixel goes through the
// same operations as on its own. Everything it calls is compiled into it, so
// that the steps of the group stand side by side in one stretch of code.
template <int N, typename T, typename G>
[[gnu::flatten]] void RawHeights(const PatternSwitches& s, const PixelConstants& c,
                                 const float* columnX, float y, float* out, G* guard) {
  float x[N];
  float r[N];
  T cosine[N];
  float phi[N];
  float rho[N];
  EachPixel<N>([&](int k) { x[k] = DiagonalAndWarp<T>(s, columnX[k], y, guard[k]); });
  EachPixel<N>([&](int k) {
    const T v = Hypot(T{x[k]}, T{y}) * T{0.999} + T{0.001};
    r[k] = Narrow(guard[k], v, Relative(v, 3));
  });
  // |y| <= r holds mathematically; the clamp keeps acos defined against
  // rounding.
  EachPixel<N>([&](int k) { cosine[k] = ClampUnit(T{y} / T{r[k]}); });
  EachPixel<N>([&](int k) {
    const T angle = Abs(Acos(cosine[k]));
    const T v = angle / T{kPi};
    phi[k] = NarrowAngle(guard[k], v, cosine[k], angle);
  });
  // A single operation on floats rounded to a float gives the same value in
  // single precision as in extended precision (which holds more than twice
  // the bits): these run on the cheaper single-precision unit.
  EachPixel<N>([&](int k) { rho[k] = r[k] / c.radiusMax; });

  if (s.spiral != 0.0f) {
    // turns lies in 0..2, so its floor is its integer part.
    EachPixel<N>([&](int k) {
      // Exact: spiral has at most two significant bits.
      const T turns = T{s.spiral} * phi[k];
      const T whole{static_cast<double>(Truncate(guard[k], turns, [] { return 0.0; }))};
      const T fraction = turns - whole;  // exact
      const T v = T{2.0} * Abs(fraction - T{0.5});
      phi[k] = Narrow(guard[k], v, [&] { return fraction < 0x1p-26 ? 2 * kUnit : 0.0; });
    });
  }
  EachPixel<N>(
      [&](int k) { rho[k] = Modulate<T>(s, c.radianUnits, rho[k], phi[k], x[k], y, guard[k]); });

  if (s.swapPolar) {
    EachPixel<N>([&](int k) { std::swap(rho[k], phi[k]); });
  } else if (s.invertRadius) {
    EachPixel<N>([&](int k) { rho[k] = 1.0f - rho[k]; });
  }
  if (s.ripple || s.swapPolar) {
    EachPixel<N>([&](int k) {
      const T one{1.0};
      const T index =
          T{c.radianUnits} * s.rippleFreq * (T{phi[k]} + s.ripplePhase1) + s.ripplePhase2;
      const float wave = SinAt(guard[k], index, Relative(index, 5));
      const T lifted = (T{wave} + one) * T{0.25};
      const float shift = Narrow(guard[k], lifted, [&] {
        return ExactSmallSum(wave, 1.0f) ? 0.0 : 2 * kUnit * Abs(lifted);
      });
      const T v =
          Abs(T{rho[k]} - shift) * (one - s.rippleMix) / (one - shift) + T{s.rippleMix} * rho[k];
      rho[k] = Narrow(guard[k], v, Relative(v, 7));
    });
  }

  float l[N];
  EachPixel<N>([&](int k) {
    l[k] = ShapeValue<T>(s.shapeModeA, s.a, {rho[k], phi[k], x[k], y, 1.0f, 0.0f, 1.0f, -1.0f},
                         guard[k]);
  });
  float j[N];
  float k2[N];
  EachPixel<N>([&](int k) {
    j[k] = 1.0f;
    k2[k] = 0.0f;
    if (s.combineMode == 0) {
      const T v = (T{1.0} - s.a.w) + T{s.a.w} * l[k];
      j[k] = Narrow(guard[k], v, Relative(v, 2));
      k2[k] = s.a.w * l[k];
    }
  });
  float i[N];
  EachPixel<N>([&](int k) {
    i[k] = ShapeValue<T>(s.shapeModeB, s.b, {rho[k], phi[k], x[k], y, j[k], k2[k], l[k], 1.0f},
                         guard[k]);
  });

  EachPixel<N>([&](int k) {
    float t = ProfilePosition<T>(s.combineMode, T{c.profileSpan}, T{s.a.w}, T{l[k]}, T{i[k]},
                                 T{phi[k]}, guard[k]);
    // t lies in 0..998 by construction; the clamp keeps the profile index
    // inside the table should rounding or a NaN ever say otherwise.
    if (!(t >= 0.0f)) t = 0.0f;
    if (t > c.profileSpan) t = c.profileSpan;
    const int32_t n = static_cast<int32_t>(t);
    const float f = t - static_cast<float>(n);  // exact: the fraction of t
    const T blend = (T{1.0} - f) * c.profile[n] + T{f} * c.profile[n + 1];
    const T v = blend * (T{c.mapHeight} * rho[k]);
    out[k] = Narrow(guard[k], v, Relative(v, 5));
  });
}

// Counts of the pixels computed on the double path and of those it handed
// to the extended one.
std::atomic<uint64_t> guardedPixels{0};
std::atomic<uint64_t> fallbackPixels{0};

// The double path where it is built: it needs double arithmetic that
// rounds every operation to double (no x87 excess precision).
#if defined(__FLT_EVAL_METHOD__) && __FLT_EVAL_METHOD__ == 0
constexpr bool kDoublePathBuilt = true;
#else
constexpr bool kDoublePathBuilt = false;
#endif
bool extendedOnly = false;

// The raw heights of N pixels, on the double path with the guarded pixels
// recomputed in extended precision, or all in extended precision. Returns
// the number of pixels that fell back.
template <int N>
int RawHeightsOf(const PatternSwitches& s, const PixelConstants& c, const float* columnX, float y,
                 float* out, bool guarded) {
  NoGuard none[N];
  if (!guarded) {
    constexpr int M = N < kWideGroup ? N : kWideGroup;
    for (int k = 0; k < N; k += M) RawHeights<M, Wide>(s, c, columnX + k, y, out + k, none);
    return 0;
  }
  PixelGuard guard[N];
  RawHeights<N, double>(s, c, columnX, y, out, guard);
  int fallbacks = 0;
  for (int k = 0; k < N; ++k) {
    if (guard[k].fallback) {
      RawHeights<1, Wide>(s, c, columnX + k, y, out + k, none);
      ++fallbacks;
    }
  }
  return fallbacks;
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
  const PixelConstants c{static_cast<double>(g.height), g.radiusMax, g.radianUnits, g.profileSpan,
                         g.descriptor->profile};
  const bool guarded = kDoublePathBuilt && !extendedOnly;
  int64_t fallbacks = 0;
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
        fallbacks += RawHeightsOf<kPixelGroup>(s, c, columnX + j, y, v, guarded);
      } else {
        fallbacks += RawHeightsOf<1>(s, c, columnX + j, y, v, guarded);
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
  if (guarded) {
    guardedPixels.fetch_add(static_cast<uint64_t>(last - first), std::memory_order_relaxed);
    fallbackPixels.fetch_add(static_cast<uint64_t>(fallbacks), std::memory_order_relaxed);
  }
  return {high, low};
}

}  // namespace zm::generator

namespace zm {

void SetPlainPixelLoop(bool plain) { generator::plainPixelLoop = plain; }

void SetExtendedPixelChain(bool extended) { generator::extendedOnly = extended; }

PixelChainCounts TakePixelChainCounts() {
  return {generator::guardedPixels.exchange(0), generator::fallbackPixels.exchange(0)};
}

}  // namespace zm

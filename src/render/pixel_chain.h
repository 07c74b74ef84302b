#pragma once

#include <cmath>
#include <cstdint>
#include <limits>
#include <utility>

#include "render/generator_math.h"
#include "render/generator_state.h"
#include "render/guarded_double.h"
#include "render/guarded_lanes.h"
#include "render/pattern_switches.h"
#include "render/shape_functions.h"
#include "render/table_lookup.h"

// The pixel chain of stage 3 (see raw_height.cpp), written once for every
// arithmetic: the extended path, the scalar double path and the double path
// in lanes. Besides raw_height.cpp, the files that build the lanes for one
// vector unit (raw_height_avx2.cpp, raw_height_avx512.cpp, compiled for
// that unit) include it: the chain's templates stay in an unnamed
// namespace, so that no file's copy, compiled for its unit, stands in for
// another file's.
namespace zm::generator {

// Pixels of one row computed side by side (see RawHeights): on the double
// path sixteen in lanes (two groups of eight or four of four, see
// InLanes), or eight one at a time on the scalar double path; on the
// extended path four.
constexpr int kPixelGroup = 16;
constexpr int kScalarGroup = 8;
constexpr int kWideGroup = 4;

// Constants of the pixel loop, per slice.
struct PixelConstants {
  double mapHeight;    // H
  float radiusMax;     // sqrt 2
  double radianUnits;  // table units per radian
  float profileSpan;   // 998
  const float* profile;
};

using LanePath = uint32_t (*)(const PatternSwitches&, const PixelConstants&, const float*, float,
                              float*);

// The lanes' entries where their files are compiled for their vector unit,
// otherwise null.
LanePath LanePathAvx2();
LanePath LanePathAvx512();

// The integer part of an exact value (the lanes have their own, beside
// which this one is looked up).
template <typename G, typename T>
inline T WholePart(G& guard, T v) {
  return T(static_cast<double>(Truncate(guard, v, [] { return 0.0; })));
}

namespace {

// A value of `units` roundings' worth of error relative to itself (see
// docs/pixel-guard.md).
template <typename T>
RelativeBound Relative(T, int units) {
  return {units};
}

// phi = acos(c) / pi rounded to single precision. The arguments of the two
// evaluations' acos lie within 2 roundings of c of each other; through acos
// (slope 1 / sqrt(1 - c^2)) and the division that gives spread * slope / pi
// plus the library's and the division's errors. For |c| <= 0.999 the slope
// is at most 22.4 and acos(c) >= 0.0447, which makes it at most 1006
// roundings of phi itself (docs/pixel-guard.md): a relative bound, without
// the slope's square root and division.
constexpr double kSteepCosine = 0.999;
constexpr RelativeBound kAngleUnits{1024};
// Beyond 0.999 (results below 0.045, or near pi) some libraries' acos is
// within a few units absolute rather than relative to its small result
// (mingw-w64's, measured up to 4.3 * 2^-52): both calls count 8 units
// absolute besides their relative ones.
constexpr double kSteepLibraryError = 16 * kUnit;

inline float NarrowAngle(NoGuard& guard, Wide v, Wide, Wide) { return Narrow(guard, v, 0); }
inline float NarrowAngle(PixelGuard& guard, double v, double c, double angle) {
  if (std::fabs(c) <= kSteepCosine) return Narrow(guard, v, kAngleUnits);
  return NarrowWithin(
      guard, v,
      (AcosBound(c, angle, 2 * kUnit * std::fabs(c)) + kSteepLibraryError) / kPi * (1 + kUnit) +
          2 * kUnit * std::fabs(v));
}
// The same for lanes: the groups with a lane beyond 0.999 (next to the
// vertical axis) take both bounds.
template <int N>
inline FloatLanes<N> NarrowAngle(LaneGuard<N>& guard, Lanes<N> v, Lanes<N> c, Lanes<N> angle) {
  if (!(Abs(c) > kSteepCosine).Any()) return Narrow(guard, v, kAngleUnits);
  const Lanes<N> steep =
      (AcosBound(c, angle, 2 * kUnit * Abs(c)) + kSteepLibraryError) / kPi * (1 + kUnit) +
      2 * kUnit * Abs(v);
  return NarrowWithin(guard, v,
                      Select(Abs(c) <= kSteepCosine, Abs(v) * (kAngleUnits.units * kUnit), steep));
}

// The steps below are written once for both kinds of arithmetic: T is Wide
// (extended precision, G the guard that checks nothing) or double (G the
// pixel's guard). Both run the same operations in the same order. The
// checked sites carry their bounds; table arguments without one are exact
// in double.
template <typename T, typename G, typename F = Working<T>>
F DiagonalAndWarp(const PatternSwitches& s, F x, F y, G& guard) {
  if (s.diagonal) {
    const T v = (T{x} + y) * T{0.5};
    x = Narrow(guard, v, [&] { return Select(ExactSmallSum(x, y), 0.0, 2 * kUnit * Abs(v)); });
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
template <typename T, typename G, typename F = Working<T>>
F Modulate(const PatternSwitches& s, double units, F rhoIn, F phiIn, F x, F y, G& guard) {
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
                   const T spread = Select(ExactSmallSum(F{1.0f}, rhoIn), 0.0, 3 * kUnit * a);
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
Working<T> ProfilePosition(int32_t combineMode, T span, T w, T l, T i, T phi, G& guard) {
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
        const T bound =
            Select(power >= 0x1p-1000, kUnit * Abs(t) * (3 * NegativeLogAtMost(power) + 7),
                   std::numeric_limits<double>::infinity());
        return Select(l == 0.0, 0.0, bound);
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

// The profile's entries around t (clamped to 0..span) and t's fraction.
template <typename F>
struct ProfileSample {
  F fraction;
  F low;
  F high;
};

inline ProfileSample<float> SampleProfile(const float* profile, float t, float span) {
  // t lies in 0..998 by construction; the clamp keeps the profile index
  // inside the table should rounding or a NaN ever say otherwise.
  if (!(t >= 0.0f)) t = 0.0f;
  if (t > span) t = span;
  const int32_t n = static_cast<int32_t>(t);
  return {t - static_cast<float>(n), profile[n], profile[n + 1]};  // the fraction is exact
}

template <int N>
inline ProfileSample<FloatLanes<N>> SampleProfile(const float* profile, FloatLanes<N> at,
                                                  float span) {
  using Vector = typename FloatLanes<N>::Vector;
  const Vector zero{};
  const Vector top = zero + span;
  Vector t = at.v >= zero ? at.v : zero;
  t = t > top ? top : t;
  const LaneIndices<N> n = __builtin_convertvector(t, LaneIndices<N>);
  return {FloatLanes<N>(t - __builtin_convertvector(n, Vector)), Gather<N>(profile, n),
          Gather<N>(profile + 1, n)};
}

// The raw heights of N pixels of one row (N groups of lanes where T is
// Lanes: the pixels at columnX[0 .. N * lanes - 1]), with guard[k] the guard
// of pixel k. Each step runs for every pixel of the group before the next
// one starts: the steps of one pixel wait on each other (long chains of
// dependent operations), those of different pixels do not, so the processor
// works on them side by side. Every pixel goes through the same operations
// as on its own. Everything it calls is compiled into it, so that the steps
// of the group stand side by side in one stretch of code.
template <int N, typename T, typename G>
[[gnu::flatten]] void RawHeights(const PatternSwitches& s, const PixelConstants& c,
                                 const float* columnX, float y, float* out, G* guard) {
  using F = Working<T>;
  constexpr int kLanes = WorkingOf<T>::kLanes;
  F x[N];
  F r[N];
  T cosine[N];
  F phi[N];
  F rho[N];
  EachPixel<N>([&](int k) {
    x[k] = DiagonalAndWarp<T>(s, LoadWorking(columnX + k * kLanes, F{}), F{y}, guard[k]);
  });
  EachPixel<N>([&](int k) {
    const T v = Hypot(T{x[k]}, T{y}) * T{0.999} + T{0.001};
    r[k] = Narrow(guard[k], v, Relative(v, 3 + kHypotUnits<T>));
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
      const T whole = WholePart(guard[k], turns);
      const T fraction = turns - whole;  // exact
      const T v = T{2.0} * Abs(fraction - T{0.5});
      phi[k] = Narrow(guard[k], v, [&] { return Select(fraction < 0x1p-26, 2 * kUnit, 0.0); });
    });
  }
  EachPixel<N>(
      [&](int k) { rho[k] = Modulate<T>(s, c.radianUnits, rho[k], phi[k], x[k], F{y}, guard[k]); });

  if (s.swapPolar) {
    EachPixel<N>([&](int k) { std::swap(rho[k], phi[k]); });
  } else if (s.invertRadius) {
    EachPixel<N>([&](int k) { rho[k] = F{1.0f} - rho[k]; });
  }
  if (s.ripple || s.swapPolar) {
    EachPixel<N>([&](int k) {
      const T one{1.0};
      const T index =
          T{c.radianUnits} * s.rippleFreq * (T{phi[k]} + s.ripplePhase1) + s.ripplePhase2;
      const F wave = SinAt(guard[k], index, Relative(index, 5));
      const T lifted = (T{wave} + one) * T{0.25};
      const F shift = Narrow(guard[k], lifted, [&] {
        return Select(ExactSmallSum(wave, F{1.0f}), 0.0, 2 * kUnit * Abs(lifted));
      });
      const T v =
          Abs(T{rho[k]} - shift) * (one - s.rippleMix) / (one - shift) + T{s.rippleMix} * rho[k];
      rho[k] = Narrow(guard[k], v, Relative(v, 7));
    });
  }

  F l[N];
  EachPixel<N>([&](int k) {
    l[k] = ShapeValue<T>(s.shapeModeA, s.a, {rho[k], phi[k], x[k], y, 1.0f, 0.0f, 1.0f, -1.0f},
                         guard[k]);
  });
  F j[N];
  F k2[N];
  EachPixel<N>([&](int k) {
    j[k] = 1.0f;
    k2[k] = 0.0f;
    if (s.combineMode == 0) {
      const T v = (T{1.0} - s.a.w) + T{s.a.w} * l[k];
      j[k] = Narrow(guard[k], v, Relative(v, 2));
      k2[k] = F{s.a.w} * l[k];
    }
  });
  F i[N];
  EachPixel<N>([&](int k) {
    i[k] = ShapeValue<T>(s.shapeModeB, s.b, {rho[k], phi[k], x[k], y, j[k], k2[k], l[k], 1.0f},
                         guard[k]);
  });

  EachPixel<N>([&](int k) {
    const F t = ProfilePosition<T>(s.combineMode, T{c.profileSpan}, T{s.a.w}, T{l[k]}, T{i[k]},
                                   T{phi[k]}, guard[k]);
    const ProfileSample<F> p = SampleProfile(c.profile, t, c.profileSpan);
    const T blend = (T{1.0} - p.fraction) * p.low + T{p.fraction} * p.high;
    const T v = blend * (T{c.mapHeight} * rho[k]);
    StoreWorking(out + k * kLanes, Narrow(guard[k], v, Relative(v, 5)));
  });
}
// The double path in lanes for the N pixels of a group, in groups of L
// lanes: the bits of the pixels (0 .. N - 1) whose lanes fell back.
template <int N, int L>
inline uint32_t InLanes(const PatternSwitches& s, const PixelConstants& c, const float* columnX,
                        float y, float* out) {
  static_assert(N % L == 0 && N <= 32);
  constexpr int kGroups = N / L;
  LaneGuard<L> guard[kGroups];
  RawHeights<kGroups, Lanes<L>>(s, c, columnX, y, out, guard);
  uint32_t fallbacks = 0;
  for (int group = 0; group < kGroups; ++group) {
    for (int lane = 0; lane < L; ++lane) {
      if (guard[group].fallback.At(lane)) fallbacks |= uint32_t{1} << (group * L + lane);
    }
  }
  return fallbacks;
}

}  // namespace

}  // namespace zm::generator

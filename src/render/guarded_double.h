#pragma once

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

#include "render/trig_tables.h"

// The checks of the pixel chain's double path. The chain runs in double
// precision; each place where a value is rounded to single precision or
// truncated to an integer gets a bound on how far the extended-precision
// evaluation of the same expression (same operations, same order, same
// inputs) can lie from the double value. If a rounding midpoint or an integer
// lies within that bound, the two could round apart: the pixel is marked and
// computed again in extended precision. The bounds of the sites are derived
// in docs/pixel-guard.md.
namespace zm::generator {

// One rounding, counted for both evaluations: 2^-53 in double plus 2^-64
// (x87) or 2^-113 (quad) in extended, taken as 2^-52.
constexpr double kUnit = 0x1p-52;

// The checks that failed for one pixel.
struct PixelGuard {
  bool fallback = false;
};

// The guard works on the bits of the double: its exponent field, and its
// mantissa in units of its last place (ulps).
inline uint64_t Bits(double v) { return std::bit_cast<uint64_t>(v); }
inline int ExponentField(uint64_t bits) { return static_cast<int>((bits >> 52) & 0x7ff); }
// 2^(52 - e) for v of binary exponent e: the bound's scale in ulps of v.
// For exponent fields below 52 (and 0, 2047) the pattern overflows into an
// infinity or a negative number; the callers fall back on those.
inline double UlpsPerUnit(int exponentField) {
  return std::bit_cast<double>(static_cast<uint64_t>(2098 - exponentField) << 52);
}

// A bound of `units` roundings relative to the value itself: units * 2^-52 *
// |v|, which is below 2 * units ulps of v.
struct RelativeBound {
  int units;
};

// Marks the pixel when a rounding midpoint of single precision lies within
// `ulps` of the double of these bits, or when the double is not a normal
// float (a zero only where `zeroExact` is false).
//
// Rounding to single precision drops the low 29 of the 52 mantissa bits;
// the midpoints inside the double's binade are where those bits are 2^28.
// The midpoint below the binade's lowest float lies 2^27 ulps below the
// binade, beyond every bound checked here (below 2^26 ulps).
inline void CheckMidpoint(PixelGuard& guard, uint64_t bits, uint64_t ulps, bool zeroExact) {
  // Normal floats: binary exponents -126..127.
  const bool outside = static_cast<unsigned>(ExponentField(bits) - (1023 - 126)) > 253u;
  // The dropped bits within `ulps` of 2^28, as one unsigned comparison.
  const uint64_t offset = (bits & ((uint64_t{1} << 29) - 1)) - (uint64_t{1} << 28) + ulps;
  if ((outside && !(zeroExact && (bits << 1) == 0)) | (offset <= 2 * ulps)) {
    guard.fallback = true;
  }
}

// Marks the pixel when an integer lies within `ulps` of v, or v is beyond
// the range that converts directly (2^52); returns v's integer part (toward
// zero). Integers lie where the mantissa bits below v's units place are 0,
// for |v| >= 1; below 1 the only near one is 1 itself (0 lies 2^53 ulps or
// more away), for the bounds below 2^50 ulps checked here.
inline int64_t CheckInteger(PixelGuard& guard, double v, uint64_t bits, uint64_t ulps) {
  const int exponent = ExponentField(bits) - 1023;
  if (exponent >= 52) {  // also infinities and NaN
    guard.fallback = true;
    return 0;
  }
  const uint64_t mantissa = bits & ((uint64_t{1} << 52) - 1);
  if (exponent >= 0) {
    // The bits below the units place, within `ulps` of 0 or of a whole unit.
    const uint64_t period = uint64_t{1} << (52 - exponent);
    if (((mantissa + ulps) & (period - 1)) <= 2 * ulps) guard.fallback = true;
  } else if (exponent == -1 && (uint64_t{1} << 52) - mantissa <= ulps) {
    guard.fallback = true;
  }
  return static_cast<int64_t>(v);
}

// v rounded to single precision, marking the pixel when a rounding midpoint
// lies within `bound` of v. A bound of 0 says that both evaluations hold v
// itself.
inline float NarrowWithin(PixelGuard& guard, double v, double bound) {
  const float f = static_cast<float>(v);
  if (bound == 0.0) return f;
  const uint64_t bits = Bits(v);
  // Zeros, subnormals, infinities and NaN give no valid scale and fall
  // back with an infinite or negative count.
  const double ulps = bound * UlpsPerUnit(ExponentField(bits));
  if (!(ulps >= 0.0 && ulps < 0x1p26)) {
    guard.fallback = true;
  } else {
    CheckMidpoint(guard, bits, static_cast<uint64_t>(ulps) + 1, false);
  }
  return f;
}

inline float NarrowWithin(PixelGuard& guard, double v, RelativeBound bound) {
  CheckMidpoint(guard, Bits(v), static_cast<uint64_t>(2 * bound.units), true);
  return static_cast<float>(v);
}

// The integer part of v (toward zero), marking the pixel when an integer
// lies within `bound` of v.
inline int64_t TruncateWithin(PixelGuard& guard, double v, double bound) {
  if (bound == 0.0) return static_cast<int64_t>(v);
  const uint64_t bits = Bits(v);
  const double ulps = bound * UlpsPerUnit(ExponentField(bits));
  if (!(ulps >= 0.0 && ulps < 0x1p50)) {
    guard.fallback = true;
    return 0;
  }
  return CheckInteger(guard, v, bits, static_cast<uint64_t>(ulps) + 1);
}

inline int64_t TruncateWithin(PixelGuard& guard, double v, RelativeBound bound) {
  return CheckInteger(guard, v, Bits(v), static_cast<uint64_t>(2 * bound.units));
}

inline uint32_t Wrapped(int64_t n) { return static_cast<uint32_t>(n) & (kTrigTableSize - 1); }

// The checked sites of the double path. `bound` is a callable giving the
// site's bound; the extended path's versions (generator_math.h) take the
// same arguments and ignore it.
inline float Narrow(PixelGuard& guard, double v, RelativeBound bound) {
  return NarrowWithin(guard, v, bound);
}
inline float SinAt(PixelGuard& guard, double v, RelativeBound bound) {
  return SinTable[Wrapped(TruncateWithin(guard, v, bound))];
}
inline float CosAt(PixelGuard& guard, double v, RelativeBound bound) {
  return CosTable[Wrapped(TruncateWithin(guard, v, bound))];
}
template <typename Bound>
inline float Narrow(PixelGuard& guard, double v, const Bound& bound) {
  return NarrowWithin(guard, v, bound());
}
template <typename Bound>
inline int64_t Truncate(PixelGuard& guard, double v, const Bound& bound) {
  return TruncateWithin(guard, v, bound());
}
template <typename Bound>
inline float SinAt(PixelGuard& guard, double v, const Bound& bound) {
  return SinTable[Wrapped(TruncateWithin(guard, v, bound()))];
}
template <typename Bound>
inline float CosAt(PixelGuard& guard, double v, const Bound& bound) {
  return CosTable[Wrapped(TruncateWithin(guard, v, bound()))];
}

// Table look-ups of arguments that are exact in both evaluations.
inline float SinAt(PixelGuard& guard, double v) {
  return SinAt(guard, v, [] { return 0.0; });
}
inline float CosAt(PixelGuard& guard, double v) {
  return CosAt(guard, v, [] { return 0.0; });
}

inline double Abs(double v) { return std::fabs(v); }
inline double ClampUnit(double v) { return v < -1.0 ? -1.0 : (v > 1.0 ? 1.0 : v); }
inline double Acos(double v) { return std::acos(v); }
// The hypot of two floats as the square root of the sum of their squares,
// which are exact: within 3/4 of an ulp, the library's (which the extended
// path calls) within 2, so the two lie within kHypotUnits roundings of each
// other (docs/pixel-guard.md).
inline double Hypot(double x, double y) { return std::sqrt(x * x + y * y); }
inline double Log(double v) { return std::log(v); }
inline double Pow(double base, double exponent) { return std::pow(base, exponent); }

// Whether a + b is exact in double for floats a, b of magnitude at most 2
// (then either is 0 or both hold their last bit at 2^-51 or above).
inline bool ExactSmallSum(float a, float b) {
  const auto fits = [](float f) { return f == 0.0f || std::fabs(f) >= 0x1p-28f; };
  return fits(a) && fits(b);
}

// A library call's error, counted for both evaluations' calls (within
// 2 ulps each), relative to its result.
constexpr double kLibraryUnits = 4.0;

// The bound on acos(c) between the double path's argument c and the
// extended path's (its value rounded to double), which lie within `spread`
// of each other; infinite where the slope 1 / sqrt(1 - c^2) cannot be
// bounded (the spread reaches +-1).
inline double AcosBound(double c, double result, double spread) {
  const double far = std::fabs(c) + spread;
  if (!(far < 1.0)) return std::numeric_limits<double>::infinity();
  return spread / std::sqrt((1.0 - far) * (1.0 + far)) + kLibraryUnits * kUnit * result;
}

// The same for log(a), a > 0: the slope is 1 / a.
inline double LogBound(double a, double result, double spread) {
  if (spread == 0.0) return 0.0;
  const double low = a - spread;
  if (!(low > 0.0)) return std::numeric_limits<double>::infinity();
  return spread / low + kLibraryUnits * kUnit * std::fabs(result);
}

// An upper bound on -ln p for 0 < p <= 1 from p's binary exponent.
inline double NegativeLogAtMost(double p) {
  const auto exponent = static_cast<int>((std::bit_cast<uint64_t>(p) >> 52) & 0x7ff);
  return (1023 - exponent + 1) * 0.6931471805599453 * (1.0 + 0x1p-40);
}

}  // namespace zm::generator

#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "render/table_lookup.h"

// The library functions of the pattern generator (acos, hypot, the twist and
// profile cosines, the logarithms and the powers). All of them run in double
// precision: the argument, evaluated in extended precision, is rounded to
// double and the result widens back for the rest of the expression. The
// double versions cost a fraction of the extended ones, and every result is
// stored in single precision anyway.
namespace zm::generator {

using Real = long double;

// For R = Real (and the measurement build's __float128).
template <typename R>
inline R Acos(R v) {
  return std::acos(static_cast<double>(v));
}
template <typename R>
inline R Cos(R v) {
  return std::cos(static_cast<double>(v));
}
template <typename R>
inline R Hypot(R x, R y) {
  return std::hypot(static_cast<double>(x), static_cast<double>(y));
}
template <typename R>
inline R Log(R v) {
  return std::log(static_cast<double>(v));
}
template <typename R>
inline R Pow(R base, R exponent) {
  return std::pow(static_cast<double>(base), static_cast<double>(exponent));
}

// The pixel chain is written once for two kinds of number: the extended one
// (Wide, below) and the guarded double of bounded_double.h. These are the
// extended side's roundings, truncations and table look-ups; they check
// nothing.
struct NoGuard {};

inline Real Abs(Real v) { return std::fabs(v); }
inline Real ClampUnit(Real v) { return std::clamp(v, -1.0L, 1.0L); }
template <typename Bound>
inline float Narrow(NoGuard&, Real v, const Bound&) {
  return static_cast<float>(v);
}
template <typename Bound>
inline int64_t Truncate(NoGuard&, Real v, const Bound&) {
  return TruncateSmall(v);
}
inline float SinAt(NoGuard&, Real v) { return zm::SinAt(v); }
inline float CosAt(NoGuard&, Real v) { return zm::CosAt(v); }
template <typename Bound>
inline float SinAt(NoGuard&, Real v, const Bound&) {
  return zm::SinAt(v);
}
template <typename Bound>
inline float CosAt(NoGuard&, Real v, const Bound&) {
  return zm::CosAt(v);
}

#if defined(ZM_QUAD_FALLBACK)
// For measurement only: the extended side in software quad precision, as on
// machines whose long double is IEEE quad.
using Wide = __float128;

inline Wide Abs(Wide v) { return __builtin_fabsq(v); }
inline Wide ClampUnit(Wide v) { return v < -1 ? Wide{-1} : (v > 1 ? Wide{1} : v); }
template <typename Bound>
inline float Narrow(NoGuard&, Wide v, const Bound&) {
  return static_cast<float>(v);
}
// Arguments beyond the direct conversion's range wrap as on the x87 path.
inline int64_t TruncateWide(Wide v) {
  if (v > -4503599627370496.0 && v < 4503599627370496.0) return static_cast<int64_t>(v);
  return static_cast<int64_t>(WideTableIndex(static_cast<long double>(v)));
}
template <typename Bound>
inline int64_t Truncate(NoGuard&, Wide v, const Bound&) {
  return TruncateWide(v);
}
inline float SinAt(NoGuard&, Wide v) {
  return SinTable[static_cast<uint32_t>(TruncateWide(v)) & (kTrigTableSize - 1)];
}
inline float CosAt(NoGuard&, Wide v) {
  return CosTable[static_cast<uint32_t>(TruncateWide(v)) & (kTrigTableSize - 1)];
}
template <typename Bound>
inline float SinAt(NoGuard& g, Wide v, const Bound&) {
  return SinAt(g, v);
}
template <typename Bound>
inline float CosAt(NoGuard& g, Wide v, const Bound&) {
  return CosAt(g, v);
}
#else
using Wide = Real;
#endif

}  // namespace zm::generator

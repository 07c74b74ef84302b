#pragma once

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#if defined(__SSE2__)
#include <x86intrin.h>
#endif
#if defined(ZM_VECTOR_LIBRARY) && defined(__AVX2__)
#include <sleef.h>
#define ZM_LANE_LIBRARY 1
#endif

#include "render/guarded_double.h"
#include "render/trig_tables.h"

// The pixel chain's double path for several pixels at once: each operation
// of the chain works on N lanes, one pixel each, with the same operations in
// the same order as the scalar double path (guarded_double.h), so that every
// lane gives what that path gives for its pixel. The compiler's vector
// extensions map the lanes on the vector unit the file is compiled for
// (raw_height_avx2.cpp, raw_height_avx512.cpp). The library functions
// (acos, log, pow) are SLEEF's vector ones for that unit, within one ulp as
// the scalar library's are within two: the bounds count two for every call
// (docs/pixel-guard.md). Where SLEEF is not built in, the scalar ones go
// lane by lane.
//
// The checks are a few vector operations without branches: each site sets
// the lanes of its pixels that fall back in one mask, tested once at the
// end of the chain (docs/pixel-guard.md, "The checks of the lanes").
// The lanes are passed by value between inline functions that run in one
// target's code; no call between targets passes them.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wpsabi"

namespace zm::generator {

// The lane types have internal linkage, and so has every template that
// takes them: each file keeps its own copies, compiled for its unit, and an
// unoptimised build's copy from a file compiled for another unit (which
// passes the vectors another way) never stands in for them.
namespace {

template <int N>
struct LaneMask;
template <int N>
struct FloatLanes;

// The vector types of N lanes (the compiler takes no vector size that
// depends on a template's parameter).
template <int N>
struct LaneVectors;
#define ZM_LANE_VECTORS(n)                                           \
  template <>                                                        \
  struct LaneVectors<n> {                                            \
    typedef double Double __attribute__((vector_size(8 * (n))));     \
    typedef int64_t Bits __attribute__((vector_size(8 * (n))));      \
    typedef uint64_t Unsigned __attribute__((vector_size(8 * (n)))); \
    typedef float Float __attribute__((vector_size(4 * (n))));       \
    typedef int32_t Index __attribute__((vector_size(4 * (n))));     \
  }
ZM_LANE_VECTORS(4);
ZM_LANE_VECTORS(8);
#undef ZM_LANE_VECTORS

// N doubles.
template <int N>
struct Lanes {
  using Vector = typename LaneVectors<N>::Double;
  using Bits = typename LaneVectors<N>::Bits;
  Vector v;

  Lanes() = default;
  explicit Lanes(Vector lanes) : v(lanes) {}
  // Every lane d (keeping the sign of a zero). Implicit, as the chain's
  // constants and the working floats (exact, as float to double) become
  // doubles in the scalar chain.
  Lanes(double d) {
    for (int k = 0; k < N; ++k) v[k] = d;
  }
  Lanes(FloatLanes<N> f);

  friend Lanes operator+(Lanes a, Lanes b) { return Lanes(a.v + b.v); }
  friend Lanes operator-(Lanes a, Lanes b) { return Lanes(a.v - b.v); }
  friend Lanes operator*(Lanes a, Lanes b) { return Lanes(a.v * b.v); }
  friend Lanes operator/(Lanes a, Lanes b) { return Lanes(a.v / b.v); }
  friend LaneMask<N> operator<(Lanes a, Lanes b) { return LaneMask<N>{a.v < b.v}; }
  friend LaneMask<N> operator<=(Lanes a, Lanes b) { return LaneMask<N>{a.v <= b.v}; }
  friend LaneMask<N> operator>(Lanes a, Lanes b) { return LaneMask<N>{a.v > b.v}; }
  friend LaneMask<N> operator>=(Lanes a, Lanes b) { return LaneMask<N>{a.v >= b.v}; }
  friend LaneMask<N> operator==(Lanes a, Lanes b) { return LaneMask<N>{a.v == b.v}; }
  friend LaneMask<N> operator!=(Lanes a, Lanes b) { return LaneMask<N>{a.v != b.v}; }
  friend Lanes Abs(Lanes a) {
    constexpr int64_t kMagnitude = INT64_MAX;
    return Lanes(reinterpret_cast<Vector>(reinterpret_cast<Bits>(a.v) & kMagnitude));
  }
};

// N integer masks, all ones where a lane is set.
template <int N>
struct LaneMask {
  typename Lanes<N>::Bits m;

  friend LaneMask operator|(LaneMask a, LaneMask b) { return {a.m | b.m}; }
  friend LaneMask operator&(LaneMask a, LaneMask b) { return {a.m & b.m}; }
  friend LaneMask operator!(LaneMask a) { return {~a.m}; }
  LaneMask& operator|=(LaneMask b) {
    m |= b.m;
    return *this;
  }
  bool Any() const {
    int64_t any = 0;
    for (int k = 0; k < N; ++k) any |= m[k];
    return any != 0;
  }
  bool At(int k) const { return m[k] != 0; }
  friend Lanes<N> Select(LaneMask mask, Lanes<N> a, Lanes<N> b) {
    return Lanes<N>(mask.m ? a.v : b.v);
  }
};

// N floats: the working values in single precision.
template <int N>
struct FloatLanes {
  using Vector = typename LaneVectors<N>::Float;
  Vector v;

  FloatLanes() = default;
  explicit FloatLanes(Vector lanes) : v(lanes) {}
  FloatLanes(float f) {  // implicit, as Lanes(double)
    for (int k = 0; k < N; ++k) v[k] = f;
  }

  friend FloatLanes operator-(FloatLanes a, FloatLanes b) { return FloatLanes(a.v - b.v); }
  friend FloatLanes operator*(FloatLanes a, FloatLanes b) { return FloatLanes(a.v * b.v); }
  friend FloatLanes operator/(FloatLanes a, FloatLanes b) { return FloatLanes(a.v / b.v); }
  // Whether a + b is exact in double for each lane (see the scalar one).
  friend LaneMask<N> ExactSmallSum(FloatLanes a, FloatLanes b) {
    const auto fits = [](Lanes<N> f) { return (f == 0.0) | (Abs(f) >= 0x1p-28); };
    return fits(a) & fits(b);
  }
};

template <int N>
Lanes<N>::Lanes(FloatLanes<N> f) : v(__builtin_convertvector(f.v, Vector)) {}

// The pixels of the lanes that fall back.
template <int N>
struct LaneGuard {
  LaneMask<N> fallback{};
};

}  // namespace

template <int N>
inline FloatLanes<N> ToFloat(Lanes<N> a) {
  return FloatLanes<N>(__builtin_convertvector(a.v, typename FloatLanes<N>::Vector));
}

// The working type of an arithmetic: float for the scalar ones.
template <typename T>
struct WorkingOf {
  using Type = float;
  static constexpr int kLanes = 1;
};
template <int N>
struct WorkingOf<Lanes<N>> {
  using Type = FloatLanes<N>;
  static constexpr int kLanes = N;
};
template <typename T>
using Working = typename WorkingOf<T>::Type;

inline float LoadWorking(const float* p, float) { return *p; }
inline void StoreWorking(float* p, float f) { *p = f; }
template <int N>
inline FloatLanes<N> LoadWorking(const float* p, FloatLanes<N>) {
  FloatLanes<N> f;
  std::memcpy(&f.v, p, sizeof f.v);
  return f;
}
template <int N>
inline void StoreWorking(float* p, FloatLanes<N> f) {
  std::memcpy(p, &f.v, sizeof f.v);
}

// The conditional value of the bounds: both sides are computed.
template <typename A, typename B>
inline auto Select(bool condition, A a, B b) {
  using C = decltype(a + b);
  return condition ? C(a) : C(b);
}

// The lanes whose rounding to single precision could differ between the
// two evaluations: a rounding midpoint lies within `bound` of v, or v is not
// a normal float. The distance to the nearest midpoint is exact: r, what the
// rounding to float removes, is a double (a normal float has room for it),
// and h - |r|, with h half a float step of v's binade, too. The midpoint
// below the binade's lowest float lies h / 2 or more below v: bounds that
// reach it fall back. A bound of 0 is an exact value: no check.
template <int N>
inline LaneMask<N> NearMidpoint(Lanes<N> v, Lanes<N> bound) {
  using Bits = typename Lanes<N>::Bits;
  const Lanes<N> a = Abs(v);
  constexpr int64_t kExponent = 0x7ff0000000000000;
  const Lanes<N> binade(
      reinterpret_cast<typename Lanes<N>::Vector>(reinterpret_cast<Bits>(a.v) & kExponent));
  const Lanes<N> half = binade * 0x1p-24;
  const Lanes<N> removed = a - Lanes<N>(ToFloat(a));
  const Lanes<N> distance = half - Abs(removed);
  const LaneMask<N> normal = (a >= 0x1p-126) & (a < 0x1p127);
  return ((distance <= bound) | (bound >= half * 0.5) | !normal) & (bound != 0.0);
}

// The same for a bound of `units` roundings relative to v, units * 2^-52 *
// |v|, below 2 * units ulps of v (as in CheckMidpoint), on the bits of |v|:
// the dropped 29 mantissa bits lie within a window of W ulps (the power of
// two above 2 * units) of 2^28 when (bits + W - 2^28) / 2W is 0, one shift.
// Values beyond the normal floats (also the subnormal doubles a relative
// bound does not cover) fall back; a zero is exact.
template <int N>
inline LaneMask<N> NearMidpoint(Lanes<N> v, RelativeBound bound) {
  using Bits = typename Lanes<N>::Bits;
  using Unsigned = typename LaneVectors<N>::Unsigned;
  const auto bits = reinterpret_cast<Unsigned>(Abs(v).v);
  const auto window = std::bit_ceil(static_cast<uint64_t>(2 * bound.units + 1));
  const int shift = std::countr_zero(2 * window);
  const Unsigned offset = (bits & ((uint64_t{1} << 29) - 1)) + (window - (uint64_t{1} << 28));
  const auto near = reinterpret_cast<Bits>((offset >> shift) == 0);
  // Below the normal floats but not 0: bits - 1 below the lowest normal
  // float's bits - 1, unsigned (0 wraps to the top), a signed comparison
  // with the sign bits flipped. Above them: bits at or beyond 2^128's (the
  // bits of |v| are below 2^63, so signed as they are).
  constexpr uint64_t kLowest = uint64_t{1023 - 126} << 52;
  constexpr uint64_t kBeyond = uint64_t{1023 + 128} << 52;
  constexpr uint64_t kSign = uint64_t{1} << 63;
  const auto below =
      reinterpret_cast<Bits>((bits - 1) ^ kSign) < static_cast<int64_t>((kLowest - 1) ^ kSign);
  const auto above = reinterpret_cast<Bits>(bits) >= static_cast<int64_t>(kBeyond);
  return LaneMask<N>{near | below | above};
}

// Table arguments are converted to 32-bit integers: beyond 2^31 (and
// infinities, NaN) the lane falls back, as the extended path wraps such
// arguments its own way.
constexpr double kLaneIndexLimit = 0x1p31;

// The lanes whose integer part could differ between the two evaluations:
// an integer other than 0 lies within `bound` of v (truncation toward zero
// gives 0 on both sides of 0). |f|, the fraction, is exact, and so is
// 1 - |f| from 1/2 on; below, 1 - |f| is more than 1/2, beyond every bound
// let through (bounds of 1/4 or more fall back).
template <int N>
inline LaneMask<N> NearInteger(Lanes<N> v, Lanes<N> whole, Lanes<N> bound) {
  const Lanes<N> a = Abs(v);
  const Lanes<N> fraction = Abs(v - whole);
  const LaneMask<N> near =
      ((fraction <= bound) & (a >= 1.0)) | (Lanes<N>(1.0) - fraction <= bound) | (bound >= 0.25);
  return (near & (bound != 0.0)) | !(a < kLaneIndexLimit);
}

// The same for a bound of `units` roundings relative to v (below 2^-31 of
// |v|, as RelativeBound's units are far fewer than 2^21), which is 0 only
// at v = 0 and below |v| elsewhere: below 1 only 1 itself can be near.
// Reaching the integer next to v toward 0 exactly (a fraction equal to the
// bound) keeps the integer part, so that side's comparison is strict, which
// also leaves v = 0 alone.
template <int N>
inline LaneMask<N> NearInteger(Lanes<N> v, Lanes<N> whole, RelativeBound units) {
  const Lanes<N> a = Abs(v);
  const Lanes<N> bound = a * (units.units * kUnit);
  const Lanes<N> fraction = Abs(v - whole);
  return (fraction < bound) | (Lanes<N>(1.0) - fraction <= bound) | !(a < kLaneIndexLimit);
}

template <int N>
using LaneIndices = typename LaneVectors<N>::Index;

// The integer parts of the lanes, 0 where they fall back.
template <int N>
inline LaneIndices<N> WholeParts(Lanes<N> v) {
  const Lanes<N> inRange = Select(Abs(v) < kLaneIndexLimit, v, 0.0);
  return __builtin_convertvector(inRange.v, LaneIndices<N>);
}

template <int N>
inline Lanes<N> ToLanes(LaneIndices<N> n) {
  return Lanes<N>(__builtin_convertvector(n, typename Lanes<N>::Vector));
}

// The integer parts of the lanes, marking those an integer lies within
// `bound` of (a Lanes<N> of absolute bounds, or a RelativeBound).
template <int N, typename Bound>
inline LaneIndices<N> TruncateLanes(LaneGuard<N>& guard, Lanes<N> v, Bound bound) {
  const LaneIndices<N> n = WholeParts(v);
  guard.fallback |= NearInteger(v, ToLanes<N>(n), bound);
  return n;
}

// The integer parts of exact values: only the range is checked.
template <int N>
inline LaneIndices<N> TruncateExact(LaneGuard<N>& guard, Lanes<N> v) {
  guard.fallback |= !(Abs(v) < kLaneIndexLimit);
  return WholeParts(v);
}

// table[n] for every lane (n inside the table), one load a lane: the
// vector units' gathers cost more here.
template <int N>
inline FloatLanes<N> Gather(const float* table, LaneIndices<N> n) {
  FloatLanes<N> f;
  for (int k = 0; k < N; ++k) f.v[k] = table[n[k]];
  return f;
}

template <int N>
inline FloatLanes<N> Lookup(const float* table, LaneIndices<N> n) {
  return Gather<N>(table, n & static_cast<int32_t>(kTrigTableSize - 1));
}

// The checked sites, as those of the scalar double path.
template <int N>
inline FloatLanes<N> NarrowWithin(LaneGuard<N>& guard, Lanes<N> v, Lanes<N> bound) {
  guard.fallback |= NearMidpoint(v, bound);
  return ToFloat(v);
}
template <int N>
inline FloatLanes<N> Narrow(LaneGuard<N>& guard, Lanes<N> v, RelativeBound bound) {
  guard.fallback |= NearMidpoint(v, bound);
  return ToFloat(v);
}
template <int N, typename Bound>
inline FloatLanes<N> Narrow(LaneGuard<N>& guard, Lanes<N> v, const Bound& bound) {
  return NarrowWithin(guard, v, Lanes<N>(bound()));
}
template <int N>
inline FloatLanes<N> SinAt(LaneGuard<N>& guard, Lanes<N> v, RelativeBound bound) {
  return Lookup<N>(SinTable, TruncateLanes(guard, v, bound));
}
template <int N>
inline FloatLanes<N> CosAt(LaneGuard<N>& guard, Lanes<N> v, RelativeBound bound) {
  return Lookup<N>(CosTable, TruncateLanes(guard, v, bound));
}
template <int N, typename Bound>
inline FloatLanes<N> SinAt(LaneGuard<N>& guard, Lanes<N> v, const Bound& bound) {
  return Lookup<N>(SinTable, TruncateLanes(guard, v, Lanes<N>(bound())));
}
template <int N, typename Bound>
inline FloatLanes<N> CosAt(LaneGuard<N>& guard, Lanes<N> v, const Bound& bound) {
  return Lookup<N>(CosTable, TruncateLanes(guard, v, Lanes<N>(bound())));
}
template <int N>
inline FloatLanes<N> SinAt(LaneGuard<N>& guard, Lanes<N> v) {
  return Lookup<N>(SinTable, TruncateExact(guard, v));
}
template <int N>
inline FloatLanes<N> CosAt(LaneGuard<N>& guard, Lanes<N> v) {
  return Lookup<N>(CosTable, TruncateExact(guard, v));
}
// The integer part of an exact value.
template <int N>
inline Lanes<N> WholePart(LaneGuard<N>& guard, Lanes<N> v) {
  return ToLanes<N>(TruncateExact(guard, v));
}

// The library functions, lane by lane.
template <int N, typename F>
inline Lanes<N> EachLane(Lanes<N> a, const F& f) {
  Lanes<N> r;
  for (int k = 0; k < N; ++k) r.v[k] = f(a.v[k]);
  return r;
}
template <int N>
inline Lanes<N> ClampUnit(Lanes<N> v) {
  return Select(v < -1.0, -1.0, Select(Lanes<N>(1.0) < v, 1.0, v));
}
template <int N>
inline Lanes<N> Acos(Lanes<N> v) {
#if defined(ZM_LANE_LIBRARY)
#if defined(__AVX512F__)
  if constexpr (N == 8) return Lanes<N>(Sleef_acosd8_u10avx512f(v.v));
#endif
  if constexpr (N == 4) return Lanes<N>(Sleef_acosd4_u10avx2(v.v));
#endif
  return EachLane(v, [](double d) { return std::acos(d); });
}
template <int N>
inline Lanes<N> Log(Lanes<N> v) {
#if defined(ZM_LANE_LIBRARY)
#if defined(__AVX512F__)
  if constexpr (N == 8) return Lanes<N>(Sleef_logd8_u10avx512f(v.v));
#endif
  if constexpr (N == 4) return Lanes<N>(Sleef_logd4_u10avx2(v.v));
#endif
  return EachLane(v, [](double d) { return std::log(d); });
}
// The lanes' hypot of two floats is the scalar double path's (see Hypot in
// guarded_double.h) with the vector unit's square root, correctly rounded
// as the scalar one.
template <int N>
inline Lanes<N> SquareRoot(Lanes<N> a) {
#if defined(__AVX512F__)
  if constexpr (N == 8) return Lanes<N>(_mm512_mask_sqrt_pd(a.v, 0xff, a.v));
#endif
#if defined(__AVX__)
  if constexpr (N == 4) return Lanes<N>(_mm256_sqrt_pd(a.v));
#endif
  return EachLane(a, [](double d) { return std::sqrt(d); });
}
template <int N>
inline Lanes<N> Hypot(Lanes<N> x, Lanes<N> y) {
  return SquareRoot(x * x + y * y);
}

// The roundings by which the hypot of an arithmetic may lie from the
// library's: none for the extended path, which calls it.
template <typename T>
constexpr int kHypotUnits = 0;
template <>
inline constexpr int kHypotUnits<double> = 3;
template <int N>
constexpr int kHypotUnits<Lanes<N>> = 3;
template <int N>
inline Lanes<N> Pow(Lanes<N> base, Lanes<N> exponent) {
#if defined(ZM_LANE_LIBRARY)
#if defined(__AVX512F__)
  if constexpr (N == 8) return Lanes<N>(Sleef_powd8_u10avx512f(base.v, exponent.v));
#endif
  if constexpr (N == 4) return Lanes<N>(Sleef_powd4_u10avx2(base.v, exponent.v));
#endif
  Lanes<N> r;
  for (int k = 0; k < N; ++k) r.v[k] = std::pow(base.v[k], exponent.v[k]);
  return r;
}

// The bounds of the library calls (see the scalar ones); the lanes where
// there is none get an infinite bound.
template <int N>
inline Lanes<N> AcosBound(Lanes<N> c, Lanes<N> result, Lanes<N> spread) {
  const Lanes<N> far = Abs(c) + spread;
  const LaneMask<N> bounded = far < 1.0;
  const Lanes<N> square = Select(bounded, (Lanes<N>(1.0) - far) * (Lanes<N>(1.0) + far), 1.0);
  const Lanes<N> root = SquareRoot(square);
  return Select(bounded, spread / root + kLibraryUnits * kUnit * result,
                std::numeric_limits<double>::infinity());
}
// The lanes' log is not the extended path's: the same argument may give
// another result, within both calls' errors.
template <int N>
inline Lanes<N> LogBound(Lanes<N> a, Lanes<N> result, Lanes<N> spread) {
  const Lanes<N> low = a - spread;
  const Lanes<N> bound = Select(low > 0.0, spread / low + kLibraryUnits * kUnit * Abs(result),
                                std::numeric_limits<double>::infinity());
#if defined(ZM_LANE_LIBRARY)
  return bound;
#else
  return Select(spread == 0.0, 0.0, bound);
#endif
}
template <int N>
inline Lanes<N> NegativeLogAtMost(Lanes<N> p) {
  using Bits = typename Lanes<N>::Bits;
  const Bits exponent = (reinterpret_cast<Bits>(p.v) >> 52) & 0x7ff;
  return Lanes<N>(__builtin_convertvector(1024 - exponent, typename Lanes<N>::Vector)) *
         0.6931471805599453 * (1.0 + 0x1p-40);
}

}  // namespace zm::generator

#pragma GCC diagnostic pop

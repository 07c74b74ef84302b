#pragma once

#include <cstdint>

#include "render/trig_tables.h"

namespace zm {

// Index for an argument outside the fast range (huge, infinite or NaN).
uint32_t WideTableIndex(long double v);

// Integer part of v, truncated toward zero, for |v| < 2^52. The direct
// long double conversion switches the x87 rounding mode twice per call; this
// goes through double instead (an SSE conversion). Rounding to double is
// monotonic and every integer in range is a double, so a double that is not
// itself an integer has the integer part of v; only an integral one may have
// been rounded across an integer away from zero, and is checked against v.
inline int64_t TruncateSmall(long double v) {
  const double d = static_cast<double>(v);
  int64_t n = static_cast<int64_t>(d);
  if (static_cast<double>(n) != d) return n;
  if (v >= 0) {
    if (static_cast<long double>(n) > v) --n;
  } else if (static_cast<long double>(n) < v) {
    ++n;
  }
  return n;
}

// The table index of an argument: its integer part, truncated toward zero,
// taken as a two's-complement integer and wrapped with AND 4095, so that
// negative arguments wrap too (-1.5 -> -1 -> 4095).
//
// Converting a long double that does not fit the integer type is undefined
// behaviour, so only arguments well inside the int64 (and exact double
// integer) range take the direct conversion; the rest go through
// WideTableIndex, which wraps exactly.
inline uint32_t TableIndex(long double v) {
  constexpr long double kFastLimit = 4503599627370496.0L;  // 2^52
  if (v > -kFastLimit && v < kFastLimit) {
    return static_cast<uint32_t>(TruncateSmall(v)) & (kTrigTableSize - 1);
  }
  return WideTableIndex(v);
}

inline float SinAt(long double v) { return SinTable[TableIndex(v)]; }
inline float CosAt(long double v) { return CosTable[TableIndex(v)]; }

}  // namespace zm

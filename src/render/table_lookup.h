#pragma once

#include <cstdint>

#include "render/trig_tables.h"

namespace zm {

// Index for an argument outside the fast range (huge, infinite or NaN).
uint32_t WideTableIndex(long double v);

// The table index of an argument: its integer part, truncated toward zero,
// taken as a two's-complement integer and wrapped with AND 4095, so that
// negative arguments wrap too (-1.5 -> -1 -> 4095).
//
// Converting a long double that does not fit the integer type is undefined
// behaviour, so only arguments well inside the int64 range take the direct
// conversion; the rest go through WideTableIndex, which wraps exactly.
inline uint32_t TableIndex(long double v) {
  constexpr long double kFastLimit = 4611686018427387904.0L;  // 2^62
  if (v > -kFastLimit && v < kFastLimit) {
    return static_cast<uint32_t>(static_cast<int64_t>(v)) & (kTrigTableSize - 1);
  }
  return WideTableIndex(v);
}

inline float SinAt(long double v) { return SinTable[TableIndex(v)]; }
inline float CosAt(long double v) { return CosTable[TableIndex(v)]; }

}  // namespace zm

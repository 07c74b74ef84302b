#pragma once

#include <cstdint>

#include "materials/palette.h"
#include "render/height_map.h"

namespace zm {

// The colour tables hold two banks of one palette each: bank A (the running
// step's palette) at 0..2015 and bank B (the previous step's) at 2016..4031.
constexpr int32_t kColorTableSize = 2 * PaletteSize;

// A pixel the front has not reached reads bank B at t + 1000 - vp.
constexpr int32_t kBankBOffset = PaletteSize + kMapMax;

// The colour index of one pixel at time t (0..1000) with current and previous
// front times vc and vp (0..1000): the time since the front passed, in bank A,
// or the previous step's ramp continued, in bank B.
inline int32_t ColorIndex(int32_t t, int32_t vc, int32_t vp) {
  const int32_t sincePassed = t - vc;
  return sincePassed >= 0 ? sincePassed : t + kBankBOffset - vp;
}

// Colours `count` pixels of one row from the current and previous map rows
// at time t. Map values must lie in 0..1000 and t in 0..1000.
using RowKernel32 = void (*)(const MapValue* current, const MapValue* previous, int32_t count,
                             int32_t t, const uint32_t* colors, uint32_t* out);

void RenderRow32Scalar(const MapValue* current, const MapValue* previous, int32_t count, int32_t t,
                       const uint32_t* colors, uint32_t* out);

#if defined(__x86_64__)
// The same with AVX2 gathers; only for processors that have AVX2.
void RenderRow32Avx2(const MapValue* current, const MapValue* previous, int32_t count, int32_t t,
                     const uint32_t* colors, uint32_t* out);
#endif

// True when this processor runs a vector kernel.
bool VectorRowKernelAvailable();

// The fastest kernel for this processor; both give identical pixels.
RowKernel32 SelectRowKernel32();

// Test seam: makes SelectRowKernel32 answer the scalar kernel while set.
void ForceScalarRowKernel(bool force);

}  // namespace zm

#pragma once

#include <cstdint>

#include "materials/palette.h"
#include "render/height_map.h"

namespace zm {

// The colour tables hold two banks of one palette each: bank A (the running
// step's palette) at 0..2015 and bank B (the previous step's) at 2016..4031.
constexpr int32_t kColorTableSize = 2 * kPaletteSize;

// A pixel the front has not reached reads bank B at t + 1000 - vp.
constexpr int32_t kBankBOffset = kPaletteSize + kMapMax;

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
// The same eight pixels at a time with SSE2 (every x86-64 processor): the
// indices are formed in vector lanes and looked up one by one.
void RenderRow32Sse2(const MapValue* current, const MapValue* previous, int32_t count, int32_t t,
                     const uint32_t* colors, uint32_t* out);

// The same with SSE4.1 blends and inserts; only for processors that have it.
void RenderRow32Sse41(const MapValue* current, const MapValue* previous, int32_t count, int32_t t,
                      const uint32_t* colors, uint32_t* out);

// The SSE4.1 kernel with stores that bypass the caches (on rows aligned to
// 16 bytes): for frames larger than the caches hold, where each store would
// first read its line of the frame from memory.
void RenderRow32Sse41Streaming(const MapValue* current, const MapValue* previous, int32_t count,
                               int32_t t, const uint32_t* colors, uint32_t* out);

bool Sse41Available();
#endif

// Frames of this many bytes or more are written past the caches (a 3840x2160
// frame is 33 MB; 2560x1440, 15 MB, stays in the caches of many processors
// for the display server to read).
constexpr int64_t kStreamingFrameBytes = int64_t{16} << 20;

// The fastest kernel for this processor (SSE4.1, else SSE2 on x86-64, else
// the plain loop) for a frame of `frameBytes`; all of them give identical
// pixels.
RowKernel32 SelectRowKernel32(int64_t frameBytes = 0);

// Test and benchmark seam: makes SelectRowKernel32 answer `kernel` (for
// example the plain loop); null restores the choice by processor.
void ForceRowKernel(RowKernel32 kernel);

}  // namespace zm

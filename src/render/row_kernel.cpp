#include "render/row_kernel.h"

namespace zm {

namespace {
RowKernel32 forced = nullptr;
}  // namespace

void RenderRow32Scalar(const MapValue* current, const MapValue* previous, int32_t count, int32_t t,
                       const uint32_t* colors, uint32_t* out) {
  for (int32_t x = 0; x < count; ++x) out[x] = colors[ColorIndex(t, current[x], previous[x])];
}

#if defined(__x86_64__)
bool Sse41Available() { return __builtin_cpu_supports("sse4.1"); }
#endif

RowKernel32 SelectRowKernel32([[maybe_unused]] int64_t frameBytes) {
  if (forced != nullptr) return forced;
#if defined(__x86_64__)
  if (!Sse41Available()) return RenderRow32Sse2;
  return frameBytes >= kStreamingFrameBytes ? RenderRow32Sse41Streaming : RenderRow32Sse41;
#else
  return RenderRow32Scalar;
#endif
}

void ForceRowKernel(RowKernel32 kernel) { forced = kernel; }

}  // namespace zm

#include "render/row_kernel.h"

namespace zm {

namespace {
bool forceScalar = false;
}  // namespace

void RenderRow32Scalar(const MapValue* current, const MapValue* previous, int32_t count, int32_t t,
                       const uint32_t* colors, uint32_t* out) {
  for (int32_t x = 0; x < count; ++x) out[x] = colors[ColorIndex(t, current[x], previous[x])];
}

bool VectorRowKernelAvailable() {
#if defined(__x86_64__)
  return __builtin_cpu_supports("avx2");
#else
  return false;
#endif
}

RowKernel32 SelectRowKernel32() {
#if defined(__x86_64__)
  if (!forceScalar && VectorRowKernelAvailable()) return RenderRow32Avx2;
#endif
  return RenderRow32Scalar;
}

void ForceScalarRowKernel(bool force) { forceScalar = force; }

}  // namespace zm

#include "render/pixel_chain.h"

// The double path in lanes of 8, for AVX-512 (eight doubles a register): this file
// alone is compiled for that unit (see CMakeLists.txt), and its entry is
// taken only where the processor has it.
namespace zm::generator {

#if defined(__AVX512F__) && defined(__AVX512DQ__) && defined(__AVX512VL__) && \
    defined(__FLT_EVAL_METHOD__) && __FLT_EVAL_METHOD__ == 0
namespace {

[[gnu::flatten]] uint32_t InLanesOf8(const PatternSwitches& s, const PixelConstants& c,
                                     const float* columnX, float y, float* out) {
  return InLanes<kPixelGroup, 8>(s, c, columnX, y, out);
}

}  // namespace

LanePath LanePathAvx512() { return InLanesOf8; }
#else
LanePath LanePathAvx512() { return nullptr; }
#endif

}  // namespace zm::generator

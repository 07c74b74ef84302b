#include "render/pixel_chain.h"

// The double path in lanes of 4, for AVX2 (four doubles a register): this file
// alone is compiled for that unit (see CMakeLists.txt), and its entry is
// taken only where the processor has it.
namespace zm::generator {

#if defined(__AVX2__) && defined(__FLT_EVAL_METHOD__) && __FLT_EVAL_METHOD__ == 0
namespace {

[[gnu::flatten]] uint32_t InLanesOf4(const PatternSwitches& s, const PixelConstants& c,
                                     const float* columnX, float y, float* out) {
  return InLanes<kPixelGroup, 4>(s, c, columnX, y, out);
}

}  // namespace

LanePath LanePathAvx2() { return InLanesOf4; }
#else
LanePath LanePathAvx2() { return nullptr; }
#endif

}  // namespace zm::generator

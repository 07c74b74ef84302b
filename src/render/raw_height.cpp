#include "render/raw_height.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>
#include <utility>

#include "render/generator_math.h"
#include "render/guarded_double.h"
#include "render/guarded_lanes.h"
#include "render/pattern_generator.h"
#include "render/pixel_chain.h"
#include "render/shape_functions.h"
#include "render/table_lookup.h"

// The raw height of a pixel, the work of stage 3. All working values are kept
// in single precision; every expression gives its value in extended
// precision. It is evaluated in double with an error bound, and the few
// pixels where the bound cannot tell the rounding apart are evaluated in
// extended precision (docs/pixel-guard.md).
namespace zm::generator {

namespace {

// The y coordinate of row i: -1 at the top, mirrored, then twisted.
float RowY(const GeneratorState& g, int32_t i) {
  const PatternSwitches& s = g.switches;
  const Real half = static_cast<Real>(g.height) * Real{0.5};
  float y = static_cast<float>((static_cast<Real>(i) - half) / half);
  if (s.mirrorY) y = -y;
  if (s.twist) {
    y = static_cast<float>(Cos(Real{kPi} * y * s.twistAmp + s.twistPhase));
  }
  return y;
}

// Counts of the pixels computed on the double path and of those it handed
// to the extended one.
std::atomic<uint64_t> guardedPixels{0};
std::atomic<uint64_t> fallbackPixels{0};

// The double path where it is built: it needs double arithmetic that
// rounds every operation to double (no x87 excess precision).
#if defined(__FLT_EVAL_METHOD__) && __FLT_EVAL_METHOD__ == 0
constexpr bool kDoublePathBuilt = true;
#else
constexpr bool kDoublePathBuilt = false;
#endif
bool extendedOnly = false;

// The lanes are built for the vector units that hold a group's doubles in
// one or two registers, in files of their own compiled for that unit, and
// taken where the processor has it. With fewer (SSE2's two doubles) the
// lanes cost more than the scalar double path, which runs there instead, as
// on processors without them.
bool HasAvx512() {
#if defined(__x86_64__)
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq") &&
         __builtin_cpu_supports("avx512vl");
#else
  return false;
#endif
}

bool HasAvx2() {
#if defined(__x86_64__)
  __builtin_cpu_init();
  // SLEEF's functions for AVX2 use FMA (every processor with AVX2 has it).
  return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
#else
  return false;
#endif
}

// 0: the processor's choice; 1: the scalar double path; 4, 8: that width.
int32_t forcedLanes = 0;

LanePath LanePathOf(int32_t lanes) {
  static const LanePath avx512 = HasAvx512() ? LanePathAvx512() : nullptr;
  static const LanePath avx2 = HasAvx2() ? LanePathAvx2() : nullptr;
  if (lanes == 0) return avx512 != nullptr ? avx512 : avx2;
  if (lanes == 8) return avx512;
  if (lanes == 4) return avx2;
  return nullptr;
}

int32_t WidthOf(LanePath path) {
  if (path == nullptr) return 1;
  return path == LanePathOf(8) ? 8 : 4;
}

LanePath ActiveLanePath() { return LanePathOf(forcedLanes); }

// The raw heights of N pixels, on the double path with the guarded pixels
// recomputed in extended precision, or all in extended precision. A group
// of kPixelGroup goes to `lanes` where there are lanes. Returns the number of
// pixels that fell back.
template <int N>
int RawHeightsOf(const PatternSwitches& s, const PixelConstants& c, const float* columnX, float y,
                 float* out, bool guarded, LanePath lanes) {
  NoGuard none[N];
  if (!guarded) {
    constexpr int M = N < kWideGroup ? N : kWideGroup;
    for (int k = 0; k < N; k += M) RawHeights<M, Wide>(s, c, columnX + k, y, out + k, none);
    return 0;
  }
  int fallbacks = 0;
  if constexpr (N == kPixelGroup) {
    if (lanes != nullptr) {
      const uint32_t fallen = lanes(s, c, columnX, y, out);
      for (int k = 0; k < N; ++k) {
        if ((fallen >> k) & 1) {
          RawHeights<1, Wide>(s, c, columnX + k, y, out + k, none);
          ++fallbacks;
        }
      }
      return fallbacks;
    }
  }
  constexpr int M = N < kScalarGroup ? N : kScalarGroup;
  PixelGuard guard[M];
  for (int first = 0; first < N; first += M) {
    RawHeights<M, double>(s, c, columnX + first, y, out + first, guard);
    for (int k = 0; k < M; ++k) {
      if (guard[k].fallback) {
        RawHeights<1, Wide>(s, c, columnX + first + k, y, out + first + k, none);
        ++fallbacks;
      }
      guard[k] = PixelGuard{};
    }
  }
  return fallbacks;
}

}  // namespace

// The x coordinate of every column: -1 at the left, mirrored.
void FillColumnX(GeneratorState& g) {
  const Real half = static_cast<Real>(g.width) * Real{0.5};
  for (int32_t j = 0; j < g.width; ++j) {
    const float x = static_cast<float>((static_cast<Real>(j) - half) / half);
    g.columnX[j] = g.switches.mirrorX ? -x : x;
  }
}

namespace {

bool plainPixelLoop = false;

// Whether RawHeight reads x only through what its sign does not change:
// untouched by the diagonal mix and the warp, then through the radius, the
// angle (both from |x|) and |x * y|. Radial modes 6 and 7 and shape modes
// 6 and above take x * y or x itself.
bool EvenInX(const PatternSwitches& s) {
  const auto evenShape = [](int32_t mode) { return mode >= 0 && mode <= 5; };
  return !s.diagonal && s.warpMode != 1 && s.warpMode != 2 && s.radialMode != 6 &&
         s.radialMode != 7 && evenShape(s.shapeModeA) && evenShape(s.shapeModeB);
}

}  // namespace

int32_t ComputedColumns(const GeneratorState& g) {
  return !plainPixelLoop && EvenInX(g.switches) ? std::min(g.width, g.width / 2 + 1) : g.width;
}

HeightRange ComputePixelRun(const GeneratorState& g, int64_t first, int64_t last,
                            HeightRange seed) {
  const PixelConstants c{static_cast<double>(g.height), g.radiusMax, g.radianUnits, g.profileSpan,
                         g.descriptor->profile};
  const bool guarded = kDoublePathBuilt && !extendedOnly;
  const LanePath lanes = ActiveLanePath();
  int64_t fallbacks = 0;
  // A copy the output cannot alias, so that what depends on the pattern
  // alone stays out of the pixel loop.
  const PatternSwitches s = g.switches;
  const int64_t width = g.width;
  const int64_t columns = ComputedColumns(g);
  const float* columnX = g.columnX.get();
  float high = seed.high;
  float low = seed.low;
  for (int64_t p = first; p < last;) {
    const int64_t row = p / columns;
    const int64_t rowEnd = std::min(last, (row + 1) * columns);
    const float y = RowY(g, static_cast<int32_t>(g.nextRow + row));
    float* out = g.values.get() + g.valueCount + row * width;
    while (p < rowEnd) {
      const int64_t j = p - row * columns;
      const int64_t group = !plainPixelLoop && rowEnd - p >= kPixelGroup ? kPixelGroup : 1;
      float v[kPixelGroup];
      if (group == kPixelGroup) {
        fallbacks += RawHeightsOf<kPixelGroup>(s, c, columnX + j, y, v, guarded, lanes);
      } else {
        fallbacks += RawHeightsOf<1>(s, c, columnX + j, y, v, guarded, lanes);
      }
      for (int64_t k = 0; k < group; ++k, ++p) {
        out[j + k] = v[k];
        // Column 0 (x = -1) has no mirror image inside the row.
        if (columns < width && j + k > 0) out[width - j - k] = v[k];
        if (v[k] > high) high = v[k];
        if (v[k] < low) low = v[k];
      }
    }
  }
  if (guarded) {
    guardedPixels.fetch_add(static_cast<uint64_t>(last - first), std::memory_order_relaxed);
    fallbackPixels.fetch_add(static_cast<uint64_t>(fallbacks), std::memory_order_relaxed);
  }
  return {high, low};
}

bool ExtendedPixelChainForced() { return extendedOnly; }

}  // namespace zm::generator

namespace zm {

void SetPlainPixelLoop(bool plain) { generator::plainPixelLoop = plain; }

void SetExtendedPixelChain(bool extended) { generator::extendedOnly = extended; }

int32_t SetPixelChainLanes(int32_t lanes) {
  generator::forcedLanes = lanes;
  return generator::WidthOf(generator::ActiveLanePath());
}

PixelChainCounts TakePixelChainCounts() {
  return {generator::guardedPixels.exchange(0), generator::fallbackPixels.exchange(0)};
}

}  // namespace zm

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <vector>

#include "generator_test_support.h"
#include "render/guarded_double.h"
#include "render/guarded_lanes.h"
#include "render/pattern_generator.h"

// The lanes checked here are this file's own (internal linkage), passed the
// way this file is compiled for; no other file's code takes them.
#pragma GCC diagnostic ignored "-Wpsabi"

namespace zm {
namespace {

// Under an emulator (the ARM build's tests run under qemu-user, where the
// extended path is software quad precision) the comparisons run on fewer
// and smaller patterns.
#if defined(ZM_TESTS_EMULATED)
constexpr bool kEmulated = true;
#else
constexpr bool kEmulated = false;
#endif

struct ChainRun {
  std::vector<uint32_t> raw;  // the raw heights' bits
  std::vector<MapValue> map;
};

ChainRun Generate(bool extended, uint32_t seed, int32_t w, int32_t h) {
  SetExtendedPixelChain(extended);
  ChainRun run;
  run.map = testing::GenerateMap(seed, w, h).values;
  const float* raw = testing::TestGenerator().Inspect().rawHeights;
  for (int64_t p = 0; p < int64_t{w} * h; ++p) run.raw.push_back(std::bit_cast<uint32_t>(raw[p]));
  return run;
}

class PixelChain : public ::testing::Test {
 protected:
  void SetUp() override { TakePixelChainCounts(); }
  void TearDown() override {
    SetExtendedPixelChain(false);
    SetPixelChainLanes(0);
    SetGeneratorThreads(0);
  }

  // The double path and the extended path give the same raw heights, bit
  // for bit, and so the same map; otherwise names the first pixel that
  // differs.
  static void ExpectSameMaps(uint32_t seed, int32_t w, int32_t h) {
    const ChainRun wide = Generate(true, seed, w, h);
    const ChainRun fast = Generate(false, seed, w, h);
    for (size_t p = 0; p < fast.raw.size(); ++p) {
      if (fast.raw[p] != wide.raw[p]) {
        FAIL() << w << "x" << h << " seed " << seed << ", pixel (" << p % w << ", " << p / w
               << "): double path " << std::hexfloat << std::bit_cast<float>(fast.raw[p])
               << ", extended path " << std::bit_cast<float>(wide.raw[p]);
      }
    }
    ASSERT_EQ(fast.map, wide.map) << w << "x" << h << " seed " << seed;
  }
};

TEST_F(PixelChain, DoublePathGivesTheExtendedMaps) {
  // Many patterns on small maps, so that rare switches come up too; sizes
  // of one pixel, one row and one column, odd sizes; and one full-size map.
  const uint32_t smallSeeds = kEmulated ? 24 : 300;
  for (uint32_t seed = 1; seed <= smallSeeds; ++seed) {
    ExpectSameMaps(seed, seed % 2 ? 48 : 37, seed % 3 ? 36 : 23);
    if (HasFatalFailure()) return;
  }
  struct Size {
    int32_t w, h;
  };
  for (const Size size : {Size{1, 1}, Size{7, 3}, Size{1, 600}, Size{213, 97}}) {
    for (uint32_t seed = 1; seed <= (kEmulated ? 2u : 6u); ++seed) {
      ExpectSameMaps(1000 + seed, size.w, size.h);
      if (HasFatalFailure()) return;
    }
  }
  SetGeneratorThreads(2);
  if (kEmulated) {
    ExpectSameMaps(2026, 480, 270);
  } else {
    ExpectSameMaps(2026, 1920, 1080);
  }
  // The guard is no blanket: nearly every pixel stays on the double path
  // (where it is built).
  const PixelChainCounts counts = TakePixelChainCounts();
  if (counts.guarded > 0) {
    EXPECT_LT(counts.fallback * 100, counts.guarded);
  }
#if defined(__x86_64__) || defined(__aarch64__)
  EXPECT_GT(counts.guarded, 0u);
#endif
}

// The double path one pixel at a time (the reference) and in every width
// of lanes this processor has give the extended path's maps too.
TEST_F(PixelChain, EveryLaneWidthGivesTheExtendedMaps) {
  for (const int32_t lanes : {1, 4, 8}) {
    if (SetPixelChainLanes(lanes) != lanes) continue;
    SCOPED_TRACE(lanes);
    for (uint32_t seed = 1; seed <= (kEmulated ? 8u : 60u); ++seed) {
      ExpectSameMaps(500 + seed, seed % 2 ? 61 : 48, 29);
      if (HasFatalFailure()) return;
    }
    ExpectSameMaps(77, 213, 97);
  }
}

using generator::NarrowWithin;
using generator::PixelGuard;
using generator::TruncateWithin;

// A bound of a few units of the last place, as the sites give: 8 roundings
// relative to the value.
constexpr int kFew = 8;
double Few(double v) { return kFew * generator::kUnit * std::fabs(v); }

// Whether the check falls back, given its bound; for a bound of Few(v) the
// relative form (whole ulps) must say the same.
bool NarrowFallsBack(double v, double bound) {
  PixelGuard guard;
  EXPECT_EQ(std::bit_cast<uint32_t>(NarrowWithin(guard, v, bound)),
            std::bit_cast<uint32_t>(static_cast<float>(v)));
  if (bound == Few(v)) {
    PixelGuard relative;
    NarrowWithin(relative, v, generator::RelativeBound{kFew});
    EXPECT_EQ(relative.fallback, guard.fallback) << std::hexfloat << v;
  }
  return guard.fallback;
}

bool TruncateFallsBack(double v, double bound) {
  PixelGuard guard;
  const int64_t n = TruncateWithin(guard, v, bound);
  if (!guard.fallback) {
    EXPECT_EQ(n, static_cast<int64_t>(v));
  }
  if (bound == Few(v)) {
    PixelGuard relative;
    TruncateWithin(relative, v, generator::RelativeBound{kFew});
    EXPECT_EQ(relative.fallback, guard.fallback) << std::hexfloat << v;
  }
  return guard.fallback;
}

TEST(PixelGuardChecks, RoundingToSinglePrecisionFallsBackNearAMidpoint) {
  for (const float f : {0.3f, -0.3f, 1.0f, 1000.0f, 1.5e-30f, -7.0e20f}) {
    SCOPED_TRACE(f);
    const double up = std::nextafter(f, INFINITY);
    const double midpoint = 0.5 * (static_cast<double>(f) + up);
    EXPECT_TRUE(NarrowFallsBack(midpoint, Few(midpoint)));
    const double below = std::nextafter(midpoint, 0.0);
    const double above = std::nextafter(midpoint, INFINITY);
    EXPECT_TRUE(NarrowFallsBack(below, Few(below)));
    EXPECT_TRUE(NarrowFallsBack(above, Few(above)));
    // Far from every midpoint: at the float itself and a quarter step off.
    EXPECT_FALSE(NarrowFallsBack(f, Few(f)));
    const double quarter = 0.5 * (f + midpoint);
    EXPECT_FALSE(NarrowFallsBack(quarter, Few(quarter)));
    // An exact value (bound 0) rounds the same way in both evaluations.
    EXPECT_FALSE(NarrowFallsBack(midpoint, 0.0));
  }
  // Below a power of two the step halves: the midpoint under 1.0 lies a
  // quarter of the step above it away.
  const double under = 1.0 - 0x1p-25;
  EXPECT_TRUE(NarrowFallsBack(under, Few(under)));
  const double overUnder = std::nextafter(under, 2.0);
  EXPECT_TRUE(NarrowFallsBack(overUnder, Few(overUnder)));
  EXPECT_FALSE(NarrowFallsBack(1.0 - 0x1p-26, Few(1.0 - 0x1p-26)));
  // Below the normal range, beyond it, not a number.
  EXPECT_TRUE(NarrowFallsBack(1e-40, Few(1e-40)));
  EXPECT_TRUE(NarrowFallsBack(1e39, Few(1e39)));
  EXPECT_TRUE(NarrowFallsBack(NAN, 1.0));
  // A zero with a bound could be a tiny number on the other path.
  EXPECT_TRUE(NarrowFallsBack(0.0, 0x1p-60));
  EXPECT_FALSE(NarrowFallsBack(0.0, 0.0));
  // A large bound reaches the midpoint from far away.
  EXPECT_TRUE(NarrowFallsBack(0.3, 1e-8));
}

TEST(PixelGuardChecks, TruncationFallsBackNearAnInteger) {
  for (const double n : {5.0, -3.0, 4095.0, 1.0, 123456789.0}) {
    SCOPED_TRACE(n);
    EXPECT_TRUE(TruncateFallsBack(n, Few(n)));
    for (const double v : {std::nextafter(n, 0.0), std::nextafter(n, 2 * n)}) {
      EXPECT_TRUE(TruncateFallsBack(v, Few(v)));
    }
    for (const double v : {n + 0.5, n - 0.25}) {
      EXPECT_FALSE(TruncateFallsBack(v, Few(v)));
    }
    // Exact arguments need no check, integral or not.
    EXPECT_FALSE(TruncateFallsBack(n, 0.0));
  }
  EXPECT_FALSE(TruncateFallsBack(0.3, Few(0.3)));
  EXPECT_FALSE(TruncateFallsBack(1e-300, Few(1e-300)));
  // Arguments beyond the direct conversion fall back whatever the bound.
  EXPECT_TRUE(TruncateFallsBack(0x1p60, 1.0));
  EXPECT_TRUE(TruncateFallsBack(INFINITY, 1.0));
  EXPECT_TRUE(TruncateFallsBack(NAN, 1.0));
  EXPECT_TRUE(TruncateFallsBack(0.0, 0x1p-60));
  EXPECT_TRUE(TruncateFallsBack(0.5, INFINITY));
}

// The lanes' checks: a lane falls back where a midpoint or an integer lies
// within its bound, or its value is beyond what the check covers, and only
// its own lane.
TEST(PixelGuardChecks, LanesFallBackLaneByLane) {
  using L = generator::Lanes<4>;
  const auto lanes = [](double a, double b, double c, double d) {
    L v;
    v.v[0] = a;
    v.v[1] = b;
    v.v[2] = c;
    v.v[3] = d;
    return v;
  };
  const auto flags = [](generator::LaneMask<4> m) {
    return std::vector<bool>{m.At(0), m.At(1), m.At(2), m.At(3)};
  };
  const double up = std::nextafter(0.3f, 1.0f);
  const double midpoint = 0.5 * (static_cast<double>(0.3f) + up);
  const generator::RelativeBound few{kFew};
  EXPECT_EQ(flags(generator::NearMidpoint(lanes(midpoint, std::nextafter(midpoint, 1.0), 0.3f, 0.0),
                                          few)),
            (std::vector<bool>{true, true, false, false}));
  EXPECT_EQ(flags(generator::NearMidpoint(lanes(1e-40, 1e39, NAN, -INFINITY), few)),
            (std::vector<bool>{true, true, true, true}));
  // Absolute bounds: 0 is exact; a zero with a bound and a bound reaching
  // the midpoint from afar fall back.
  EXPECT_EQ(flags(generator::NearMidpoint(lanes(midpoint, 0.0, 0.3, 0.3f),
                                          lanes(0.0, 0x1p-60, 1e-8, Few(0.3f)))),
            (std::vector<bool>{false, true, true, false}));
  // Truncation: near an integer other than 0, beyond 2^31, not a number.
  const L v = lanes(std::nextafter(5.0, 0.0), -0x1p-60, 0x1p40, NAN);
  const L whole = generator::ToLanes<4>(generator::WholeParts(v));
  EXPECT_EQ(flags(generator::NearInteger(v, whole, lanes(Few(5.0), 1e-3, 1.0, 1.0))),
            (std::vector<bool>{true, false, true, true}));
  const L far = lanes(5.5, -3.25, 4095.5, 0.3);
  const L farWhole = generator::ToLanes<4>(generator::WholeParts(far));
  EXPECT_FALSE(generator::NearInteger(far, farWhole, L(1e-9)).Any());
  // A relative bound: at and next to an integer, but not at 0 or far off.
  const L near = lanes(4.0, std::nextafter(-3.0, 0.0), 0.0, 5.5);
  const L nearWhole = generator::ToLanes<4>(generator::WholeParts(near));
  EXPECT_EQ(flags(generator::NearInteger(near, nearWhole, few)),
            (std::vector<bool>{true, true, false, false}));
}

TEST(PixelGuardChecks, LibraryBoundsGrowWithTheConditioning) {
  using generator::AcosBound;
  using generator::LogBound;
  const double spread = 0x1p-52;
  // acos: slope 1 at 0, about 2^13 at 1 - 2^-27, unbounded at +-1.
  EXPECT_LT(AcosBound(0.0, 1.57, spread), 8 * spread);
  const double steep = AcosBound(1.0 - 0x1p-27, 1e-4, spread);
  EXPECT_GT(steep, 0x1p12 * spread);
  EXPECT_LT(steep, 0x1p14 * spread);
  EXPECT_TRUE(std::isinf(AcosBound(1.0, 0.0, spread)));
  EXPECT_TRUE(std::isinf(AcosBound(-1.0 + 0x1p-60, 3.14, spread)));
  // log: slope 1 / a; none where the spread reaches 0; nothing for an exact
  // argument.
  EXPECT_GE(LogBound(0.5, -0.69, spread), 2 * spread);
  EXPECT_LT(LogBound(0.5, -0.69, spread), 2 * spread + 8 * generator::kUnit);
  EXPECT_TRUE(std::isinf(LogBound(spread, -36.0, spread)));
  EXPECT_EQ(LogBound(2.0, 0.69, 0.0), 0.0);
}

}  // namespace
}  // namespace zm

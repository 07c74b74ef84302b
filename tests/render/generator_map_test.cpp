#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <vector>

#include "generator_test_support.h"
#include "render/pattern_generator.h"
#include "settings/saver_settings.h"

namespace zm {
namespace {

using testing::GeneratedMap;
using testing::GenerateMap;

struct Extremes {
  MapValue low;
  MapValue high;
};

Extremes ExtremesOf(const std::vector<MapValue>& values) {
  const auto [low, high] = std::minmax_element(values.begin(), values.end());
  return {*low, *high};
}

TEST(GeneratorMap, EveryMapSpansZeroToTheTop) {
  // The smallest raw height becomes 0; the largest lands on 1000, or on 999
  // when the single-precision factor rounds just below 1000 / range.
  std::set<int> tops;
  std::set<int> combineModes, radialModes, shapeModes;
  for (uint32_t seed = 1; seed <= 400; ++seed) {
    const GeneratedMap map = GenerateMap(seed, 48, 36);
    const Extremes e = ExtremesOf(map.values);
    ASSERT_EQ(e.low, 0) << "seed " << seed;
    ASSERT_TRUE(e.high == 999 || e.high == 1000) << "seed " << seed << " top " << e.high;
    tops.insert(e.high);
    const PatternSwitches& s = testing::TestGenerator().Switches();
    combineModes.insert(s.combineMode);
    radialModes.insert(s.radialMode);
    shapeModes.insert(s.shapeModeA * 8 + s.shapeModeB);
  }
  // The seeds reach every branch of the pixel computation.
  EXPECT_EQ(combineModes.size(), 6u);
  EXPECT_EQ(radialModes.size(), 8u);
  EXPECT_GE(shapeModes.size(), 60u);
  EXPECT_TRUE(tops.count(1000));
}

TEST(GeneratorMap, MapsArePatternsNotPlains) {
  for (uint32_t seed = 1; seed <= 20; ++seed) {
    const GeneratedMap map = GenerateMap(seed, 64, 48);
    const std::set<MapValue> distinct(map.values.begin(), map.values.end());
    EXPECT_GT(distinct.size(), 50u) << "seed " << seed;
  }
}

TEST(GeneratorMap, OneSeedGivesOneMap) {
  const GeneratedMap a = GenerateMap(77, 160, 120);
  const GeneratedMap b = GenerateMap(77, 160, 120);
  const GeneratedMap c = GenerateMap(78, 160, 120);
  EXPECT_EQ(a.values, b.values);
  EXPECT_NE(a.values, c.values);
}

TEST(GeneratorMap, ProfileIsNormalisedToContrastAndScale) {
  const GeneratedMap map = GenerateMap(5, 40, 30);
  const auto [low, high] =
      std::minmax_element(std::begin(map.descriptor.profile), std::end(map.descriptor.profile));
  const double scale = 480.0 / 30;
  EXPECT_FLOAT_EQ(*low, static_cast<float>(4000 * scale));
  EXPECT_NEAR(*high, (4000 + 8000 * map.descriptor.contrast) * scale, 0.01 * scale);
}

TEST(GeneratorMap, TinyMapsCompleteInRange) {
  const int32_t sizes[][2] = {{1, 1}, {1, 7}, {7, 1}, {3, 2}, {2, 3}, {1, 2}};
  for (const auto& size : sizes) {
    for (uint32_t seed = 1; seed <= 50; ++seed) {
      const GeneratedMap map = GenerateMap(seed, size[0], size[1]);
      ASSERT_TRUE(testing::TestGenerator().Done());
      const Extremes e = ExtremesOf(map.values);
      ASSERT_GE(e.low, 0) << size[0] << "x" << size[1] << " seed " << seed;
      ASSERT_LE(e.high, 1000) << size[0] << "x" << size[1] << " seed " << seed;
      if (map.values.size() == 1) {
        EXPECT_EQ(e.high, 0);  // a single height has no range
      }
    }
  }
}

TEST(GeneratorMap, EmptyTargetsAreCompleteAtOnce) {
  const int32_t sizes[][2] = {{0, 480}, {640, 0}, {0, 0}, {-3, 5}};
  for (const auto& size : sizes) {
    SCOPED_TRACE(::testing::Message() << size[0] << "x" << size[1]);
    PatternDescriptor descriptor;
    MapValue sentinel = 1234;
    testing::TestGenerator().Setup(&sentinel, size[0], size[1], 1.0, &descriptor, 196);
    EXPECT_FALSE(testing::TestGenerator().Done());
    testing::TestGenerator().Start();
    EXPECT_TRUE(testing::TestGenerator().Done());
    testing::TestGenerator().Slice(false);
    testing::TestGenerator().Slice(true);
    testing::TestGenerator().RunToEnd();
    EXPECT_TRUE(testing::TestGenerator().Done());
    EXPECT_EQ(sentinel, 1234);
  }
  // A real size afterwards gets its buffers.
  const GeneratedMap map = GenerateMap(3, 33, 21);
  EXPECT_EQ(ExtremesOf(map.values).low, 0);
}

TEST(GeneratorMap, SizeChangesBetweenMapsReallocate) {
  const int32_t sizes[][2] = {{64, 48}, {17, 100}, {100, 17}, {64, 48}, {1, 1}, {64, 48}};
  for (const auto& size : sizes) {
    const GeneratedMap map = GenerateMap(11, size[0], size[1]);
    EXPECT_EQ(testing::TestGenerator().Inspect().nextRow >= size[1], true);
    EXPECT_EQ(ExtremesOf(map.values).low, 0) << size[0] << "x" << size[1];
  }
}

TEST(SmallDisplay, BelowHeight480OnlyTwoHarmonicsRemain) {
  int fullSeeds = 0;
  for (uint32_t seed = 1; seed <= 200; ++seed) {
    for (int32_t height : {479, 480}) {
      SeedRandom(seed);
      PatternDescriptor d;
      RandomizeDescriptor(d, height);
      const bool upperSilent = d.harmonics[2].amplitude == 0 && d.harmonics[2].phase == 0 &&
                               d.harmonics[3].amplitude == 0 && d.harmonics[3].phase == 0;
      if (height < 480) {
        EXPECT_TRUE(upperSilent) << "seed " << seed;
        EXPECT_TRUE(d.harmonics[0].amplitude != 0 || d.harmonics[1].amplitude != 0);
      } else if (!upperSilent) {
        ++fullSeeds;
      }
    }
  }
  EXPECT_EQ(fullSeeds, 200);
}

TEST(PatternDescriptor, DrawsStayInTheirRanges) {
  // harmonicStep reaches 11 only on a 15-bit draw of 0: 1 in 32768.
  std::set<int32_t> steps;
  for (uint32_t seed = 1; seed <= 200000; ++seed) {
    SeedRandom(seed);
    PatternDescriptor d;
    RandomizeDescriptor(d);
    steps.insert(d.harmonicStep);
    ASSERT_GE(d.contrast, 0.2);
    ASSERT_LE(d.contrast, 0.992 + 1e-12);
    ASSERT_TRUE(d.exponent == 4.0 || d.exponent == 0.4);
    ASSERT_TRUE(d.phaseOn == 0 || d.phaseOn == 1);
    for (const Harmonic& h : d.harmonics) {
      ASSERT_LE(std::abs(h.amplitude), 1.0f);
      ASSERT_LE(std::abs(h.phase), 3.1415927f);
    }
  }
  EXPECT_EQ(*steps.begin(), 1);
  EXPECT_EQ(*steps.rbegin(), 11);
  EXPECT_EQ(steps.size(), 11u);
}

}  // namespace
}  // namespace zm

#include <gtest/gtest.h>

#include <set>

#include "base/random_source.h"
#include "render/pattern_switches.h"

namespace zm {
namespace {

constexpr uint32_t kSeeds = 5000;

TEST(PatternSwitches, SwitchesThatExcludeEachOtherNeverMeet) {
  int spirals = 0, inverted = 0, warped = 0, twisted = 0;
  for (uint32_t seed = 1; seed <= kSeeds; ++seed) {
    SeedRandom(seed);
    const PatternSwitches s = DrawPatternSwitches();
    if (s.spiral > 0.8f) {
      ++spirals;
      EXPECT_FALSE(s.swapPolar) << "seed " << seed;
      EXPECT_FALSE(s.ripple) << "seed " << seed;
    }
    if (s.invertRadius) {
      ++inverted;
      EXPECT_EQ(s.spiral, 0.0f) << "seed " << seed;
    }
    if (s.warpMode != 0 || s.twist) {
      warped += s.warpMode != 0;
      twisted += s.twist;
      EXPECT_TRUE(s.diagonal) << "seed " << seed;
    }
  }
  // Each rule was really put to the test.
  EXPECT_GT(spirals, 500);
  EXPECT_GT(inverted, 1000);
  EXPECT_GT(warped, 300);
  EXPECT_GT(twisted, 300);
}

TEST(PatternSwitches, DrawsCoverTheirRangesAndNoMore) {
  std::set<int32_t> shapeModes, combineModes, radialModes, warpModes;
  std::set<float> spirals;
  int swaps = 0, ripples = 0, plainDiagonal = 0;
  for (uint32_t seed = 1; seed <= kSeeds; ++seed) {
    SeedRandom(seed);
    const PatternSwitches s = DrawPatternSwitches();
    shapeModes.insert(s.shapeModeA);
    shapeModes.insert(s.shapeModeB);
    combineModes.insert(s.combineMode);
    radialModes.insert(s.radialMode);
    warpModes.insert(s.warpMode);
    spirals.insert(s.spiral);
    swaps += s.swapPolar;
    ripples += s.ripple;
    plainDiagonal += s.diagonal && s.warpMode == 0 && !s.twist;
  }
  EXPECT_EQ(shapeModes, (std::set<int32_t>{0, 1, 2, 3, 4, 5, 6, 7}));
  EXPECT_EQ(combineModes, (std::set<int32_t>{0, 1, 2, 3, 4, 5}));
  EXPECT_EQ(radialModes, (std::set<int32_t>{0, 1, 2, 3, 4, 5, 6, 7}));
  EXPECT_EQ(warpModes, (std::set<int32_t>{0, 1, 2}));
  EXPECT_EQ(spirals, (std::set<float>{0.0f, 0.5f, 1.0f, 1.5f, 2.0f}));
  EXPECT_GT(swaps, 0);
  EXPECT_GT(ripples, 0);
  EXPECT_GT(plainDiagonal, 0);
}

// How many 31-bit draws took `from` to `to`.
int DrawsBetween(RandomSource from, const RandomSource& to) {
  for (int n = 0; n < 100; ++n) {
    if (from.Low() == to.Low() && from.High() == to.High()) return n;
    from.Draw31();
  }
  return -1;
}

TEST(PatternSwitches, EveryRowDrawsOnceAndTwoRowsDrawAgain) {
  for (uint32_t seed = 1; seed <= 500; ++seed) {
    SeedRandom(seed);
    const RandomSource before = ProgramRandom();
    const PatternSwitches s = DrawPatternSwitches();
    // 45 rows, of which the spiral draws only when the radius is not
    // inverted; radialMode draws again after an even draw, warpMode after a
    // draw divisible by 7.
    const int rows = s.invertRadius ? 44 : 45;
    const int further = (s.radialMode != 0 ? 1 : 0) + (s.warpMode != 0 ? 1 : 0);
    const int draws = DrawsBetween(before, ProgramRandom());
    // A zero further draw of radialMode cannot be told from no further draw,
    // so the count may exceed the estimate by that one draw.
    EXPECT_GE(draws, rows + further) << "seed " << seed;
    EXPECT_LE(draws, rows + 1 + further) << "seed " << seed;
  }
}

TEST(PatternSwitches, AnInvertedRadiusDrawsNoSpiral) {
  int inverted = 0;
  for (uint32_t seed = 1; seed <= 500; ++seed) {
    // Rows 1 to 27 draw once each; row 28 decides invertRadius, row 29 draws
    // the spiral only without it, and row 30 is combineMode.
    SeedRandom(seed);
    for (int row = 1; row <= 27; ++row) Random31();
    const bool invert = Random31() % 2 != 0;
    if (!invert) Random31();
    const int32_t combineMode = static_cast<int32_t>(Random31() % 6);

    SeedRandom(seed);
    const PatternSwitches s = DrawPatternSwitches();
    ASSERT_EQ(s.invertRadius, invert) << "seed " << seed;
    EXPECT_EQ(s.combineMode, combineMode) << "seed " << seed;
    inverted += invert;
  }
  EXPECT_GT(inverted, 100);
}

}  // namespace
}  // namespace zm

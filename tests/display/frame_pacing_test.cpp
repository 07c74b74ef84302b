#include "display/frame_pacing.h"

#include <gtest/gtest.h>

namespace zm {
namespace {

TEST(FramePacing, UnknownRatesMean60AndTheTimerServesUnlessTheCompositorBlocks) {
  EXPECT_EQ(RefreshRate(0), 60.0);
  EXPECT_EQ(RefreshRate(1), 60.0);
  EXPECT_EQ(RefreshRate(-5), 60.0);
  EXPECT_EQ(RefreshRate(75), 75.0);
  EXPECT_EQ(ChoosePaceClock(true, true), PaceClock::kCompositor);
  EXPECT_EQ(ChoosePaceClock(true, false), PaceClock::kTimer);
  EXPECT_EQ(ChoosePaceClock(false, true), PaceClock::kTimer);
}

TEST(FramePacing, OnlyEightQuickCompositorWaitsInARowGiveItUpForGood) {
  CompositorWaitCheck check(16.0);  // quick: under 4 ms
  for (int i = 0; i < 7; ++i) check.Waited(0.1);
  check.Waited(15.0);  // one real wait starts the count again
  for (int i = 0; i < 7; ++i) check.Waited(3.9);
  EXPECT_TRUE(check.Blocks());
  check.Waited(0.0);
  EXPECT_FALSE(check.Blocks());
  check.Waited(16.0);
  EXPECT_FALSE(check.Blocks());
}

}  // namespace
}  // namespace zm

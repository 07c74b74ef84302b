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

TEST(FramePacing, TheGridKeepsItsPhaseAfterLateFrames) {
  FrameGrid grid(10.0);
  EXPECT_DOUBLE_EQ(grid.NextSlot(100.0), 110.0);  // the first frame starts the grid
  EXPECT_DOUBLE_EQ(grid.NextSlot(110.5), 120.0);  // on time
  EXPECT_DOUBLE_EQ(grid.NextSlot(123.0), 130.0);  // late: the next slot, not 133
  EXPECT_DOUBLE_EQ(grid.NextSlot(155.0), 160.0);  // slots missed: skipped, phase kept
  EXPECT_DOUBLE_EQ(grid.NextSlot(160.0), 170.0);  // exactly on a slot: the one after
  EXPECT_DOUBLE_EQ(grid.NextSlot(165.0), 170.0);  // early: the slot still ahead
}

}  // namespace
}  // namespace zm

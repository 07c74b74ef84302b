#include "display/refresh_grid.h"

#include <gtest/gtest.h>

namespace zm {
namespace {

TEST(RefreshGrid, ALateFrameTakesTheNextSlotOfTheGridNotAWholeExtraPeriod) {
  RefreshGrid grid;
  grid.SetRate(50.0);  // 20 ms
  EXPECT_EQ(grid.NextSlotMs(), 0.0) << "the first frame is due at once";
  grid.FrameShown(1000.0);
  EXPECT_EQ(grid.NextSlotMs(), 1020.0);
  grid.FrameShown(1021.0);  // on time, a little after its slot
  EXPECT_EQ(grid.NextSlotMs(), 1040.0);
  grid.FrameShown(1047.0);  // late by 7 ms: the grid's 1060, not 1067
  EXPECT_EQ(grid.NextSlotMs(), 1060.0);
  grid.FrameShown(1130.0);  // after a pause of several slots
  EXPECT_EQ(grid.NextSlotMs(), 1140.0);
  grid.FrameShown(1140.0);
  EXPECT_EQ(grid.NextSlotMs(), 1160.0);
  grid.FrameShown(1189.0);  // its work ran 9 ms past the next slot: still due
  EXPECT_EQ(grid.NextSlotMs(), 1180.0) << "less than half a period late: at once, same phase";
  grid.FrameShown(1190.0);  // at once, and on the grid again after it
  EXPECT_EQ(grid.NextSlotMs(), 1200.0);
  grid.FrameShown(1230.0);  // half a period past 1220: that slot is gone
  EXPECT_EQ(grid.NextSlotMs(), 1240.0);

  // The display's own refreshes move the grid to 1 ms after them.
  grid.AlignToRefresh(1245.0);
  EXPECT_EQ(grid.NextSlotMs(), 1246.0);
  grid.AlignToRefresh(1250.0);
  EXPECT_EQ(grid.NextSlotMs(), 1251.0);
  // Under a limit (here every other refresh of a 100 Hz display) a report of
  // the refresh in between leaves the slots alone.
  grid.AlignToRefresh(1250.0 + 10.0, 10.0);
  EXPECT_EQ(grid.NextSlotMs(), 1251.0);
  grid.AlignToRefresh(1253.0, 10.0);
  EXPECT_EQ(grid.NextSlotMs(), 1254.0);

  // A rate the display does not report counts as 60 Hz.
  for (double unknown : {0.0, -5.0, 0.0 / 0.0}) {
    grid.SetRate(unknown);
    EXPECT_EQ(grid.Rate(), 60.0);
  }
}

TEST(FrameLimit, ALimitIsACeilingOnTheDisplaysRefreshGridAndBatteryLowersIt) {
  struct Case {
    double display, limit, rate;
  };
  for (const Case c : {Case{60, 0, 60}, Case{144, 0, 144}, Case{144, 60, 48}, Case{144, 30, 28.8},
                       Case{120, 60, 60}, Case{240, 30, 30}, Case{75, 60, 37.5}, Case{60, 120, 60},
                       Case{0, 30, 30}, Case{144, -5, 144}}) {
    EXPECT_NEAR(LimitedFrameRate(c.display, c.limit), c.rate, 1e-9) << c.display << "/" << c.limit;
  }
  EXPECT_EQ(FrameLimitFor(0, 30, false), 0) << "mains power: the user's limit";
  EXPECT_EQ(FrameLimitFor(0, 30, true), 30);
  EXPECT_EQ(FrameLimitFor(120, 30, true), 30);
  EXPECT_EQ(FrameLimitFor(20, 30, true), 20) << "a lower limit of the user's stays";
  EXPECT_EQ(FrameLimitFor(60, 0, true), 60) << "no battery limit";
}

}  // namespace
}  // namespace zm

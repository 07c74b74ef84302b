#include "shell/monitor_frame.h"

#include <gtest/gtest.h>

namespace zm {
namespace {

// The monitors as a daemon's window over a screen may see them: a primary
// that is not the first, one hanging off the window's edge.
TEST(MonitorFrame, TheLayoutPicksThePrimaryOrTheBoundingBoxCutToTheWindow) {
  const std::vector<MonitorArea> monitors = {{{1024, 0, 640, 480}, false, "DP-2"},
                                             {{0, 0, 1024, 768}, true, "DP-1"},
                                             {{1664, 100, 800, 600}, false, "HDMI-1"}};
  EXPECT_EQ(FrameAreaFor(MonitorLayout::kPrimary, monitors, 2000, 768),
            (PixelArea{0, 0, 1024, 768}));
  EXPECT_EQ(FrameAreaFor(MonitorLayout::kSpan, monitors, 2000, 768),
            (PixelArea{0, 0, 2000, 768}));
  // Without a primary the first monitor counts as the primary.
  EXPECT_EQ(FrameAreaFor(MonitorLayout::kPrimary, {monitors[0]}, 2000, 768),
            (PixelArea{1024, 0, 640, 480}));
  // No monitors, or none inside the window: the whole window.
  EXPECT_EQ(FrameAreaFor(MonitorLayout::kPrimary, {}, 320, 240), (PixelArea{0, 0, 320, 240}));
  EXPECT_EQ(FrameAreaFor(MonitorLayout::kPrimary, {monitors[0]}, 320, 240),
            (PixelArea{0, 0, 320, 240}));
}

}  // namespace
}  // namespace zm

#include "display/outputs_side_by_side.h"

#include <gtest/gtest.h>

namespace zm {
namespace {

TEST(OutputsSideBySideTest, ShownOutputsLineUpInTheirOrderAndTheFirstLargestLeads) {
  const std::vector<OutputSurface> outputs = {{640, 480, "small", true},
                                              {1920, 1080, "gone", false},
                                              {1280, 1024, "first-large", true},
                                              {1024, 1280, "second-large", true}};
  const std::vector<MonitorArea> monitors = OutputsSideBySide(outputs);
  ASSERT_EQ(monitors.size(), 3u) << "an output not shown is no monitor";
  EXPECT_EQ(monitors[0].area, (PixelArea{0, 0, 640, 480}));
  EXPECT_EQ(monitors[1].area, (PixelArea{640, 0, 1280, 1024}));
  EXPECT_EQ(monitors[2].area, (PixelArea{1920, 0, 1024, 1280}));
  EXPECT_FALSE(monitors[0].primary);
  EXPECT_TRUE(monitors[1].primary) << "the first of two of the same area";
  EXPECT_FALSE(monitors[2].primary);
  EXPECT_EQ(monitors[2].name, "second-large");
  EXPECT_EQ(ScreenOf(monitors), (PixelArea{0, 0, 2944, 1280}));
  EXPECT_EQ(PacingOutput(outputs), 0);
  EXPECT_EQ(PacingOutput({{640, 480, "gone", false}, {800, 600, "next", true}}), 1);
  EXPECT_EQ(PacingOutput({}), -1);
  EXPECT_TRUE(OutputsSideBySide({}).empty());
  EXPECT_EQ(ScreenOf({}), (PixelArea{}));
}

}  // namespace
}  // namespace zm

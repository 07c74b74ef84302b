#include "shell/startup.h"

#include <gtest/gtest.h>

#include "base/clock.h"

namespace zm {
namespace {

// CTest runs each test in a process of its own, where nothing has calibrated
// the clock before start-up.
TEST(Startup, StartsTheClockBeforeTheRunModeIsChosen) {
  if (ClockCalibrated()) GTEST_SKIP() << "an earlier test of this process started the clock";
  PrepareProgram(1);
  EXPECT_TRUE(ClockCalibrated());
  // The first ask finishes the measurement and stores it.
  EXPECT_GT(CurrentFrequency(), 0);
  EXPECT_NE(MeasuredFrequency(), 0u);
}

}  // namespace
}  // namespace zm

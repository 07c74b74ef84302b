#include <gtest/gtest.h>

#include "base/clock.h"
#include "shell/startup.h"

namespace zm {
namespace {

// Each test runs in a process of its own, so nothing has calibrated the clock
// before start-up here.
TEST(Startup, CalibratesTheClockBeforeTheRunModeIsChosen) {
  ASSERT_EQ(CPU_Frq, 0u);
  PrepareProgram(1);
  EXPECT_NE(CPU_Frq, 0u);
}

}  // namespace
}  // namespace zm

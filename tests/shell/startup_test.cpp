#include "shell/startup.h"

#include <gtest/gtest.h>

#include "base/clock.h"

namespace zm {
namespace {

// CTest runs each test in a process of its own, where nothing has calibrated
// the clock before start-up.
TEST(Startup, CalibratesTheClockBeforeTheRunModeIsChosen) {
  if (CPU_Frq != 0) GTEST_SKIP() << "an earlier test of this process calibrated the clock";
  PrepareProgram(1);
  EXPECT_NE(CPU_Frq, 0u);
}

}  // namespace
}  // namespace zm

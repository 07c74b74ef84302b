#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "display/frame_motion.h"
#include "render/shape.h"
#include "render/shape_test_support.h"
#include "render/shape_timing.h"

namespace zm::testing {
namespace {

// A live run's frames with fakes for the display: frames reach it every
// `frameMs` milliseconds (as the platform reports), the rate the frames are
// paced at is `rate`, and each frame moves the engine on by its display time.
struct MotionCase {
  double rate;
  double frameMs;
};

class ShapeMotionTest : public ShapeTest, public ::testing::WithParamInterface<MotionCase> {};

TEST_P(ShapeMotionTest, AStepLastsTheSameTimeAtEveryRateAndItsMapIsReadyWithinIt) {
  const MotionCase c = GetParam();
  constexpr double kSpeed = 1.7;
  const double stepSeconds = 1.0 / (kSpeed * 0.18);  // 3.27 s
  Shape shape;
  shape.Configure({kSpeed, 32, 480});
  shape.SetPacedByDisplay(true);
  shape.SetFrameRate(c.rate);
  shape.Resize(32, 900);  // rows enough that every slice has some at 30 Hz
  shape.PrepareNow();
  shape.NextStep(false);  // the generator starts on the next map, paced at the rate
  FrameMotion motion;
  motion.SetRate(c.rate);

  std::vector<double> stepEndsMs;
  double ms = 1000.0;
  motion.Interval(ms);
  while (stepEndsMs.size() < 4 && ms < 20000.0) {
    ms += c.frameMs;
    const double intervals = motion.Interval(ms);
    const double before = shape.Phase();
    if (before + PhaseIncrement(kSpeed) * intervals > 1.0) {
      EXPECT_TRUE(shape.Generator().Done())
          << "the next map is late at " << c.rate << " Hz, step " << stepEndsMs.size();
    }
    shape.AdvanceBy(intervals);
    if (shape.Phase() < before) stepEndsMs.push_back(ms);
  }
  ASSERT_EQ(stepEndsMs.size(), 4u);
  for (size_t i = 1; i < stepEndsMs.size(); ++i) {
    const double seconds = (stepEndsMs[i] - stepEndsMs[i - 1]) / 1000.0;
    EXPECT_NEAR(seconds, stepSeconds, c.frameMs / 1000.0 + 0.001) << c.rate << " Hz";
  }
}

INSTANTIATE_TEST_SUITE_P(Rates, ShapeMotionTest,
                         ::testing::Values(MotionCase{30.0, 1000.0 / 30.0},
                                           MotionCase{60.0, 1000.0 / 60.0},
                                           MotionCase{144.0, 1000.0 / 144.0},
                                           MotionCase{240.0, 1000.0 / 240.0},
                                           // Under load: a 60 Hz run whose frames all
                                           // come a refresh late catches up.
                                           MotionCase{60.0, 1000.0 / 30.0}));

TEST(FrameMotion, LateFramesCatchUpAndLongGapsCountAsOneFrame) {
  FrameMotion motion;
  motion.SetRate(144.0);
  const double period = 1000.0 / 144.0;
  const double ordinary = 60.0 / 144.0;
  EXPECT_DOUBLE_EQ(motion.Interval(500.0), ordinary) << "the first frame";
  EXPECT_NEAR(motion.Interval(500.0 + period), ordinary, 1e-9);
  EXPECT_NEAR(motion.Interval(500.0 + 4 * period), 3 * ordinary, 1e-9) << "three refreshes late";
  EXPECT_NEAR(motion.Interval(500.0 + 4 * period + 240.0), 240.0 * 0.06, 1e-9) << "still no gap";
  EXPECT_DOUBLE_EQ(motion.Interval(9000.0), ordinary) << "a suspend: one frame, no jump";
  EXPECT_EQ(motion.Interval(8000.0), 0.0) << "a clock that went back";
  EXPECT_NEAR(motion.Interval(8000.0 + period), ordinary, 1e-9) << "counted from there";
  EXPECT_DOUBLE_EQ(motion.Interval(std::nan("")), ordinary);
}

TEST(ShapeTiming, TheGeneratorsBudgetFollowsTheFrameRate) {
  EXPECT_EQ(FrameBudgetAt(1.7, 60.0), FrameBudget(1.7)) << "fixed steps keep today's slices";
  EXPECT_EQ(FrameBudgetAt(1.7, 240.0), 4 * FrameBudget(1.7));
  EXPECT_EQ(FrameBudgetAt(1.7, 30.0), FrameBudget(1.7) / 2);
  EXPECT_EQ(FrameBudgetAt(0.0, 240.0), 500) << "a still picture's budget";
  EXPECT_EQ(FrameBudgetAt(1.7, std::nan("")), FrameBudget(1.7));
  EXPECT_EQ(FrameBudgetAt(2.0, 0.5), 1);
}

}  // namespace
}  // namespace zm::testing

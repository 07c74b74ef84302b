#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "base/random_source.h"
#include "render/pattern_generator.h"
#include "render/shape.h"
#include "render/shape_test_support.h"
#include "render/shape_timing.h"
#include "settings/saver_settings.h"

namespace zm::testing {
namespace {

class ShapeStepTest : public ShapeTest {
 protected:
  void Prepare(int32_t w, int32_t h) {
    shape.Resize(w, h);
    Fill(shape.MapPrevious(), PatternValues(w * h, 1));
    Fill(shape.MapCurrent(), PatternValues(w * h, 2));
    Fill(shape.MapNext(), PatternValues(w * h, 3));
  }
  Shape shape;
};

TEST(ShapeTiming, SpeedGivesIncrementAndFrameBudget) {
  EXPECT_DOUBLE_EQ(PhaseIncrement(1.7), 1.7 * 0.003);
  EXPECT_EQ(FrameBudget(1.7), 196);
  EXPECT_EQ(FrameBudget(2.0), 166);
  EXPECT_EQ(FrameBudget(1.0), 333);
  EXPECT_EQ(FrameBudget(0.1), 3333);
  EXPECT_EQ(PhaseIncrement(0.0), 0.0);
  EXPECT_EQ(FrameBudget(0.0), 500);
}

TEST(ShapeTiming, HandEditedSpeedsAreClamped) {
  EXPECT_DOUBLE_EQ(PhaseIncrement(50.0), PhaseIncrement(2.0));
  EXPECT_EQ(FrameBudget(50.0), FrameBudget(2.0));
  EXPECT_EQ(FrameBudget(std::numeric_limits<double>::infinity()), FrameBudget(2.0));
  for (double still : {-1.0, std::nan(""), -std::numeric_limits<double>::infinity()}) {
    EXPECT_EQ(PhaseIncrement(still), 0.0) << still;
    EXPECT_EQ(FrameBudget(still), 500) << still;
  }
  EXPECT_EQ(FrameBudget(1e-300), std::numeric_limits<int32_t>::max());
  EXPECT_EQ(FrameBudget(std::numeric_limits<double>::denorm_min()),
            std::numeric_limits<int32_t>::max());
}

TEST(ShapeTiming, PhaseToTimeStaysInsideTheStep) {
  EXPECT_EQ(PhaseToTime(0.5), 500);
  EXPECT_EQ(PhaseToTime(0.0019), 1);
  EXPECT_EQ(PhaseToTime(1.0), 1000);
  EXPECT_EQ(PhaseToTime(1.006), 1000);
  EXPECT_EQ(PhaseToTime(1e300), 1000);
  EXPECT_EQ(PhaseToTime(-0.2), 0);
  EXPECT_EQ(PhaseToTime(std::nan("")), 0);
}

TEST_F(ShapeStepTest, ForcedStepRotatesBuffersWithoutCopying) {
  Prepare(8, 5);
  const MapValue* previous = shape.MapPrevious().data();
  const MapValue* current = shape.MapCurrent().data();
  const MapValue* next = shape.MapNext().data();
  const std::vector<MapValue> currentValues = Copy(shape.MapCurrent());
  const std::vector<MapValue> nextValues = Copy(shape.MapNext());
  shape.SetPhase(0.7);
  shape.NextStep(true);
  EXPECT_EQ(shape.MapPrevious().data(), current);
  EXPECT_EQ(shape.MapCurrent().data(), next);
  EXPECT_EQ(shape.MapNext().data(), previous);
  EXPECT_EQ(Copy(shape.MapPrevious()), currentValues);
  EXPECT_EQ(Copy(shape.MapCurrent()), nextValues);
  EXPECT_DOUBLE_EQ(shape.Phase(), 0.003);
}

TEST_F(ShapeStepTest, NewMapIsHeldToTheTableRangeWhenItMovesIn) {
  Prepare(19, 1);  // two vector passes and a tail
  std::vector<MapValue> next = PatternValues(19, 4);
  next[0] = -1;
  next[7] = 1001;
  next[8] = INT16_MIN;
  next[18] = INT16_MAX;
  Fill(shape.MapNext(), next);
  shape.NextStep(true);
  next[0] = next[8] = 0;
  next[7] = next[18] = kMapMax;
  EXPECT_EQ(Copy(shape.MapCurrent()), next);
}

TEST_F(ShapeStepTest, LateGeneratorSwapsPreviousAndCurrent) {
  Prepare(8, 5);
  shape.NextStep(true);  // starts the generator on mapNext, paced
  ASSERT_FALSE(shape.Generator().Done());
  const std::vector<MapValue> previous = Copy(shape.MapPrevious());
  const std::vector<MapValue> current = Copy(shape.MapCurrent());
  const MapValue* nextBuffer = shape.MapNext().data();
  shape.NextStep(false);
  EXPECT_EQ(Copy(shape.MapPrevious()), current);
  EXPECT_EQ(Copy(shape.MapCurrent()), previous);
  EXPECT_EQ(shape.MapNext().data(), nextBuffer);  // the generator's target stays put
}

// Engines of several monitors each fill their next map with a generator of
// their own: slices given to them in turn build the same maps as each alone.
TEST_F(ShapeStepTest, EnginesSideBySideEachFinishTheirOwnNextMap) {
  auto startPaced = [](Shape& engine, uint32_t seed, int32_t w, int32_t h) {
    engine.Resize(w, h);
    SeedRandom(seed);
    engine.NextStep(true);  // draws the pattern and starts the paced generator
  };
  auto finish = [](Shape& engine) {
    for (int i = 0; i < 10000 && !engine.Generator().Done(); ++i) engine.Advance();
  };
  Shape first;
  Shape second;
  startPaced(first, 11, 24, 16);
  startPaced(second, 12, 40, 20);
  for (int i = 0; i < 10000 && !(first.Generator().Done() && second.Generator().Done()); ++i) {
    first.Advance();
    second.Advance();
  }
  Shape firstAlone;
  Shape secondAlone;
  startPaced(firstAlone, 11, 24, 16);
  finish(firstAlone);
  startPaced(secondAlone, 12, 40, 20);
  finish(secondAlone);
  ASSERT_TRUE(first.Generator().Done() && second.Generator().Done());
  EXPECT_TRUE(IsGeneratedMap(first.MapNext()));
  EXPECT_EQ(Copy(first.MapNext()), Copy(firstAlone.MapNext()));
  EXPECT_EQ(Copy(second.MapNext()), Copy(secondAlone.MapNext()));
}

// Time to spare before frames goes into the next map's rows on an engine
// the display paces, and only there: the map comes out the same.
TEST_F(ShapeStepTest, TimeBeforeFramesComputesTheNextMapAhead) {
  auto startPaced = [](Shape& engine, bool paced) {
    engine.Resize(64, 200);
    engine.SetPacedByDisplay(paced);
    SeedRandom(5);
    engine.NextStep(true);
  };
  Shape alone;
  startPaced(alone, true);
  int framesAlone = 0;
  for (; framesAlone < 1000 && !alone.Generator().Done(); ++framesAlone) alone.Advance();
  // How many rows fit depends on the machine (a slow one, as under an
  // emulator, may fit none after the first it times); the map may not.
  Shape ahead;
  startPaced(ahead, true);
  int frames = 0;
  int callsAhead = 0;
  for (; frames < 1000 && !ahead.Generator().Done(); ++frames) {
    while (ahead.ComputeAhead(1000.0)) ++callsAhead;
    ahead.Advance();
  }
  EXPECT_GT(callsAhead, 0);
  EXPECT_LE(frames, framesAlone);
  EXPECT_EQ(Copy(ahead.MapNext()), Copy(alone.MapNext()));

  Shape unpaced;
  startPaced(unpaced, false);
  for (int i = 0; i < 30; ++i) unpaced.Advance();  // past the profile, into the rows
  EXPECT_FALSE(unpaced.ComputeAhead(1000.0));
  EXPECT_FALSE(ahead.ComputeAhead(1000.0));  // nothing left to compute
}

TEST_F(ShapeStepTest, FinishedGeneratorRotatesInTheNewMap) {
  Prepare(8, 5);
  shape.PrepareNow();  // generates current and next at once
  ASSERT_TRUE(shape.Generator().Done());
  const std::vector<MapValue> current = Copy(shape.MapCurrent());
  const std::vector<MapValue> next = Copy(shape.MapNext());
  EXPECT_TRUE(IsGeneratedMap(next));
  shape.NextStep(false);
  EXPECT_EQ(Copy(shape.MapPrevious()), current);
  EXPECT_EQ(Copy(shape.MapCurrent()), next);
}

TEST_F(ShapeStepTest, AdvanceEndsTheStepOncePastOne) {
  Prepare(8, 5);
  shape.SetPhase(0.996);
  shape.Advance();
  EXPECT_DOUBLE_EQ(shape.Phase(), 0.999);
  shape.Advance();  // 1.002: the step ends and the new one starts one frame in
  EXPECT_DOUBLE_EQ(shape.Phase(), 0.003);
}

TEST_F(ShapeStepTest, StillSpeedKeepsThePhase) {
  Prepare(8, 5);
  shape.NextStep(true);
  shape.Configure({.speed = 0.0});
  shape.SetPhase(0.25);
  for (int i = 0; i < 10; ++i) shape.Advance();
  EXPECT_EQ(shape.Phase(), 0.25);
  shape.NextStep(true);
  EXPECT_EQ(shape.Phase(), 0.0);
}

TEST_F(ShapeStepTest, HandEditedSpeedNeverTakesTheIndexOutOfTheTables) {
  Prepare(8, 5);
  shape.Configure({.speed = 900.0});
  shape.SetPhase(0.999);
  shape.Advance();
  EXPECT_DOUBLE_EQ(shape.Phase(), 0.006);
  shape.SetPhase(0.5);
  shape.Advance();
  EXPECT_DOUBLE_EQ(shape.Phase(), 0.506);
}

TEST_F(ShapeStepTest, EngineWithoutMapsIgnoresStepsAndPreparation) {
  shape.SetPhase(0.4);
  shape.NextStep(true);
  shape.PrepareNow();
  EXPECT_EQ(shape.Phase(), 0.4);
  EXPECT_FALSE(shape.HasMaps());
}

TEST_F(ShapeStepTest, ResetGeneratesFullMapsAtThePresentSize) {
  Prepare(12, 9);
  shape.Reset();
  ASSERT_TRUE(shape.HasMaps());
  for (auto map : {shape.MapCurrent(), shape.MapNext()}) {
    ASSERT_EQ(map.size(), 12u * 9u);
    EXPECT_TRUE(IsGeneratedMap(map));
  }
}

// The one generator serves the engine that set it up last; an engine that
// is gone must not be written into, and one that lost it must not wait for it.
TEST_F(ShapeStepTest, GeneratorLeftBehindByAnEngineIsHarmless) {
  Prepare(8, 5);
  {
    Shape other;
    other.Resize(30, 20);
    other.NextStep(true);  // the generator now fills other's mapNext
  }
  const std::vector<MapValue> previous = Copy(shape.MapPrevious());
  const std::vector<MapValue> current = Copy(shape.MapCurrent());
  for (int i = 0; i < 5; ++i) shape.Advance();  // no slice for the destroyed engine
  EXPECT_EQ(Copy(shape.MapPrevious()), previous);
  shape.NextStep(false);  // rotates: its own generator run starts
  EXPECT_EQ(Copy(shape.MapPrevious()), current);
}

TEST_F(ShapeStepTest, WarmupFillsCurrentThenNext) {
  const int32_t w = 40, h = 24;
  shape.Resize(w, h);
  shape.BeginWarmup(100);
  for (int i = 0; i < 50; ++i) ASSERT_FALSE(shape.WarmupStep());
  const std::vector<MapValue> current = Copy(shape.MapCurrent());
  EXPECT_TRUE(IsGeneratedMap(current));
  const auto next = shape.MapNext();
  EXPECT_TRUE(std::all_of(next.begin(), next.end(), [](MapValue v) { return v == 0; }));

  for (int i = 50; i < 100; ++i) ASSERT_FALSE(shape.WarmupStep());
  EXPECT_EQ(Copy(shape.MapCurrent()), current);
  EXPECT_TRUE(IsGeneratedMap(next));
  EXPECT_TRUE(shape.Generator().Done());
  EXPECT_TRUE(shape.WarmupStep());
  EXPECT_EQ(shape.WarmupCount(), 101);
}

}  // namespace
}  // namespace zm::testing

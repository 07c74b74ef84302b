#include <gtest/gtest.h>

#include <vector>

#include "generator_test_support.h"
#include "render/pattern_generator.h"

namespace zm {
namespace {

// A counter that advances by a settable step on every read.
uint64_t fakeNow = 0;
uint64_t fakeStep = 1000;
uint64_t FakeCounter() { return fakeNow += fakeStep; }

class GeneratorPacing : public ::testing::Test {
 protected:
  void SetUp() override {
    BuildTrigTables();
    SeedRandom(20240611);
    RandomizeDescriptor(descriptor_);
    fakeNow = 0;
    fakeStep = 1000;
    SetGeneratorCounter(&FakeCounter);
  }
  void TearDown() override { SetGeneratorCounter(nullptr); }

  PatternGenerator generator_;

  void Prepare(int32_t w, int32_t h, int32_t frameBudget) {
    map_.assign(static_cast<size_t>(w) * h, -1);
    generator_.Setup(map_.data(), w, h, 1.0, &descriptor_, frameBudget);
  }

  // Paced slices until the map is done; the number of slices it took.
  int RunPaced() {
    int slices = 0;
    while (!generator_.Done() && slices < 100000) {
      generator_.Slice(false);
      ++slices;
    }
    return slices;
  }

  // Counter ticks from the slice's own first read to its last.
  uint64_t PacedSliceSpan() {
    const uint64_t before = fakeNow;
    generator_.Slice(false);
    return fakeNow - before - fakeStep;
  }

  PatternDescriptor descriptor_;
  std::vector<MapValue> map_;
};

struct BudgetCase {
  int32_t width, height, frameBudget;
  int32_t rowsBudget, rowsPerSlice, slices;
};

// The slicing depends on the height only, so narrow maps keep these fast.
TEST_F(GeneratorPacing, FrameBudgetSetsRowsPerSliceAndSliceCount) {
  const BudgetCase cases[] = {
      {640, 480, 196, 166, 3, 190},  // a step at SHAPE_SPEED 1.7
      {8, 480, 47, 17, 29, 47},      // the first-start warm-up
      {8, 480, 1, 1, 481, 31},       // unpaced: all rows in one slice
      {8, 480, 30, 1, 481, 31},      // no budget left for rows
      {8, 1080, 196, 166, 7, 185},   // 155 row slices
      {8, 200, 500, 470, 1, 230},    // SHAPE_SPEED 0: one row per slice
      {8, 1, 196, 166, 1, 22},       // one row: one normalisation slice
  };
  for (const BudgetCase& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.width << "x" << c.height << " @" << c.frameBudget);
    Prepare(c.width, c.height, c.frameBudget);
    generator_.Start();
    const GeneratorProgress p = generator_.Inspect();
    EXPECT_EQ(p.rowsBudget, c.rowsBudget);
    EXPECT_EQ(p.rowsPerSlice, c.rowsPerSlice);
    EXPECT_EQ(RunPaced(), c.slices);
  }
}

TEST_F(GeneratorPacing, CycleBudgetIsTheMeanRowSliceCostOfThePacedMap) {
  Prepare(16, 480, 196);
  generator_.Start();
  EXPECT_EQ(generator_.Inspect().cycleBudget, 0u);  // nothing measured yet
  RunPaced();
  // 160 row slices of one step each, spread over rowsBudget 166.
  EXPECT_EQ(generator_.Inspect().cycleSum, 160u * 1000u);
  EXPECT_EQ(generator_.Inspect().cycleBudget, 160u * 1000u / 166u);

  // The sum starts afresh with every map.
  fakeStep = 10;
  Prepare(16, 480, 196);
  generator_.Start();
  RunPaced();
  EXPECT_EQ(generator_.Inspect().cycleBudget, 160u * 10u / 166u);

  // Unpaced runs leave the budget alone.
  Prepare(64, 48, 1);
  generator_.RunToEnd();
  EXPECT_EQ(generator_.Inspect().cycleBudget, 160u * 10u / 166u);
}

TEST_F(GeneratorPacing, PacedSlicesOtherThanRowSlicesLastAtLeastTheBudget) {
  Prepare(16, 480, 196);
  generator_.Start();
  RunPaced();
  ASSERT_EQ(generator_.Inspect().cycleBudget, 963u);

  // The next map's stages 1, 2 and 4 wait out the budget on a slow clock;
  // its row slices run unstretched and set the next budget at their end.
  fakeStep = 10;
  Prepare(16, 480, 196);
  generator_.Start();
  int rowSlices = 0;
  int waited = 0;
  while (!generator_.Done()) {
    const GeneratorProgress p = generator_.Inspect();
    const bool rowSlice = p.profileNormCount >= kProfileSize && p.nextRow < 480;
    const uint64_t span = PacedSliceSpan();
    if (rowSlice) {
      ++rowSlices;
      EXPECT_EQ(span, fakeStep);  // two reads, no waiting
    } else {
      ++waited;
      EXPECT_GE(span, p.cycleBudget);
      EXPECT_LT(span, p.cycleBudget + fakeStep);  // and no longer than needed
    }
  }
  EXPECT_EQ(rowSlices, 160);
  EXPECT_EQ(waited, 30);
  const uint64_t budget = generator_.Inspect().cycleBudget;
  EXPECT_EQ(budget, 160u * 10u / 166u);
  // Idle slices after the map is done are stretched too.
  fakeStep = 1;
  EXPECT_EQ(PacedSliceSpan(), budget);
}

TEST_F(GeneratorPacing, UnpacedSlicesNeverWait) {
  Prepare(16, 480, 196);
  generator_.Start();
  RunPaced();
  ASSERT_GT(generator_.Inspect().cycleBudget, 0u);
  Prepare(64, 48, 47);
  generator_.Start();
  while (!generator_.Done()) {
    const uint64_t before = fakeNow;
    generator_.Slice(true);
    EXPECT_EQ(fakeNow - before, fakeStep);  // the start read only
  }
}

// Rows computed ahead, in any amounts and at any point of the map, leave the
// map and its extremes as the slices alone make them, and the map done no
// later; outside the rows stage nothing goes ahead.
TEST_F(GeneratorPacing, RowsComputedAheadGiveTheSameMapNoLater) {
  // Start draws the pattern's switches: each run draws the same ones.
  auto start = [this] {
    Prepare(96, 301, 196);
    SeedRandom(7);
    generator_.Start();
  };
  start();
  const int alone = RunPaced();
  const std::vector<MapValue> expected = map_;
  const GeneratorProgress whole = generator_.Inspect();
  for (const int32_t ahead : {1, 2, 5, 40, 400}) {
    SCOPED_TRACE(ahead);
    start();
    EXPECT_EQ(generator_.ComputeRowsAhead(ahead), 0);  // still at the profile
    int slices = 0;
    while (!generator_.Done() && slices < 100000) {
      // Ahead in some frames only, as the time to spare comes and goes.
      if (slices % 3 != 1) generator_.ComputeRowsAhead(ahead + slices % 2);
      generator_.Slice(true);
      ++slices;
    }
    EXPECT_LE(slices, alone);
    EXPECT_EQ(map_, expected);
    EXPECT_EQ(generator_.Inspect().valueMin, whole.valueMin);
    EXPECT_EQ(generator_.Inspect().valueMax, whole.valueMax);
    EXPECT_EQ(generator_.ComputeRowsAhead(ahead), 0);
  }
}

TEST_F(GeneratorPacing, SlicesBeforeStartDoNoWork) {
  Prepare(64, 48, 47);
  generator_.Slice(true);
  EXPECT_EQ(generator_.Inspect().profileCount, 0);
  EXPECT_FALSE(generator_.Done());
  generator_.Start();
  generator_.Slice(true);
  EXPECT_EQ(generator_.Inspect().profileCount, 100);
}

}  // namespace
}  // namespace zm

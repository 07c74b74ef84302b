#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <vector>

#include "generator_test_support.h"
#include "render/pattern_generator.h"

namespace zm {
namespace {

// One map and the extremes of its raw heights (as bits, so that even the sign
// of a zero counts).
struct MapRun {
  std::vector<MapValue> values;
  uint32_t highBits;
  uint32_t lowBits;
};

// A map of w x h generated with `threads` threads, in slices of one frame
// budget (1: the whole map at once; 47: the first-start warm-up; 196: a
// running saver at SHAPE_SPEED 1.7).
MapRun RunWithThreads(int32_t threads, uint32_t seed, int32_t w, int32_t h, int32_t frameBudget) {
  SetGeneratorThreads(threads);
  BuildTrigTables();
  SeedRandom(seed);
  PatternDescriptor descriptor;
  RandomizeDescriptor(descriptor);
  MapRun run{std::vector<MapValue>(static_cast<size_t>(w) * h, -1), 0, 0};
  testing::TestGenerator().Setup(run.values.data(), w, h, 480.0 / h, &descriptor, frameBudget);
  testing::TestGenerator().Start();
  while (!testing::TestGenerator().Done()) testing::TestGenerator().Slice(true);
  const GeneratorProgress p = testing::TestGenerator().Inspect();
  run.highBits = std::bit_cast<uint32_t>(p.valueMax);
  run.lowBits = std::bit_cast<uint32_t>(p.valueMin);
  return run;
}

class GeneratorOnThreads : public ::testing::Test {
 protected:
  void TearDown() override {
    SetGeneratorThreads(0);
    SetPlainPixelLoop(false);
  }
};

// A map large enough that its normalisation slices go out in bands too.
TEST_F(GeneratorOnThreads, LargeMapsGiveTheOneThreadMap) {
  const MapRun alone = RunWithThreads(1, 2, 1280, 1024, 1);
  const MapRun shared = RunWithThreads(2, 2, 1280, 1024, 1);
  ASSERT_EQ(shared.values, alone.values);
  EXPECT_EQ(shared.highBits, alone.highBits);
  EXPECT_EQ(shared.lowBits, alone.lowBits);
}

TEST_F(GeneratorOnThreads, EveryThreadCountGivesTheOneThreadMap) {
  struct Case {
    int32_t width, height, frameBudget;
  };
  // Runs of 1024 pixels end inside rows, on row ends and past the slice; a
  // paced slice holds a few rows, a whole map many.
  const Case cases[] = {{160, 120, 1}, {1024, 3, 1}, {2049, 5, 1}, {701, 40, 47}, {2100, 12, 196}};
  for (const Case& c : cases) {
    for (uint32_t seed = 1; seed <= 3; ++seed) {
      SCOPED_TRACE(::testing::Message()
                   << c.width << "x" << c.height << " @" << c.frameBudget << " seed " << seed);
      const MapRun alone = RunWithThreads(1, seed, c.width, c.height, c.frameBudget);
      for (int32_t threads : {2, 3, 5}) {
        const MapRun shared = RunWithThreads(threads, seed, c.width, c.height, c.frameBudget);
        EXPECT_EQ(GeneratorThreads(), threads);
        ASSERT_EQ(shared.values, alone.values) << threads << " threads";
        EXPECT_EQ(shared.highBits, alone.highBits) << threads << " threads";
        EXPECT_EQ(shared.lowBits, alone.lowBits) << threads << " threads";
      }
    }
  }
}

bool MirrorsItself(const MapRun& run, int32_t w) {
  for (size_t row = 0; row < run.values.size(); row += static_cast<size_t>(w)) {
    for (int32_t j = 1; j < w; ++j) {
      if (run.values[row + j] != run.values[row + w - j]) return false;
    }
  }
  return true;
}

// Patterns whose height is even in x compute the left half of each row and
// mirror it, and the pixels of a row are computed in groups; every pattern
// must come out as if each pixel were computed on its own.
TEST_F(GeneratorOnThreads, ShortcutsGiveTheMapOfThePlainPixelLoop) {
  struct Case {
    int32_t width, height, frameBudget, threads;
    uint32_t seeds;
  };
  // Many patterns on small maps, so that rare switches come up too; odd and
  // even widths (rows that end inside a group); half rows longer than a run
  // of 1024 pixels.
  const Case cases[] = {{41, 9, 1, 1, 800}, {123, 31, 47, 2, 20}, {2050, 3, 1, 2, 20}};
  int mirrored = 0;
  for (const Case& c : cases) {
    for (uint32_t seed = 1; seed <= c.seeds; ++seed) {
      SCOPED_TRACE(::testing::Message() << c.width << "x" << c.height << " seed " << seed);
      SetPlainPixelLoop(true);
      const MapRun plain = RunWithThreads(c.threads, seed, c.width, c.height, c.frameBudget);
      SetPlainPixelLoop(false);
      const MapRun fast = RunWithThreads(c.threads, seed, c.width, c.height, c.frameBudget);
      ASSERT_EQ(fast.values, plain.values);
      EXPECT_EQ(fast.highBits, plain.highBits);
      EXPECT_EQ(fast.lowBits, plain.lowBits);
      mirrored += MirrorsItself(plain, c.width);
    }
  }
  // About a quarter of all patterns are even in x.
  EXPECT_GT(mirrored, 200);
}

}  // namespace
}  // namespace zm

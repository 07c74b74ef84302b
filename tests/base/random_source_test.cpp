#include "base/random_source.h"

#include <gtest/gtest.h>

namespace zm {
namespace {

TEST(RandomSource, FifteenBitDrawAdvancesTheLowWordOnly) {
  RandomSource r;
  r.Seed(1);
  // low = 1 * 22695477 + 1 = 22695478 = 0x015A4E36; bits 16..30 = 0x015A.
  EXPECT_EQ(r.Draw15(), 0x015Au);
  EXPECT_EQ(r.Low(), 22695478u);
  EXPECT_EQ(r.High(), 0u);
  for (int i = 0; i < 1000; ++i) EXPECT_LE(r.Draw15(), 32767u);
  EXPECT_EQ(r.High(), 0u);
}

TEST(RandomSource, ThirtyOneBitDrawAdvancesTheWholeState) {
  RandomSource r;
  r.Seed(0x12345678u);
  const uint64_t before = 0x12345678u;
  const uint64_t after = before * ((uint64_t{346} << 32) | 20021u) + 1u;
  EXPECT_EQ(r.Draw31(), static_cast<uint32_t>(after >> 32) & 0x7FFFFFFFu);
  EXPECT_EQ(r.Low(), static_cast<uint32_t>(after));
  EXPECT_EQ(r.High(), static_cast<uint32_t>(after >> 32));
}

TEST(RandomSource, BothDrawsShareOneStateSoOneSeedReproducesARun) {
  auto run = [] {
    RandomSource r;
    r.Seed(86399);
    uint64_t sum = 0;
    for (int i = 0; i < 100; ++i) sum = sum * 31 + (i % 3 ? r.Draw31() : r.Draw15());
    return sum;
  };
  EXPECT_EQ(run(), run());
  RandomSource a, b;
  a.Seed(5);
  b.Seed(5);
  a.Draw15();  // a 15-bit draw changes what the next 31-bit draw returns
  EXPECT_NE(a.Draw31(), b.Draw31());
}

TEST(RandomSource, SeedingResetsTheHighWord) {
  RandomSource r;
  r.Seed(7);
  r.Draw31();
  ASSERT_NE(r.High(), 0u);
  r.Seed(7);
  EXPECT_EQ(r.Low(), 7u);
  EXPECT_EQ(r.High(), 0u);
}

}  // namespace
}  // namespace zm

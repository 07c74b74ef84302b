#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "render/trig_tables.h"

namespace zm {
namespace {

class TrigTables : public ::testing::Test {
 protected:
  void SetUp() override { BuildTrigTables(); }
};

TEST_F(TrigTables, HoldOnePeriodInSinglePrecision) {
  EXPECT_EQ(SinTable[0], 0.0f);
  EXPECT_EQ(SinTable[1024], 1.0f);
  EXPECT_EQ(CosTable[0], 1.0f);
  EXPECT_EQ(CosTable[2048], -1.0f);
  for (int i = 0; i < kTrigTableSize; i += 37) {
    const double angle = i * 6.283185307179586 * 0.000244140625;
    EXPECT_EQ(SinTable[i], static_cast<float>(std::sin(angle))) << i;
    EXPECT_EQ(CosTable[i], static_cast<float>(std::cos(angle))) << i;
  }
}

TEST_F(TrigTables, LookUpTruncatesTowardZeroAndWrapsNegativeArguments) {
  EXPECT_EQ(TableSin(-1.5L), SinTable[4095]);
  EXPECT_EQ(TableCos(-1.5L), CosTable[4095]);
  EXPECT_EQ(TableSin(-0.9L), SinTable[0]);  // truncates to 0, not -1
  EXPECT_EQ(TableSin(0.9L), SinTable[0]);
  EXPECT_EQ(TableSin(1023.99L), SinTable[1023]);
  EXPECT_EQ(TableSin(4096.5L), SinTable[0]);
  EXPECT_EQ(TableSin(-4096.0L), SinTable[0]);
  EXPECT_EQ(TableSin(-4097.2L), SinTable[4095]);
  EXPECT_EQ(TableCos(-2048.0L), CosTable[2048]);
  EXPECT_EQ(TableCos(10000.0L), CosTable[10000 - 2 * 4096]);
  // Arguments that round to an integer in double precision still truncate
  // as extended values: just below 1024 stays 1023, just above 5 is 5.
  const long double below1024 = 1024.0L - std::ldexp(1.0L, -54);
  EXPECT_EQ(TableSin(below1024), SinTable[1023]);
  EXPECT_EQ(TableSin(-below1024), SinTable[4096 - 1023]);
  EXPECT_EQ(TableSin(5.0L + std::ldexp(1.0L, -61)), SinTable[5]);
  EXPECT_EQ(TableSin(-5.0L - std::ldexp(1.0L, -61)), SinTable[4096 - 5]);
}

TEST_F(TrigTables, HugeAndNonFiniteArgumentsWrapWithoutOverflow) {
  const long double twoTo62 = std::ldexp(1.0L, 62);
  EXPECT_EQ(TableSin(twoTo62 + 5), SinTable[5]);
  EXPECT_EQ(TableSin(-(twoTo62 + 5)), SinTable[4091]);
  // Beyond the int64 range the integer part still wraps exactly.
  EXPECT_EQ(TableSin(std::ldexp(1.0L, 70) + 4096 * 3), SinTable[0]);
  EXPECT_EQ(TableSin(std::ldexp(1.0L, 70) + 128), SinTable[128]);
  EXPECT_EQ(TableSin(-std::ldexp(1.0L, 70) - 128), SinTable[4096 - 128]);
  EXPECT_EQ(TableSin(std::ldexp(3.0L, 64) + std::ldexp(1.0L, 11)), SinTable[2048]);
  EXPECT_EQ(TableSin(1e30L), SinTable[0]);
  EXPECT_EQ(TableSin(-1e4000L), SinTable[0]);
  EXPECT_EQ(TableCos(std::numeric_limits<long double>::infinity()), CosTable[0]);
  EXPECT_EQ(TableCos(-std::numeric_limits<long double>::infinity()), CosTable[0]);
  EXPECT_EQ(TableCos(std::numeric_limits<long double>::quiet_NaN()), CosTable[0]);
}

}  // namespace
}  // namespace zm

#include "materials/fun_tab.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cfloat>
#include <string>
#include <utility>
#include <vector>

namespace zm {
namespace {

FunTab Table(std::initializer_list<std::pair<double, double>> points) {
  FunTab table;
  for (const auto& [x, y] : points) table.AddPoint(x, y);
  return table;
}

TEST(FloatCompare, KeysCloserThanTheToleranceAreEquivalent) {
  const FloatCompare less;
  EXPECT_FALSE(less(1.0, 1.0 + 2e-13));
  EXPECT_FALSE(less(1.0 + 2e-13, 1.0));
  EXPECT_TRUE(less(1.0, 1.0 + 2.3e-13));
  EXPECT_FALSE(less(1.0 + 2.3e-13, 1.0));
  EXPECT_TRUE(less(-1.0, 0.0));
}

TEST(FunTabRange, EmptyTableRaisesForEveryArgument) {
  const FunTab empty;
  for (double x : {-1.0, 0.0, 0.5, 100.0}) EXPECT_THROW(empty.ValueAt(x), FunTab::Error) << x;
}

TEST(FunTabRange, ErrorCarriesTheFixedMessage) {
  const FunTab table = Table({{0, 0}, {1, 1}});
  for (double x : {-0.5, 1.5}) {
    try {
      table.ValueAt(x);
      FAIL() << "no error at " << x;
    } catch (const std::exception& caught) {  // what the last-resort handler catches
      const auto* error = dynamic_cast<const FunTab::Error*>(&caught);
      ASSERT_NE(error, nullptr);
      EXPECT_EQ(std::string(caught.what()), " аргумент за границами диапазона");
      const FunTab::Error copy = *error;
      EXPECT_EQ(copy.Message(), error->Message());
    }
  }
}

TEST(FunTabRange, SinglePointIsDefinedOnlyWithinTheTolerance) {
  const FunTab table = Table({{5, 7}});
  EXPECT_EQ(table.ValueAt(5), 7.0L);
  EXPECT_EQ(table.ValueAt(5 + 1e-13), 7.0L);
  EXPECT_EQ(table.ValueAt(5 - 1e-13), 7.0L);
  EXPECT_THROW(table.ValueAt(5.000001), FunTab::Error);
  EXPECT_THROW(table.ValueAt(4.999999), FunTab::Error);
}

TEST(FunTabRange, TwoPointRampInterpolatesAndStopsAtItsEnds) {
  const FunTab ramp = Table({{0, 0}, {100, 255}});
  EXPECT_EQ(ramp.ValueAt(50), 127.5L);
  EXPECT_NEAR(static_cast<double>(ramp.ValueAt(99.5)), 253.725, 1e-12);
  EXPECT_EQ(ramp.ValueAt(100), 255.0L);
  EXPECT_EQ(ramp.ValueAt(100 + 1e-13), 255.0L);
  EXPECT_THROW(ramp.ValueAt(100.000001), FunTab::Error);
  EXPECT_THROW(ramp.ValueAt(-0.5), FunTab::Error);
}

TEST(FunTabPoints, ReAddingAnEquivalentKeyKeepsTheKeyAndReplacesTheValue) {
  FunTab table;
  table.AddPoint(0.5, 1);
  table.AddPoint(0.5 + 1e-13, 2);
  ASSERT_EQ(table.size(), 1u);
  EXPECT_EQ(table.begin()->first, 0.5);
  EXPECT_EQ(table.begin()->second, 2.0);

  FunTab reversed;
  reversed.AddPoint(0.5 + 1e-13, 1);
  reversed.AddPoint(0.5, 2);
  ASSERT_EQ(reversed.size(), 1u);
  EXPECT_EQ(reversed.begin()->first, 0.5 + 1e-13);
  EXPECT_EQ(reversed.ValueAt(0.5), 2.0L);
}

TEST(FunTabPoints, OrderOfAddingDoesNotMatter) {
  std::array<std::pair<double, double>, 5> points = {
      {{0, 0.3}, {0.05, 0.5}, {0.15, 0.8}, {0.2, 1.0}, {1.0, 0.0}}};
  const FunTab sorted = Table({{0, 0.3}, {0.05, 0.5}, {0.15, 0.8}, {0.2, 1.0}, {1.0, 0.0}});
  int orders = 0;
  do {
    FunTab table;
    for (const auto& [x, y] : points) table.AddPoint(x, y);
    ASSERT_EQ(std::vector(table.begin(), table.end()), std::vector(sorted.begin(), sorted.end()));
    for (double x : {0.0, 0.01, 0.1, 0.17, 0.6, 1.0})
      ASSERT_EQ(table.ValueAt(x), sorted.ValueAt(x));
    ++orders;
  } while (std::next_permutation(points.begin(), points.end()));
  EXPECT_EQ(orders, 120);
}

TEST(FunTabPrecision, ExistingKeyReturnsTheStoredValueUnchanged) {
  const FunTab table = Table({{0, 0.1}, {0.05, 0.5}, {0.1, 1.0}});
  EXPECT_EQ(table.ValueAt(0.05), 0.5L);
  EXPECT_EQ(table.ValueAt(0), static_cast<long double>(0.1));
}

TEST(FunTabPrecision, InterpolatesInExtendedPrecision) {
  const FunTab table = Table({{0, 0.1}, {0.05, 0.5}, {0.1, 1.0}});
  const long double at = table.ValueAt(0.075);
  // Exactly 0.75 only when computed in double precision.
  EXPECT_NEAR(static_cast<double>(at), 0.75, 4 * DBL_EPSILON);

  const FunTab third = Table({{0, 0}, {3, 1}});
  if constexpr (LDBL_MANT_DIG > DBL_MANT_DIG) {
    EXPECT_NE(at, 0.75L);
    EXPECT_EQ(third.ValueAt(1), 1.0L / 3);
    EXPECT_NE(third.ValueAt(1), static_cast<long double>(1.0 / 3));
  }
}

TEST(FunTabPrecision, MultipliesBeforeItDivides) {
  // (y_hi - y_lo) * (x - x_lo) / (x_hi - x_lo): 41 * 1 / 41 is exactly 1,
  // while 41 * (1 / 41) is not.
  const FunTab table = Table({{0, 0}, {41, 41}});
  EXPECT_EQ(table.ValueAt(1), 1.0L);
}

}  // namespace
}  // namespace zm

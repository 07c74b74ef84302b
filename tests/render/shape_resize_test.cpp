#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "render/height_map.h"
#include "render/shape.h"
#include "render/shape_test_support.h"

namespace zm::testing {
namespace {

std::vector<MapValue> Resample(const std::vector<MapValue>& source, int32_t sw, int32_t sh,
                               int32_t w, int32_t h) {
  std::vector<MapValue> target(static_cast<size_t>(w) * h, -1);
  ResampleMap(source.data(), sw, sh, target.data(), w, h);
  return target;
}

TEST(MapResample, NarrowerTakesTheNearestValueEvenWhenTaller) {
  // 4 x 2 source, values 10 * row + column.
  const std::vector<MapValue> source = {0, 1, 2, 3, 10, 11, 12, 13};
  // Rows i * 2 / 4 = 0, 0, 1, 1; columns j * 4 / 3 = 0, 1, 2.
  EXPECT_EQ(Resample(source, 4, 2, 3, 4),
            (std::vector<MapValue>{0, 1, 2, 0, 1, 2, 10, 11, 12, 10, 11, 12}));
}

TEST(MapResample, EqualSizeCopies) {
  const std::vector<MapValue> source = PatternValues(7 * 5, 3);
  EXPECT_EQ(Resample(source, 7, 5, 7, 5), source);
}

TEST(MapResample, DoublingInterpolatesAndTakesMissingNeighboursFromTheLastRowAndColumn) {
  const std::vector<MapValue> source = {0, 100, 200, 300};
  EXPECT_EQ(Resample(source, 2, 2, 4, 4), (std::vector<MapValue>{
                                              0, 50, 100, 100,     //
                                              100, 150, 200, 100,  //
                                              200, 250, 300, 300,  //
                                              200, 200, 300, 300,  //
                                          }));
}

TEST(MapResample, WiderButShorterStillInterpolates) {
  // fx = 1/2, fy = 3/2: row 0 from source row 0, last row from row 1.
  const std::vector<MapValue> source = {0, 100, 200, 300, 400, 500};
  EXPECT_EQ(Resample(source, 2, 3, 4, 2), (std::vector<MapValue>{0, 50, 100, 100,  //
                                                                 200, 200, 300, 300}));
}

TEST(MapResample, ValuesStayWithinTheSourceRange) {
  const std::vector<MapValue> source = PatternValues(13 * 11, 9);
  const auto [low, high] = std::minmax_element(source.begin(), source.end());
  for (auto [w, h] : {std::pair{1, 1}, {5, 40}, {13, 11}, {14, 3}, {31, 29}, {100, 7}}) {
    const std::vector<MapValue> target = Resample(source, 13, 11, w, h);
    for (MapValue v : target) {
      ASSERT_GE(v, *low) << w << "x" << h;
      ASSERT_LE(v, *high) << w << "x" << h;
    }
  }
}

class ShapeResizeTest : public ShapeTest {};

TEST_F(ShapeResizeTest, MapsComeOutOnePlaceAheadAndAForcedStepPutsThemBack) {
  Shape shape;
  shape.Resize(3, 2);
  Fill(shape.MapPrevious(), PatternValues(6, 1));
  Fill(shape.MapCurrent(), PatternValues(6, 2));
  const std::vector<MapValue> previous = Resample(PatternValues(6, 1), 3, 2, 6, 4);
  const std::vector<MapValue> current = Resample(PatternValues(6, 2), 3, 2, 6, 4);
  shape.Resize(6, 4);
  EXPECT_DOUBLE_EQ(shape.HeightScale(), 120.0);
  EXPECT_EQ(shape.Width(), 6);
  EXPECT_EQ(shape.Height(), 4);
  EXPECT_EQ(Copy(shape.MapCurrent()), previous);
  EXPECT_EQ(Copy(shape.MapNext()), current);
  shape.NextStep(true);
  EXPECT_EQ(Copy(shape.MapPrevious()), previous);
  EXPECT_EQ(Copy(shape.MapCurrent()), current);
}

TEST_F(ShapeResizeTest, EmptySizeLeavesNoMaps) {
  Shape shape;
  shape.Resize(4, 4);
  shape.Resize(0, 7);
  EXPECT_FALSE(shape.HasMaps());
  EXPECT_EQ(shape.Width(), 0);
  shape.Resize(-3, 2);
  EXPECT_FALSE(shape.HasMaps());
}

}  // namespace
}  // namespace zm::testing

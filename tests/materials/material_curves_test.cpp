#include "materials/material_curves.h"

#include <gtest/gtest.h>

#include "built_curves.h"
#include "materials/material_palette.h"
#include "materials/material_set.h"

namespace zm {
namespace {

Colour Rgb(Colour red, Colour green, Colour blue) { return red << 16 | green << 8 | blue; }

class MaterialCurves : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { test::BuildCurvesOnce(); }
};

TEST_F(MaterialCurves, EveryCurveHoldsPositions0To99AndTheWhiteEnd) {
  for (const Material& material : MaterialSet) {
    for (const FunTab* curve : {&material.Red, &material.Green, &material.Blue}) {
      ASSERT_EQ(curve->size(), 101u);
      EXPECT_EQ(curve->begin()->first, 0.0);
      EXPECT_EQ(curve->rbegin()->first, 100.0);
      EXPECT_EQ(curve->rbegin()->second, 255.0);
    }
  }
}

TEST_F(MaterialCurves, ValuesAtChosenPositions) {
  struct Row {
    int material;
    int position;
    double red, green, blue;
  };
  const Row rows[] = {
      {0, 17, 119.213, 128.966, 138.720},
      {0, 50, 123.632, 126.630, 129.628},
      {1, 18, 159.576, 127.791, 80.113},
      {2, 40, 110.147, 118.145, 179.858},
      {3, 5, 152.139, 57.862, 57.862},
      {4, 10, 174.162, 138.591, 73.915},
      {4, 36, 113.721, 126.357, 126.357},
      {5, 4, 256.196, 238.032, 148.770},
      {5, 30, 0, 0, 45.215},
      {6, 15, 230.718, 219.732, 169.025},
      {6, 30, 68.956, 0, 0},
      {7, 50, 68.584, 0, 0},
      {8, 50, 0, 48.771, 60.964},
  };
  for (const Row& row : rows) {
    const Material& m = MaterialSet[row.material];
    SCOPED_TRACE(testing::Message() << "material " << row.material << " at " << row.position);
    EXPECT_NEAR(static_cast<double>(m.Red.ValueAt(row.position)), row.red, 0.0005);
    EXPECT_NEAR(static_cast<double>(m.Green.ValueAt(row.position)), row.green, 0.0005);
    EXPECT_NEAR(static_cast<double>(m.Blue.ValueAt(row.position)), row.blue, 0.0005);
  }
}

TEST_F(MaterialCurves, SinglePrecisionOpeningStaysJustBelow164) {
  // 240 * B(10/30) with 10/30 held as float (0.33333334).
  const long double green = MaterialSet[0].Green.ValueAt(10);
  EXPECT_NEAR(static_cast<double>(green), 163.9999988, 1e-7);
  EXPECT_LT(green, 164.0L);
}

TEST_F(MaterialCurves, TwoRedPointsExceed255ButNoPaletteSampleReaches256) {
  EXPECT_NEAR(static_cast<double>(MaterialSet[5].Red.ValueAt(4)), 256.196, 0.0005);
  EXPECT_NEAR(static_cast<double>(MaterialSet[4].Red.ValueAt(8)), 256.356, 0.0005);
  EXPECT_NEAR(static_cast<double>(MaterialSet[5].Red.ValueAt(PalettePosition(80))), 255.97, 0.005);
  EXPECT_NEAR(static_cast<double>(MaterialSet[4].Red.ValueAt(PalettePosition(161))), 255.70, 0.005);
  for (const Material& material : MaterialSet) {
    for (int e = 0; e < kPaletteSize; ++e) {
      const double x = PalettePosition(e);
      for (const FunTab* curve : {&material.Red, &material.Green, &material.Blue}) {
        const long double value = curve->ValueAt(x);
        ASSERT_GE(value, 0.0L) << e;
        ASSERT_LT(value, 256.0L) << e;
      }
    }
  }
}

TEST_F(MaterialCurves, FirstAndLastPaletteEntries) {
  const Colour first[] = {Rgb(94, 72, 45), Rgb(124, 101, 67), Rgb(76, 76, 183),
                          Rgb(0, 0, 0),    Rgb(15, 12, 6),    Rgb(86, 83, 52),
                          Rgb(81, 81, 81), Rgb(94, 72, 45),   Rgb(94, 72, 45)};
  const Colour last[] = {Rgb(242, 242, 242), Rgb(242, 242, 242), Rgb(242, 243, 245),
                         Rgb(242, 242, 242), Rgb(242, 242, 242), Rgb(242, 242, 242),
                         Rgb(243, 242, 242), Rgb(242, 242, 242), Rgb(242, 242, 242)};
  for (int m = 0; m < kMaterialCount; ++m) {
    const auto palette = PaletteOf(MaterialSet[m]);
    EXPECT_EQ(palette[0], first[m]) << "material " << m;
    EXPECT_EQ(palette[2015], last[m]) << "material " << m;
  }
}

TEST_F(MaterialCurves, GlassMaterialsTurnBlackAfterPosition37) {
  for (int m : {3, 4}) {
    SCOPED_TRACE(testing::Message() << "material " << m);
    const auto palette = PaletteOf(MaterialSet[m]);
    for (int e = 766; e <= 1995; ++e) ASSERT_EQ(palette[e], 0u) << e;
    EXPECT_NE(palette[765], 0u);
    EXPECT_NE(palette[1996], 0u);
    for (int e = 747; e <= 766; ++e) {  // fading from the colour at 37
      for (int shift : {0, 8, 16}) {
        EXPECT_LE(palette[e] >> shift & 0xFF, palette[e - 1] >> shift & 0xFF) << e;
      }
    }
  }
}

TEST_F(MaterialCurves, GoldIsBlueOnlyAndWhiteAndRedPureRedFromPosition20) {
  const auto gold = PaletteOf(MaterialSet[5]);
  const auto white_and_red = PaletteOf(MaterialSet[6]);
  EXPECT_NE(gold[403] & 0xFFFF00u, 0u);
  EXPECT_NE(white_and_red[403] & 0x00FFFFu, 0u);
  for (int e = 404; e <= 1995; ++e) {
    ASSERT_EQ(gold[e] & 0xFFFF00u, 0u) << e;
    ASSERT_EQ(white_and_red[e] & 0x00FFFFu, 0u) << e;
  }
  EXPECT_NE(gold[404], 0u);
  EXPECT_NE(white_and_red[404], 0u);
}

TEST_F(MaterialCurves, RebuildingGivesTheSamePoints) {
  const Material before = MaterialSet[2];
  BuildMaterialCurves();
  EXPECT_EQ(MaterialSet[2].Red, before.Red);
  EXPECT_EQ(MaterialSet[2].Green, before.Green);
  EXPECT_EQ(MaterialSet[2].Blue, before.Blue);
}

}  // namespace
}  // namespace zm

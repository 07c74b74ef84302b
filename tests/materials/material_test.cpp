#include "materials/material.h"

#include <gtest/gtest.h>

#include "built_curves.h"
#include "materials/material_palette.h"
#include "materials/material_set.h"

namespace zm {
namespace {

Colour Rgb(Colour red, Colour green, Colour blue) { return red << 16 | green << 8 | blue; }
Colour RedOf(Colour c) { return c >> 16 & 0xFF; }
Colour GreenOf(Colour c) { return c >> 8 & 0xFF; }
Colour BlueOf(Colour c) { return c & 0xFF; }

TEST(GreyRamp, FreshMaterialIsBlackToWhite) {
  const Material grey;
  for (const FunTab* curve : {&grey.Red, &grey.Green, &grey.Blue}) {
    ASSERT_EQ(curve->size(), 2u);
    EXPECT_EQ(curve->ValueAt(0), 0.0L);
    EXPECT_EQ(curve->ValueAt(100), 255.0L);
  }
  const auto palette = PaletteOf(grey);
  EXPECT_EQ(palette[0], Rgb(0, 0, 0));
  EXPECT_EQ(palette[1008], Rgb(127, 127, 127));
  EXPECT_EQ(palette[2015], Rgb(254, 254, 254));
}

TEST(GreyRamp, PalettePositionsSpanZeroTo99_9504) {
  EXPECT_EQ(PalettePosition(0), 0.0f);
  EXPECT_EQ(PalettePosition(1008), 50.0f);
  EXPECT_EQ(PalettePosition(2015), static_cast<float>(2015 * 100.0 / 2016));
  EXPECT_NEAR(PalettePosition(2015), 99.9504, 1e-4);
}

TEST(ColorAt, ClampsAtNinetyNineAndZero) {
  const Material grey;
  EXPECT_EQ(grey.ColorAt(150), grey.ColorAt(99));
  EXPECT_EQ(grey.ColorAt(100), grey.ColorAt(99));
  EXPECT_EQ(grey.ColorAt(-3), grey.ColorAt(0));
  EXPECT_EQ(grey.ColorAt(99), Rgb(252, 252, 252));  // 252.45, not 255
}

TEST(ColorAt, PositionsAboveNinetyNineBlendTowardsWhite) {
  test::BuildCurvesOnce();
  const Material& silk = MaterialSet[0];
  const Colour at99 = silk.ColorAt(99);
  const Colour at99_5 = silk.ColorAt(99.5f);
  for (auto channel : {RedOf, GreenOf, BlueOf}) {
    EXPECT_GT(channel(at99_5), channel(at99));
    EXPECT_LT(channel(at99_5), 255u);
  }
}

TEST(ColorAt, ChannelsAreTruncatedAndPacked) {
  Material material;
  material.Red.AddPoint(50, 200.999);
  material.Green.AddPoint(50, 0.999);
  material.Blue.AddPoint(50, 17.5);
  EXPECT_EQ(material.ColorAt(50), Rgb(200, 0, 17));
  EXPECT_EQ(material.ColorAt(50) >> 24, 0u);
}

}  // namespace
}  // namespace zm

#include <gtest/gtest.h>

#include <vector>

#include "base/random_source.h"
#include "materials/material_choice.h"
#include "materials/palette.h"
#include "render/fake_display_surface.h"
#include "render/shape.h"
#include "render/shape_test_support.h"
#include "render/shape_timing.h"
#include "settings/saver_settings.h"

namespace zm::testing {
namespace {

constexpr int32_t kW = 20, kH = 6;

class ShapeSurfaceTest : public ShapeTest {
 protected:
  // An engine on `display` with fixed maps and palettes from a fixed seed.
  void Prepare(Shape& shape, FakeDisplaySurface& display) {
    shape.Configure({.surfaceBits = static_cast<int32_t>(display.format.rgbBitCount)});
    SeedRandom(99);
    shape.SetDisplay(&display);
    shape.Resize(kW, kH);
    Fill(shape.MapCurrent(), PatternValues(kW * kH, 5));
    Fill(shape.MapPrevious(), PatternValues(kW * kH, 6));
    shape.InitPalettes();
    shape.SetPhase(0.6);
  }

  // The colours a frame shows, read back through the surface's masks.
  std::vector<uint32_t> ShownColours(PixelFormat format) {
    Shape shape;
    FakeDisplaySurface display(kW, kH, format);
    Prepare(shape, display);
    EXPECT_TRUE(shape.RenderToSurface());
    std::vector<uint32_t> colours;
    for (int32_t y = 0; y < kH; ++y)
      for (int32_t x = 0; x < kW; ++x) colours.push_back(display.Colour(x, y));
    return colours;
  }
};

TEST_F(ShapeSurfaceTest, EverySurfaceOrderShowsTheBitmapColours) {
  Shape reference;
  FakeDisplaySurface none(kW, kH, Rgb32RedHigh());
  Prepare(reference, none);
  reference.SetDisplay(nullptr);
  std::vector<uint32_t> expected;
  std::vector<uint32_t> row(kW);
  for (int32_t y = 0; y < kH; ++y) {
    reference.RenderRow32(row.data(), y);
    expected.insert(expected.end(), row.begin(), row.end());
  }
  EXPECT_EQ(ShownColours(Rgb32RedHigh()), expected);
  EXPECT_EQ(ShownColours(Rgb32BlueHigh()), expected);
  EXPECT_EQ(ShownColours(Rgb24RedHigh()), expected);
  EXPECT_EQ(ShownColours(Rgb24BlueHigh()), expected);
}

TEST_F(ShapeSurfaceTest, SixteenBitTablesFollowTheirMasks) {
  for (PixelFormat format : {Rgb565(), Rgb555()}) {
    Shape shape;
    FakeDisplaySurface display(kW, kH, format);
    shape.SetDisplay(&display);
    shape.ColorTable32()[0] = 0x00FFFFFF;
    shape.ColorTable32()[1] = 0x00123456;  // R 0x12, G 0x34, B 0x56
    shape.ColorTable32()[4031] = 0x00F80408;
    shape.ConvertPalettes();
    const bool is565 = format.greenMask == 0x07E0;
    EXPECT_EQ(shape.ColorTable16()[0], is565 ? 0xFFFF : 0x7FFF);
    EXPECT_EQ(shape.ColorTable16()[1], is565 ? (0x56 / 8 | 0x34 / 4 << 5 | 0x12 / 8 << 11)
                                             : (0x56 / 8 | 0x34 / 8 << 5 | 0x12 / 8 << 10));
    EXPECT_EQ(shape.ColorTable16()[4031],
              is565 ? (1 | 1 << 5 | 31 << 11) : (1 | 0 << 5 | 31 << 10));
    EXPECT_EQ(shape.ColorTable32()[1], 0x00123456u);  // the 32-bit table is not touched
  }
}

TEST_F(ShapeSurfaceTest, SixteenBitFrameWritesTwoBytesPerPixel) {
  Shape shape;
  FakeDisplaySurface display(kW, kH, Rgb565());
  Prepare(shape, display);
  ASSERT_TRUE(shape.RenderToSurface());
  const int32_t t = PhaseToTime(0.6);
  for (int32_t x = 0; x < kW; ++x) {
    const int32_t index = ColorIndex(t, shape.MapCurrent()[x], shape.MapPrevious()[x]);
    EXPECT_EQ(display.Pixel(x, 0), shape.ColorTable16()[index]);
  }
  // The row's padding is left alone.
  EXPECT_EQ(display.back[kW * 2], FakeDisplaySurface::kUntouched);
}

TEST_F(ShapeSurfaceTest, UnknownFormatsLeaveTheTablesAsTheyWere) {
  const PixelFormat formats[] = {
      RgbFormat(32, 0xFF000000, 0x00FF0000, 0x0000FF00),
      RgbFormat(24, 0xFF, 0xFF00, 0xFF),
      RgbFormat(16, 0xF000, 0x0F00, 0x00F0),
      RgbFormat(8, 0xE0, 0x1C, 0x03),
      PixelFormat{0, 32, 0x0000FF, 0x00FF00, 0xFF0000},  // not RGB
  };
  for (const PixelFormat& format : formats) {
    Shape shape;
    FakeDisplaySurface display(kW, kH, format);
    Prepare(shape, display);
    const Shape::Colors32 colours32 = shape.ColorTable32();
    const Shape::Colors24 colours24 = shape.ColorTable24();
    const Shape::Colors16 colours16 = shape.ColorTable16();
    shape.ConvertPalettes();
    EXPECT_EQ(shape.ColorTable32(), colours32);
    EXPECT_EQ(shape.ColorTable24(), colours24);
    EXPECT_EQ(shape.ColorTable16(), colours16);
  }
}

TEST_F(ShapeSurfaceTest, NoPrimarySurfaceOrNoFormatMeansNoConversion) {
  for (bool primary : {false, true}) {
    Shape shape;
    FakeDisplaySurface display(kW, kH, Rgb32BlueHigh());
    display.primary = primary;
    display.formatReadable = false;
    shape.SetDisplay(&display);
    shape.ColorTable32()[5] = 0x00112233;
    shape.ConvertPalettes();
    EXPECT_EQ(shape.ColorTable32()[5], 0x00112233u);
  }
}

uint32_t SwapRedBlue(uint32_t c) { return (c & 0xFF00) | (c >> 16 & 0xFF) | (c & 0xFF) << 16; }

TEST_F(ShapeSurfaceTest, BlueHighBanksAreConvertedExactlyOnce) {
  for (bool allColours : {true, false}) {
    if (allColours) {
      SelectAllColors();
    } else {
      SelectMaterial(3);
    }
    Shape shape;
    FakeDisplaySurface display(kW, kH, Rgb32BlueHigh());
    Prepare(shape, display);
    const Shape::Colors32 before = shape.ColorTable32();
    SeedRandom(1234);
    const Palette fresh;  // the palette that NextPalette draws after the same seed
    SeedRandom(1234);
    shape.NextPalette();
    for (int32_t i = 0; i < kPaletteSize; ++i) {
      ASSERT_EQ(shape.ColorTable32()[i], SwapRedBlue(fresh[i])) << i;
      // With a random material per palette bank B is the previous bank A,
      // already in the display's order; with one material it is the fresh
      // palette again.
      const uint32_t bankB = allColours ? before[i] : SwapRedBlue(fresh[i]);
      ASSERT_EQ(shape.ColorTable32()[kPaletteSize + i], bankB) << i;
    }
  }
}

TEST_F(ShapeSurfaceTest, OtherDepthsWriteNothingButTheFrameStillFlips) {
  Shape shape;
  FakeDisplaySurface display(kW, kH, Rgb32RedHigh());
  Prepare(shape, display);
  shape.Configure({.surfaceBits = 8});
  EXPECT_TRUE(shape.RenderToSurface());
  for (uint8_t byte : display.back) ASSERT_EQ(byte, FakeDisplaySurface::kUntouched);
  EXPECT_EQ(display.flips, 1);
}

TEST_F(ShapeSurfaceTest, FrameWaitsForTheFlipAndSkipsWhenTheLockFails) {
  Shape shape;
  FakeDisplaySurface display(kW, kH, Rgb32RedHigh());
  Prepare(shape, display);
  display.flipsInFlight = 3;
  display.failLocks = 1;
  EXPECT_FALSE(shape.RenderToSurface());
  EXPECT_EQ(display.flipDonePolls, 4);
  EXPECT_EQ(display.flips, 0);
  EXPECT_DOUBLE_EQ(shape.Phase(), 0.6);  // a skipped frame does not advance
  for (uint8_t byte : display.back) ASSERT_EQ(byte, FakeDisplaySurface::kUntouched);

  EXPECT_TRUE(shape.RenderToSurface());
  EXPECT_EQ(display.flips, 1);
  EXPECT_DOUBLE_EQ(shape.Phase(), 0.603);

  display.flipSucceeds = false;
  EXPECT_FALSE(shape.RenderToSurface());
}

}  // namespace
}  // namespace zm::testing

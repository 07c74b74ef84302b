#include "display/pixel_packing.h"

#include <gtest/gtest.h>

#include <vector>

namespace zm {
namespace {

TEST(PixelPacking, KeepsTheHighBitsOfEachChannelAtItsMask) {
  const uint32_t pixels[] = {0x00FFFFFF, 0x00123456, 0x00808080, 0x00000000};
  PixelFormat rgb565{kPixelFormatRgb, 16, 0xF800, 0x07E0, 0x001F};
  std::vector<uint8_t> out(8);
  PackPixels(pixels, 4, rgb565, out.data());
  const auto at = [&out](int i) { return static_cast<uint16_t>(out[2 * i] | out[2 * i + 1] << 8); };
  EXPECT_EQ(at(0), 0xFFFF);
  EXPECT_EQ(at(1), (0x12 >> 3) << 11 | (0x34 >> 2) << 5 | (0x56 >> 3));
  EXPECT_EQ(at(2), 0x8410);
  EXPECT_EQ(at(3), 0);

  // Blue high, 24 bits: the bytes come out red, green, blue.
  PixelFormat bgr24{kPixelFormatRgb, 24, 0x0000FF, 0x00FF00, 0xFF0000};
  PackPixels(pixels + 1, 1, bgr24, out.data());
  EXPECT_EQ(out[0], 0x12);
  EXPECT_EQ(out[1], 0x34);
  EXPECT_EQ(out[2], 0x56);

  EXPECT_TRUE(IsNativeFormat({kPixelFormatRgb, 32, 0xFF0000, 0xFF00, 0xFF}));
  EXPECT_FALSE(IsNativeFormat(rgb565));
}

// A 30-bit screen (10 bits a channel): each channel fills its field, so full
// intensity is 0x3FF and not a quarter of it; only the byte formats and
// 5-6-5/5-5-5 suit the engine's page-flipped colour tables.
TEST(PixelPacking, WidensChannelsToFieldsOfMoreThanEightBits) {
  const uint32_t pixels[] = {0x00FFFFFF, 0x00804001, 0x00000000};
  const PixelFormat rgb30{kPixelFormatRgb, 32, 0x3FF00000, 0x000FFC00, 0x000003FF};
  std::vector<uint8_t> out(12);
  PackPixels(pixels, 3, rgb30, out.data());
  const auto at = [&out](int i) {
    return static_cast<uint32_t>(out[4 * i] | out[4 * i + 1] << 8 | out[4 * i + 2] << 16 |
                                 out[4 * i + 3] << 24);
  };
  EXPECT_EQ(at(0), 0x3FFFFFFFu);
  EXPECT_EQ(at(1), (0x202u << 20) | (0x101u << 10) | 0x004u);
  EXPECT_EQ(at(2), 0u);

  EXPECT_FALSE(IsPageFlipFormat(rgb30));
  EXPECT_TRUE(IsPageFlipFormat({kPixelFormatRgb, 16, 0x7C00, 0x03E0, 0x001F}));
  EXPECT_TRUE(IsPageFlipFormat({kPixelFormatRgb, 24, 0xFF, 0xFF00, 0xFF0000}));
  EXPECT_FALSE(IsPageFlipFormat({kPixelFormatRgb, 32, 0xFF000000, 0xFF0000, 0xFF00}));
}

}  // namespace
}  // namespace zm

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

}  // namespace
}  // namespace zm

#include "display/pixel_packing.h"

#include <bit>

namespace zm {

namespace {

// Where one 8-bit channel goes in a pixel of the format.
struct ChannelPlace {
  int bits = 0;   // width of the field
  int shift = 0;  // place of the mask's lowest bit
};

ChannelPlace PlaceOf(uint32_t mask) {
  if (mask == 0) return {0, 0};
  return {std::popcount(mask), std::countr_zero(mask)};
}

// An 8-bit channel value in a field of `bits`: a narrower field keeps the
// value's high bits; a wider one repeats them, so that 255 fills the field.
uint32_t Widen(uint32_t value, int bits) {
  if (bits <= 8) return value >> (8 - bits);
  uint32_t wide = 0;
  int filled = 0;
  for (; filled + 8 <= bits; filled += 8) wide = wide << 8 | value;
  const int rest = bits - filled;
  return rest == 0 ? wide : wide << rest | value >> (8 - rest);
}

bool HasMasks(const PixelFormat& format, uint32_t red, uint32_t green, uint32_t blue) {
  return format.redMask == red && format.greenMask == green && format.blueMask == blue;
}

}  // namespace

bool IsNativeFormat(const PixelFormat& format) {
  return format.rgbBitCount == 32 && HasMasks(format, 0xFF0000, 0xFF00, 0xFF);
}

bool IsPageFlipFormat(const PixelFormat& format) {
  switch (format.rgbBitCount) {
    case 16:
      return HasMasks(format, 0xF800, 0x07E0, 0x001F) || HasMasks(format, 0x7C00, 0x03E0, 0x001F);
    case 24:
    case 32:
      return HasMasks(format, 0xFF0000, 0xFF00, 0xFF) || HasMasks(format, 0xFF, 0xFF00, 0xFF0000);
    default:
      return false;
  }
}

void PackPixels(const uint32_t* source, int32_t count, const PixelFormat& format, uint8_t* out) {
  const int bytes = static_cast<int>(format.rgbBitCount / 8);
  if (bytes != 2 && bytes != 3 && bytes != 4) return;
  const ChannelPlace red = PlaceOf(format.redMask);
  const ChannelPlace green = PlaceOf(format.greenMask);
  const ChannelPlace blue = PlaceOf(format.blueMask);
  for (int32_t x = 0; x < count; ++x) {
    const uint32_t c = source[x];
    const uint32_t pixel = Widen((c >> 16) & 0xFF, red.bits) << red.shift |
                           Widen((c >> 8) & 0xFF, green.bits) << green.shift |
                           Widen(c & 0xFF, blue.bits) << blue.shift;
    for (int b = 0; b < bytes; ++b) out[x * bytes + b] = static_cast<uint8_t>(pixel >> (8 * b));
  }
}

}  // namespace zm

#include "display/pixel_packing.h"

#include <bit>

namespace zm {

namespace {

// Where one 8-bit channel goes in a pixel of the format.
struct ChannelPlace {
  int dropBits = 0;  // low bits of the 8-bit value that do not fit
  int shift = 0;     // place of the mask's lowest bit
};

ChannelPlace PlaceOf(uint32_t mask) {
  if (mask == 0) return {8, 0};
  const int bits = std::popcount(mask);
  return {bits >= 8 ? 0 : 8 - bits, std::countr_zero(mask)};
}

}  // namespace

bool IsNativeFormat(const PixelFormat& format) {
  return format.rgbBitCount == 32 && format.redMask == 0xFF0000 && format.greenMask == 0xFF00 &&
         format.blueMask == 0xFF;
}

void PackPixels(const uint32_t* source, int32_t count, const PixelFormat& format, uint8_t* out) {
  const int bytes = static_cast<int>(format.rgbBitCount / 8);
  if (bytes != 2 && bytes != 3 && bytes != 4) return;
  const ChannelPlace red = PlaceOf(format.redMask);
  const ChannelPlace green = PlaceOf(format.greenMask);
  const ChannelPlace blue = PlaceOf(format.blueMask);
  for (int32_t x = 0; x < count; ++x) {
    const uint32_t c = source[x];
    const uint32_t pixel = (((c >> 16) & 0xFF) >> red.dropBits) << red.shift |
                           (((c >> 8) & 0xFF) >> green.dropBits) << green.shift |
                           ((c & 0xFF) >> blue.dropBits) << blue.shift;
    for (int b = 0; b < bytes; ++b) out[x * bytes + b] = static_cast<uint8_t>(pixel >> (8 * b));
  }
}

}  // namespace zm

#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include "display/display_surface.h"

namespace zm::testing {

// Pixel formats of the surfaces the engine converts for.
inline PixelFormat RgbFormat(uint32_t bits, uint32_t red, uint32_t green, uint32_t blue) {
  return {kPixelFormatRgb, bits, red, green, blue};
}
inline PixelFormat Rgb32RedHigh() { return RgbFormat(32, 0xFF0000, 0x00FF00, 0x0000FF); }
inline PixelFormat Rgb32BlueHigh() { return RgbFormat(32, 0x0000FF, 0x00FF00, 0xFF0000); }
inline PixelFormat Rgb24RedHigh() { return RgbFormat(24, 0xFF0000, 0x00FF00, 0x0000FF); }
inline PixelFormat Rgb24BlueHigh() { return RgbFormat(24, 0x0000FF, 0x00FF00, 0xFF0000); }
inline PixelFormat Rgb565() { return RgbFormat(16, 0xF800, 0x07E0, 0x001F); }
inline PixelFormat Rgb555() { return RgbFormat(16, 0x7C00, 0x03E0, 0x001F); }

// A page-flipped display in memory: one back buffer of the given size and
// pixel format, with switches for the failures a real display can show.
class FakeDisplaySurface : public DisplaySurface {
 public:
  FakeDisplaySurface(int32_t width, int32_t height, PixelFormat pixelFormat)
      : format(pixelFormat),
        pitch(width * static_cast<int32_t>(pixelFormat.rgbBitCount / 8) + kRowPadding),
        back(static_cast<size_t>(pitch) * height, kUntouched) {}

  bool HasPrimarySurface() const override { return primary; }
  bool GetPixelFormat(PixelFormat& out) const override {
    if (!primary || !formatReadable) return false;
    out = format;
    return true;
  }
  bool FlipDone() override {
    ++flipDonePolls;
    if (flipsInFlight > 0) {
      --flipsInFlight;
      return false;
    }
    return true;
  }
  bool LockBackBuffer(uint8_t*& address, int32_t& outPitch) override {
    if (failLocks > 0) {
      --failLocks;
      return false;
    }
    ++locks;
    address = back.data();
    outPitch = pitch;
    return true;
  }
  bool FlipPage() override {
    ++flips;
    return flipSucceeds;
  }

  // The bytes of pixel (x, y), little-endian, as many as the depth has.
  uint32_t Pixel(int32_t x, int32_t y) const {
    const size_t bytes = format.rgbBitCount / 8;
    uint32_t value = 0;
    std::memcpy(&value, back.data() + static_cast<size_t>(y) * pitch + x * bytes, bytes);
    return value;
  }

  // A pixel's colour as 0x00RRGGBB, read through the format's masks.
  uint32_t Colour(int32_t x, int32_t y) const {
    const uint32_t pixel = Pixel(x, y);
    return Channel(pixel, format.redMask) << 16 | Channel(pixel, format.greenMask) << 8 |
           Channel(pixel, format.blueMask);
  }

  static constexpr uint8_t kUntouched = 0xA5;
  static constexpr int32_t kRowPadding = 12;

  PixelFormat format;
  int32_t pitch;
  std::vector<uint8_t> back;
  bool primary = true;
  bool formatReadable = true;
  bool flipSucceeds = true;
  int failLocks = 0;      // so many locks fail before one succeeds
  int flipsInFlight = 0;  // FlipDone answers false so many times
  int flipDonePolls = 0;
  int locks = 0;
  int flips = 0;

 private:
  // The channel's bits, scaled to 8 bits (a 5- or 6-bit channel keeps its
  // value in the high bits).
  static uint32_t Channel(uint32_t pixel, uint32_t mask) {
    if (mask == 0) return 0;
    int shift = 0;
    while (((mask >> shift) & 1) == 0) ++shift;
    int bits = 0;
    while (((mask >> (shift + bits)) & 1) == 1) ++bits;
    return ((pixel & mask) >> shift) << (8 - bits);
  }
};

}  // namespace zm::testing

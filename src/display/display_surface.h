#pragma once

#include <cstdint>

namespace zm {

// Pixel-format flag: the format describes RGB pixels through the masks below.
constexpr uint32_t kPixelFormatRgb = 0x40;

// The fields of a display surface's pixel format that the colour conversions
// read (the surface reports them with a record size of 32 bytes).
struct PixelFormat {
  uint32_t flags = 0;
  uint32_t rgbBitCount = 0;
  uint32_t redMask = 0;
  uint32_t greenMask = 0;
  uint32_t blueMask = 0;
};

// What the engine needs of a page-flipped display: the primary surface's
// pixel format, and a back buffer to lock, fill and flip. The platform's
// display layer implements it; an engine without one draws into bitmaps only.
class DisplaySurface {
 public:
  virtual ~DisplaySurface() = default;

  // True while a video mode is set and its primary surface exists.
  virtual bool HasPrimarySurface() const = 0;

  // The primary surface's pixel format; false when there is no primary
  // surface or the surface cannot tell.
  virtual bool GetPixelFormat(PixelFormat& format) const = 0;

  // True once the last flip has completed.
  virtual bool FlipDone() = 0;

  // Locks the back buffer without waiting: the address of its first pixel
  // and the bytes from one line to the next. False when it is busy or lost.
  virtual bool LockBackBuffer(uint8_t*& address, int32_t& pitch) = 0;

  // Unlocks the back buffer and shows it.
  virtual bool FlipPage() = 0;
};

}  // namespace zm

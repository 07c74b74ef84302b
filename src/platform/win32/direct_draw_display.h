#pragma once

#include "display/display_surface.h"

namespace zm::win32 {

// The engine's display surface on the page-flipped path: the DirectDraw
// module's primary surface and back buffer while a video mode is set.
class DirectDrawDisplay : public DisplaySurface {
 public:
  bool HasPrimarySurface() const override;
  bool GetPixelFormat(PixelFormat& format) const override;
  bool FlipDone() override;
  bool LockBackBuffer(uint8_t*& address, int32_t& pitch) override;
  bool FlipPage() override;
};

}  // namespace zm::win32

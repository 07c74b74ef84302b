#pragma once

#include "display/display_surface.h"

namespace zm::win32 {

class DisplayPacer;

// The engine's display surface on the page-flipped path: the DirectDraw
// module's primary surface and back buffer while a video mode is set. With
// a pacer, each frame waits for a slot of the display before it is drawn
// (without spinning), as a flip that waits for the vertical blank would.
class DirectDrawDisplay : public DisplaySurface {
 public:
  void SetPacer(DisplayPacer* pacer) { pacer_ = pacer; }
  bool HasPrimarySurface() const override;
  bool GetPixelFormat(PixelFormat& format) const override;
  bool FlipDone() override;
  bool LockBackBuffer(uint8_t*& address, int32_t& pitch) override;
  bool FlipPage() override;

 private:
  DisplayPacer* pacer_ = nullptr;
  bool slotTaken_ = false;  // the frame being drawn has its slot
};

}  // namespace zm::win32

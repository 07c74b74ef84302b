#pragma once

#include <vector>

#include "display/display_control.h"

namespace zm::wayland {

// Wayland lets no client switch an output's mode, so there is no display
// service: the saver screen stays on the bitmap path at the output's size.
class DisplayControlWayland : public DisplayControl {
 public:
  bool Startup() override { return false; }
  bool Ready() const override { return false; }
  void Shutdown() override {}
  std::vector<DisplayMode> ListModes() override { return {}; }
  bool SetVideoMode(int32_t, int32_t, int32_t, int32_t, int32_t) override { return false; }
  bool RestoreVideoMode() override { return true; }
  bool HasPrimarySurface() const override { return false; }
  bool GetPixelFormat(PixelFormat&) const override { return false; }
  bool FlipDone() override { return true; }
  bool LockBackBuffer(uint8_t*&, int32_t&) override { return false; }
  bool FlipPage() override { return false; }
};

}  // namespace zm::wayland

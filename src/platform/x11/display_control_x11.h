#pragma once

#include <X11/Xlib.h>

#include <memory>
#include <optional>

#include "display/display_control.h"
#include "platform/x11/fps_overlay.h"
#include "platform/posix/frame_clock_posix.h"
#include "platform/x11/image_buffer.h"
#include "platform/x11/randr_output.h"
#include "platform/x11/x_connection.h"

namespace zm::x11 {

// The display-mode control over XRandR: the modes of the screen's main
// output at the server's bits per pixel, switching its CRTC into a mode and
// back, and a back buffer in the server's pixel format that a flip puts on
// the saver window, at most once per refresh. Only a run with a full-screen
// window of its own may switch modes: for any other, Startup fails and the
// run draws through its bitmap.
class DisplayControlX11 : public DisplayControl {
 public:
  DisplayControlX11(XConnection& x, bool mayUseModes, FrameClock& clock, FpsOverlay& fps);
  ~DisplayControlX11() override;

  // The window flips go to, and its visual.
  void SetTarget(Window window, GC gc, Visual* visual, int depth);
  // The screen area the switched mode shows; nothing while no mode is set.
  struct Area {
    int x, y, width, height;
  };
  std::optional<Area> ModeArea() const;

  bool Startup() override;
  bool Ready() const override { return ready_; }
  void Shutdown() override;
  std::vector<DisplayMode> ListModes() override;
  bool SetVideoMode(int32_t width, int32_t height, int32_t bitsPerPixel, int32_t refreshRate,
                    int32_t backBuffers) override;
  bool RestoreVideoMode() override;

  bool HasPrimarySurface() const override { return backBuffer_ != nullptr; }
  bool GetPixelFormat(PixelFormat& format) const override;
  bool FlipDone() override;
  bool LockBackBuffer(uint8_t*& address, int32_t& pitch) override;
  bool FlipPage() override;

 private:
  const OutputMode* FindMode(int32_t width, int32_t height, int32_t refreshRate) const;

  XConnection& x_;
  bool mayUseModes_;
  FrameClock& clock_;
  FpsOverlay& fps_;
  bool ready_ = false;
  std::optional<OutputState> desktop_;  // the output as it stood at start-up
  const OutputMode* current_ = nullptr;
  bool switched_ = false;
  int serverBits_ = 0;
  Window window_ = 0;
  GC gc_ = nullptr;
  Visual* visual_ = nullptr;
  int depth_ = 0;
  std::unique_ptr<ImageBuffer> backBuffer_;
};

}  // namespace zm::x11

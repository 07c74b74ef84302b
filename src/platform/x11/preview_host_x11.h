#pragma once

#include <X11/Xlib.h>

#include <memory>
#include <vector>

#include "platform/x11/fps_overlay.h"
#include "platform/x11/image_buffer.h"
#include "platform/x11/x_connection.h"
#include "shell/preview_loop.h"

namespace zm::x11 {

// Someone else's window that the preview draws into (/p ID, -window-id ID):
// visible while it is mapped and viewable, gone once it is destroyed (a
// DestroyNotify, or a BadWindow from a request that found it vanished).
class PreviewHostX11 : public PreviewHost {
 public:
  // Throws ProgramError (status 1) when the window does not exist.
  PreviewHostX11(XConnection& x, Window parent, FpsOverlay& fps);
  ~PreviewHostX11() override;

  bool ParentVisible() override { return viewable_ && !gone_; }
  bool ParentGone() override { return gone_; }
  WindowRect ParentRect() override;
  void ProcessMessages() override;
  BitmapView CreateBitmap(int32_t width, int32_t height) override;
  void DrawBitmap() override;
  bool ParentUnseen() override { return covered_; }
  void WaitForWindowEvent(uint32_t milliseconds) override;
  void Sleep(uint32_t milliseconds) override;
  uint64_t Milliseconds() override;

 private:
  XConnection& x_;
  Window parent_;
  FpsOverlay& fps_;
  GC gc_ = nullptr;
  Visual* visual_ = nullptr;
  int depth_ = 0;
  int x0_ = 0;
  int y0_ = 0;
  int width_ = 0;
  int height_ = 0;
  bool viewable_ = false;
  bool gone_ = false;
  bool covered_ = false;  // fully obscured by other windows
  PixelFormat format_;
  std::unique_ptr<ImageBuffer> image_;
  std::vector<uint32_t> bitmap_;
  int32_t bitmapWidth_ = 0;
  int32_t bitmapHeight_ = 0;
};

}  // namespace zm::x11

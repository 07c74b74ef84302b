#pragma once

#include <X11/Xlib.h>

#include <string>

namespace zm::x11 {

// The frame rate in the top left corner (-fps): counted over the last second
// of frames and drawn over each frame once it is on the window.
class FpsOverlay {
 public:
  explicit FpsOverlay(bool enabled) : enabled_(enabled) {}
  ~FpsOverlay();
  FpsOverlay(const FpsOverlay&) = delete;
  FpsOverlay& operator=(const FpsOverlay&) = delete;

  // One frame went to `window`: count it and draw the rate over it.
  void FrameShown(Display* display, Window window);

 private:
  bool enabled_;
  Display* display_ = nullptr;
  GC gc_ = nullptr;
  long long windowStartMs_ = 0;
  int framesInWindow_ = 0;
  std::string text_ = "FPS: --";
};

}  // namespace zm::x11

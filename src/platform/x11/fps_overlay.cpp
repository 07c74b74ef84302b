#include "platform/x11/fps_overlay.h"

#include <cstdio>

#include "platform/x11/run_signals.h"

namespace zm::x11 {

FpsOverlay::~FpsOverlay() {
  if (gc_ != nullptr) XFreeGC(display_, gc_);
}

void FpsOverlay::FrameShown(Display* display, Window window) {
  if (!enabled_) return;
  const long long now = NowMs();
  if (windowStartMs_ == 0) windowStartMs_ = now;
  ++framesInWindow_;
  if (now - windowStartMs_ >= 1000) {
    char text[32];
    std::snprintf(text, sizeof(text), "FPS: %.1f",
                  framesInWindow_ * 1000.0 / static_cast<double>(now - windowStartMs_));
    text_ = text;
    windowStartMs_ = now;
    framesInWindow_ = 0;
  }
  if (gc_ == nullptr) {
    display_ = display;
    gc_ = XCreateGC(display, window, 0, nullptr);
    const int screen = DefaultScreen(display);
    XSetForeground(display, gc_, WhitePixel(display, screen));
    XSetBackground(display, gc_, BlackPixel(display, screen));
  }
  XDrawImageString(display, window, gc_, 8, 18, text_.c_str(), static_cast<int>(text_.size()));
}

}  // namespace zm::x11

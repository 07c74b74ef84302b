#include "platform/x11/preview_host_x11.h"

#include <algorithm>
#include <cstdio>

#include "platform/x11/run_signals.h"

namespace zm::x11 {

PreviewHostX11::PreviewHostX11(XConnection& x, Window parent, FpsOverlay& fps)
    : x_(x), parent_(parent), fps_(fps) {
  Display* d = x_.Connection();
  const ForeignWindow foreign = AdoptForeignWindow(d, parent);
  visual_ = foreign.visual;
  depth_ = foreign.depth;
  x0_ = foreign.x;
  y0_ = foreign.y;
  width_ = foreign.width;
  height_ = foreign.height;
  viewable_ = foreign.viewable;
  format_ = x_.FormatOf(visual_, depth_);
  gc_ = XCreateGC(d, parent, 0, nullptr);
  ThrowIfWindowRefused(d, parent);
}

PreviewHostX11::~PreviewHostX11() {
  image_.reset();
  if (gc_ != nullptr) XFreeGC(x_.Connection(), gc_);
  XSync(x_.Connection(), False);
}

WindowRect PreviewHostX11::ParentRect() {
  // Right and bottom lie just outside, as the preview loop expects.
  return {x0_, y0_, x0_ + width_, y0_ + height_};
}

void PreviewHostX11::ProcessMessages() {
  Display* d = x_.Connection();
  XEvent event;
  while (XPending(d) > 0) {
    XNextEvent(d, &event);
    if (event.xany.window != parent_) continue;
    if (event.type == DestroyNotify) gone_ = true;
    if (event.type == UnmapNotify) viewable_ = false;
    if (event.type == MapNotify) viewable_ = true;
    if (event.type == ConfigureNotify) {
      width_ = event.xconfigure.width;
      height_ = event.xconfigure.height;
    }
    if (event.type == VisibilityNotify) {
      covered_ = event.xvisibility.state == VisibilityFullyObscured;
    }
  }
  if (WindowFailed(parent_)) gone_ = true;
  // Ended from outside: the loop ends as if the window had gone.
  if (EndingSignal() != 0) gone_ = true;
}

BitmapView PreviewHostX11::CreateBitmap(int32_t width, int32_t height) {
  image_ = std::make_unique<ImageBuffer>(x_.Connection(), visual_, depth_, width, height);
  bitmapWidth_ = width;
  bitmapHeight_ = height;
  bitmap_.assign(static_cast<size_t>(std::max(width, 1)) * std::max(height, 1), 0);
  return BitmapView{reinterpret_cast<uint8_t*>(bitmap_.data()), ptrdiff_t{width} * 4, width,
                    height};
}

void PreviewHostX11::DrawBitmap() {
  if (image_ == nullptr || !image_->Valid() || gone_) return;
  image_->Pack(bitmap_.data(), bitmapWidth_, bitmapHeight_, format_);
  image_->Put(parent_, gc_);
  fps_.FrameShown(x_.Connection(), parent_);
}

// The pause polls: a signal or the window's events end it early only in
// the sense that the next test of the loop sees them.
void PreviewHostX11::Sleep(uint32_t milliseconds) {
  const long long until = NowMs() + milliseconds;
  for (long long left = milliseconds; left > 0 && EndingSignal() == 0; left = until - NowMs()) {
    WaitForEvents(nullptr, static_cast<int>(left));
  }
}

void PreviewHostX11::WaitForWindowEvent(uint32_t milliseconds) {
  WaitForEvents(x_.Connection(), static_cast<int>(milliseconds));
}

uint64_t PreviewHostX11::Milliseconds() { return static_cast<uint64_t>(NowMs()); }

}  // namespace zm::x11

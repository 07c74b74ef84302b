#include "platform/x11/display_control_x11.h"

#include "display/pixel_packing.h"

namespace zm::x11 {

DisplayControlX11::DisplayControlX11(XConnection& x, bool mayUseModes, FrameClock& clock,
                                     FpsOverlay& fps)
    : x_(x), mayUseModes_(mayUseModes), clock_(clock), fps_(fps) {}

// Whatever way the run ends, the desktop gets its mode back.
DisplayControlX11::~DisplayControlX11() { RestoreVideoMode(); }

void DisplayControlX11::SetTarget(Window window, GC gc, Visual* visual, int depth) {
  window_ = window;
  gc_ = gc;
  visual_ = visual;
  depth_ = depth;
}

bool DisplayControlX11::Startup() {
  if (ready_) return true;
  if (!mayUseModes_ || visual_ == nullptr) return false;
  desktop_ = ReadOutputState(x_.Connection(), x_.root());
  if (!desktop_) return false;
  serverBits_ = x_.BitsPerPixel(depth_);
  ready_ = true;
  return true;
}

void DisplayControlX11::Shutdown() {
  RestoreVideoMode();
  ready_ = false;
}

std::vector<DisplayMode> DisplayControlX11::ListModes() {
  std::vector<DisplayMode> modes;
  // A screen whose pixels the engine's colour tables do not fit (30 bits)
  // offers no mode: the run draws through the packed bitmap.
  if (!ready_ || !IsPageFlipFormat(x_.FormatOf(visual_, depth_))) return modes;
  for (const OutputMode& mode : desktop_->modes) {
    modes.push_back({mode.height, mode.width, mode.refresh, serverBits_});
  }
  return modes;
}

// Refresh rate 0 takes the mode the output shows if it has this size, else
// the first of this size in the server's order (its preferred one first).
const OutputMode* DisplayControlX11::FindMode(int32_t width, int32_t height,
                                              int32_t refreshRate) const {
  const OutputMode* found = nullptr;
  for (const OutputMode& mode : desktop_->modes) {
    if (mode.width != width || mode.height != height) continue;
    if (refreshRate != 0 && mode.refresh != refreshRate) continue;
    if (found == nullptr || mode.id == desktop_->mode) found = &mode;
  }
  return found;
}

bool DisplayControlX11::SetVideoMode(int32_t width, int32_t height, int32_t bitsPerPixel,
                                     int32_t refreshRate, int32_t) {
  if (!ready_ || bitsPerPixel != serverBits_) return false;
  const OutputMode* mode = FindMode(width, height, refreshRate);
  if (mode == nullptr) return false;
  const RRMode showing = current_ != nullptr ? current_->id : desktop_->mode;
  if (mode->id != showing) {
    switched_ = true;  // a failed switch may have changed something: restore it
    if (!SetCrtcMode(x_.Connection(), x_.root(), *desktop_, mode->id)) return false;
  }
  current_ = mode;
  clock_.SetRate(mode->refresh);
  backBuffer_ = std::make_unique<ImageBuffer>(x_.Connection(), visual_, depth_, width, height);
  if (!backBuffer_->Valid() || backBuffer_->BitsPerPixel() != serverBits_) {
    backBuffer_.reset();
    return false;
  }
  return true;
}

bool DisplayControlX11::RestoreVideoMode() {
  if (!ready_) return false;
  backBuffer_.reset();
  bool restored = true;
  if (switched_) {
    restored = SetCrtcMode(x_.Connection(), x_.root(), *desktop_, desktop_->mode);
    switched_ = false;
  }
  current_ = nullptr;
  clock_.SetRate(CurrentRefreshRate(x_.Connection(), x_.root()));
  return restored;
}

std::optional<DisplayControlX11::Area> DisplayControlX11::ModeArea() const {
  if (current_ == nullptr) return std::nullopt;
  return Area{desktop_->x, desktop_->y, current_->width, current_->height};
}

bool DisplayControlX11::GetPixelFormat(PixelFormat& format) const {
  if (backBuffer_ == nullptr) return false;
  format = x_.FormatOf(visual_, depth_);
  return true;
}

bool DisplayControlX11::FlipDone() {
  clock_.WaitForSlot();
  return true;
}

bool DisplayControlX11::LockBackBuffer(uint8_t*& address, int32_t& pitch) {
  if (backBuffer_ == nullptr) return false;
  address = backBuffer_->Data();
  pitch = backBuffer_->Pitch();
  return true;
}

bool DisplayControlX11::FlipPage() {
  if (backBuffer_ == nullptr) return false;
  backBuffer_->Put(window_, gc_);
  fps_.FrameShown(x_.Connection(), window_);
  clock_.Tick();
  return true;
}

}  // namespace zm::x11

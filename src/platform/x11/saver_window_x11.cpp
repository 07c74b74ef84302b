#include "platform/x11/saver_window_x11.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/dpms.h>

#include "platform/posix/standard_error_posix.h"
#ifdef ZM_HAVE_XPRESENT
#include <X11/extensions/Xpresent.h>
#endif
#include <X11/extensions/Xrandr.h>

#include <algorithm>
#include <cstdio>

#include "display/pixel_packing.h"
#include "platform/x11/run_signals.h"

namespace zm::x11 {

namespace {

// The size of an ordinary window of our own (-window).
constexpr int kWindowWidth = 640;
constexpr int kWindowHeight = 480;
constexpr long kOwnInput = KeyPressMask | ButtonPressMask | PointerMotionMask | ExposureMask |
                           StructureNotifyMask | VisibilityChangeMask;
// How often the display's power state is read while nothing else wakes the
// loop.
constexpr int kPowerCheckMs = 1000;

Cursor BlankCursor(Display* display, Window window) {
  char none[8] = {};
  Pixmap empty = XCreateBitmapFromData(display, window, none, 8, 8);
  XColor black{};
  Cursor cursor = XCreatePixmapCursor(display, empty, empty, &black, &black, 0, 0);
  XFreePixmap(display, empty);
  return cursor;
}

}  // namespace

SaverWindowX11::SaverWindowX11(XConnection& x, DrawTarget target, Window foreign,
                               DisplayControlX11& display, FrameClock& clock, FpsOverlay& fps)
    : x_(x), target_(target), display_(display), clock_(clock), fps_(fps) {
  if (Owned()) {
    CreateOwnWindow();
  } else {
    AdoptForeignWindow(foreign);
  }
  gc_ = XCreateGC(x_.Connection(), window_, 0, nullptr);
  format_ = x_.FormatOf(visual_, depth_);
  // The root window's size changes are the screen's (a full-screen run
  // follows them); a -root run on the root window has selected them already.
  if (target_ == DrawTarget::kFullScreen)
    XSelectInput(x_.Connection(), x_.root(), StructureNotifyMask);
  display_.SetTarget(window_, gc_, visual_, depth_);
  displayHz_ = CurrentRefreshRate(x_.Connection(), x_.root());
  clock_.SetRate(displayHz_);
}

SaverWindowX11::~SaverWindowX11() {
  images_[0].reset();
  images_[1].reset();
  if (gc_ != nullptr) XFreeGC(x_.Connection(), gc_);
  if (Owned() && window_ != 0 && !closed_) XDestroyWindow(x_.Connection(), window_);
  if (blank_ != 0) XFreeCursor(x_.Connection(), blank_);
  XSync(x_.Connection(), False);
}

void SaverWindowX11::CreateOwnWindow() {
  Display* d = x_.Connection();
  visual_ = DefaultVisual(d, x_.screen());
  depth_ = DefaultDepth(d, x_.screen());
  const bool full = target_ == DrawTarget::kFullScreen;
  width_ = full ? x_.Width() : std::min(kWindowWidth, x_.Width());
  height_ = full ? x_.Height() : std::min(kWindowHeight, x_.Height());
  XSetWindowAttributes attributes{};
  attributes.background_pixel = BlackPixel(d, x_.screen());
  attributes.override_redirect = full ? True : False;
  attributes.event_mask = kOwnInput;
  window_ = XCreateWindow(d, x_.root(), 0, 0, width_, height_, 0, depth_, InputOutput, visual_,
                          CWBackPixel | CWOverrideRedirect | CWEventMask, &attributes);
  XStoreName(d, window_, "Zelk Mirv");
  XClassHint hint{const_cast<char*>("zelk-mirv"), const_cast<char*>("Zelk-mirv")};
  XSetClassHint(d, window_, &hint);
  deleteWindow_ = XInternAtom(d, "WM_DELETE_WINDOW", False);
  XSetWMProtocols(d, window_, &deleteWindow_, 1);
  blank_ = BlankCursor(d, window_);
}

void SaverWindowX11::AdoptForeignWindow(Window foreign) {
  Display* d = x_.Connection();
  window_ = foreign;
  const ForeignWindow taken = x11::AdoptForeignWindow(d, foreign);
  visual_ = taken.visual;
  depth_ = taken.depth;
  width_ = taken.width;
  height_ = taken.height;
  mapped_ = taken.viewable;
}

void SaverWindowX11::SizeFrameBitmap(int32_t width, int32_t height) {
  images_[0].reset();
  images_[1].reset();
  back_ = front_ = 0;
  images_[0] = std::make_unique<ImageBuffer>(x_.Connection(), visual_, depth_, width, height);
  if (!images_[0]->Valid()) images_[0].reset();
  if (images_[0] != nullptr && images_[0]->Shared()) {
    images_[1] = std::make_unique<ImageBuffer>(x_.Connection(), visual_, depth_, width, height);
    if (!images_[1]->Shared()) images_[1].reset();
  }
  bitmapWidth_ = width;
  bitmapHeight_ = height;
  PresentImages();
  // The engine writes 0x00RRGGBB pixels: straight into the image when the
  // server's format is that one, else into a buffer packed at each paint.
  const ImageBuffer* image = images_[0].get();
  const bool direct = image != nullptr && IsNativeFormat(format_) && image->BitsPerPixel() == 32 &&
                      ImageByteOrder(x_.Connection()) == LSBFirst;
  bitmap_.assign(direct ? 0 : static_cast<size_t>(std::max(width, 0)) * std::max(height, 0), 0);
}

BitmapView SaverWindowX11::FrameBitmap() {
  ImageBuffer* image = BackImage();
  if (bitmap_.empty() && image != nullptr) {
    // The server may still be reading this image's last frame.
    image->WaitUntilFree();
    return BitmapView{image->Data(), image->Pitch(), bitmapWidth_, bitmapHeight_};
  }
  return BitmapView{reinterpret_cast<uint8_t*>(bitmap_.data()), ptrdiff_t{bitmapWidth_} * 4,
                    bitmapWidth_, bitmapHeight_};
}

void SaverWindowX11::PaintFrameBitmap() {
  ImageBuffer* image = BackImage();
  if (image == nullptr || closed_) return;
  if (!bitmap_.empty()) {
    image->WaitUntilFree();
    image->Pack(bitmap_.data(), bitmapWidth_, bitmapHeight_, format_);
  }
  if (blackWanted_) {
    XSetForeground(x_.Connection(), gc_, BlackPixel(x_.Connection(), x_.screen()));
    XFillRectangle(x_.Connection(), window_, gc_, 0, 0, width_, height_);
    blackWanted_ = false;
  }
  image->PutAsync(window_, gc_, frameLeft_, frameTop_);
  front_ = back_;
  if (images_[1] != nullptr) back_ = 1 - back_;
  fps_.FrameShown(x_.Connection(), window_);
}

// RandR 1.5 monitors, moved from the screen's pixels into the window's.
std::vector<MonitorArea> SaverWindowX11::Monitors() const {
  Display* d = x_.Connection();
  int count = 0;
  XRRMonitorInfo* info = XRRGetMonitors(d, window_, True, &count);
  if (info == nullptr) return {};
  int originX = 0;
  int originY = 0;
  Window child = 0;
  XTranslateCoordinates(d, window_, x_.root(), 0, 0, &originX, &originY, &child);
  std::vector<MonitorArea> monitors;
  for (int i = 0; i < count; ++i) {
    char* name = XGetAtomName(d, info[i].name);
    monitors.push_back({{info[i].x - originX, info[i].y - originY, info[i].width, info[i].height},
                        info[i].primary != 0,
                        name != nullptr ? name : ""});
    if (name != nullptr) XFree(name);
  }
  XRRFreeMonitors(info);
  return monitors;
}

void SaverWindowX11::PlaceFrameBitmap(int32_t left, int32_t top) {
  frameLeft_ = left;
  frameTop_ = top;
  blackWanted_ = true;
}

// Both images present through Present where the server has it; else
// neither does.
void SaverWindowX11::PresentImages() {
  if (images_[1] == nullptr || !PresentWanted(x_.Connection())) return;
  if (!images_[0]->PresentOn(window_, depth_) || !images_[1]->PresentOn(window_, depth_)) {
    images_[1].reset();
    images_[0] = std::make_unique<ImageBuffer>(x_.Connection(), visual_, depth_, bitmapWidth_,
                                               bitmapHeight_);
    return;
  }
#ifdef ZM_HAVE_XPRESENT
  if (!presentSelected_) {
    XPresentSelectInput(x_.Connection(), window_,
                        PresentIdleNotifyMask | PresentCompleteNotifyMask);
    presentSelected_ = true;
  }
#endif
}

// An expose: the image last put goes up again; nothing is composed.
void SaverWindowX11::RepaintShown() {
  ImageBuffer* image = images_[front_].get();
  if (image == nullptr || closed_) return;
  image->PutAsync(window_, gc_, frameLeft_, frameTop_);
}

// The display's power state (DPMS), read at most once a second.
bool SaverWindowX11::DisplayPoweredOff() const {
  const long long now = NowMs();
  if (powerCheckedMs_ >= 0 && now - powerCheckedMs_ < kPowerCheckMs) return poweredOff_;
  powerCheckedMs_ = now;
  Display* d = x_.Connection();
  int eventBase = 0;
  int errorBase = 0;
  CARD16 level = DPMSModeOn;
  BOOL enabled = False;
  poweredOff_ = DPMSQueryExtension(d, &eventBase, &errorBase) && DPMSCapable(d) &&
                DPMSInfo(d, &level, &enabled) && enabled && level != DPMSModeOn;
  return poweredOff_;
}

void SaverWindowX11::SetPresentation(WindowPresentation presentation) {
  presentation_ = presentation;
  if (mapped_) ApplyGeometry();
}

// Over the whole screen, or (in a switched video mode) over the part of the
// screen that mode shows.
void SaverWindowX11::ApplyGeometry() {
  if (target_ != DrawTarget::kFullScreen) return;
  const std::optional<DisplayControlX11::Area> area = display_.ModeArea();
  if (presentation_ == WindowPresentation::kNormal && area) {
    XMoveResizeWindow(x_.Connection(), window_, area->x, area->y, area->width, area->height);
  } else {
    XMoveResizeWindow(x_.Connection(), window_, 0, 0, x_.Width(), x_.Height());
  }
}

void SaverWindowX11::BringToTop() {
  if (Owned()) XRaiseWindow(x_.Connection(), window_);
}

void SaverWindowX11::ShowCursor(bool show) {
  if (!Owned()) return;
  if (show) {
    XUndefineCursor(x_.Connection(), window_);
  } else {
    XDefineCursor(x_.Connection(), window_, blank_);
  }
}

void SaverWindowX11::MakeVisible() {
  if (!Owned() || closed_) return;
  ApplyGeometry();
  // The display's power state is read now, while the server is idle: the
  // round trips would otherwise wait behind the map's painting and hold up
  // the first frame.
  DisplayPoweredOff();
  XMapRaised(x_.Connection(), window_);
  // NOTE: a window manager may take a moment to map it. Wait for the map,
  // so that grabs and the first frame find it viewable; other events stay
  // queued.
  XEvent event;
  const long long until = NowMs() + 2000;
  while (!mapped_ && EndingSignal() == 0 && NowMs() < until) {
    if (XCheckTypedWindowEvent(x_.Connection(), window_, MapNotify, &event)) {
      mapped_ = true;
    } else {
      WaitForMoreInput(x_.Connection(), 20);
      XEventsQueued(x_.Connection(), QueuedAfterReading);
    }
  }
}

// The full-screen saver takes keyboard and pointer, so that every key and
// move reaches it; another grab may be letting go, so it tries a while.
void SaverWindowX11::CaptureMouse() {
  if (target_ != DrawTarget::kFullScreen || !mapped_) return;
  Display* d = x_.Connection();
  for (int attempt = 0; attempt < 20; ++attempt) {
    const int pointer = XGrabPointer(d, window_, False, ButtonPressMask | PointerMotionMask,
                                     GrabModeAsync, GrabModeAsync, window_, blank_, CurrentTime);
    const int keyboard =
        XGrabKeyboard(d, window_, False, GrabModeAsync, GrabModeAsync, CurrentTime);
    if (pointer == GrabSuccess && keyboard == GrabSuccess) return;
    x11::WaitForEvents(nullptr, 50);
  }
}

void SaverWindowX11::ReleaseMouse() {
  if (target_ != DrawTarget::kFullScreen) return;
  XUngrabPointer(x_.Connection(), CurrentTime);
  XUngrabKeyboard(x_.Connection(), CurrentTime);
}

void SaverWindowX11::SetCloseTimer(int32_t milliseconds) {
  if (loop_) loop_->SetCloseTimer(milliseconds);
}

void SaverWindowX11::ShrinkBeforeClosing() {
  if (Owned()) XResizeWindow(x_.Connection(), window_, 10, 10);
}

void SaverWindowX11::Close() {
  if (closed_) return;
  switch (screen_->Closing()) {
    case SaverScreen::CloseAction::kStayOpen:
      return;
    case SaverScreen::CloseAction::kHide:
      XUnmapWindow(x_.Connection(), window_);
      XFlush(x_.Connection());
      mapped_ = false;
      return;
    case SaverScreen::CloseAction::kDestroy:
      break;
  }
  if (Owned()) XDestroyWindow(x_.Connection(), window_);
  XFlush(x_.Connection());
  closed_ = true;
}

void SaverWindowX11::ShowError(const char* message) {
  if (showError_) return showError_(message);
  SayOnStandardError(message);
}

void SaverWindowX11::HandleOwnInput(const XEvent& event) {
  switch (event.type) {
    case KeyPress:
      screen_->FormKeyDown();
      break;
    case ButtonPress:
      screen_->FormButtonDown(event.xbutton.button);
      break;
    case MotionNotify:
      screen_->FormMouseMove(event.xmotion.x, event.xmotion.y);
      break;
    case ClientMessage:
      if (static_cast<Atom>(event.xclient.data.l[0]) == deleteWindow_) screen_->RequestExit();
      break;
    default:
      break;
  }
}

void SaverWindowX11::Handle(const XEvent& event) {
  XEvent taken = event;
  uint64_t refreshUs = 0;
  uint64_t refreshCount = 0;
  if (TakePresentEvent(x_.Connection(), taken, &refreshUs, &refreshCount)) {
    // Frames then go out just after the display's refreshes, at the rate
    // they come.
    if (refreshUs != 0) {
      const double refreshMs = static_cast<double>(refreshUs) / 1000.0;
      presented_.Refreshed(refreshMs, refreshCount);
      clock_.AlignToRefresh(refreshMs, 1000.0 / DisplayRate());
    }
    return;
  }
  for (const std::unique_ptr<ImageBuffer>& image : images_) {
    if (image != nullptr && image->Completed(event)) return;
  }
  if (event.type == ConfigureNotify && event.xconfigure.window == x_.root()) FollowScreen(taken);
  if (event.xany.window != window_) return;
  switch (event.type) {
    case ConfigureNotify:
      FollowWindowSize(event.xconfigure.width, event.xconfigure.height);
      break;
    case DestroyNotify:
      closed_ = true;  // someone else's window went: nothing left to draw in
      break;
    case MapNotify:
      mapped_ = true;
      if (remapped_) CaptureMouse();
      remapped_ = false;
      break;
    case UnmapNotify:
      mapped_ = false;
      KeepOnScreen();
      break;
    case VisibilityNotify:
      covered_ = event.xvisibility.state == VisibilityFullyObscured;
      break;
    case Expose:
      if (event.xexpose.count != 0) break;
      if (screen_->WindowExposed()) RepaintShown();
      break;
    default:
      if (Owned()) HandleOwnInput(event);
      break;
  }
}

// The screen changed (RandR): the display's size is read anew, a
// full-screen window of our own takes the new screen, and the frame its
// place on the monitors.
void SaverWindowX11::FollowScreen(XEvent& event) {
  XRRUpdateConfiguration(&event);
  if (closed_) return;
  if (window_ == x_.root()) {  // -root on the root window: its size is the screen's
    width_ = event.xconfigure.width;
    height_ = event.xconfigure.height;
  }
  if (target_ == DrawTarget::kFullScreen) ApplyGeometry();
  displayHz_ = CurrentRefreshRate(x_.Connection(), x_.root());
  // The monitors may have changed while the size did not.
  if (screen_ != nullptr) {
    const OwnWork newPatterns;  // a monitor that came may warm up its first one
    screen_->WindowSizeChanged();
  }
}

void SaverWindowX11::FollowWindowSize(int32_t width, int32_t height) {
  if (width == width_ && height == height_) return;
  width_ = width;
  height_ = height;
  if (screen_ != nullptr && !closed_) {
    const OwnWork newPatterns;
    screen_->WindowSizeChanged();
  }
}

// A running full-screen saver that someone else unmapped would go on
// invisible, holding the lock, with no key to end it: it comes back on top.
void SaverWindowX11::KeepOnScreen() {
  if (target_ != DrawTarget::kFullScreen || closed_ || screen_->ExitAllowed) return;
  XMapRaised(x_.Connection(), window_);
  remapped_ = true;  // the grabs went with the map: taken again at MapNotify
}

void SaverWindowX11::DispatchPending() {
  XEvent event;
  while (!closed_ && XPending(x_.Connection()) > 0) {
    XNextEvent(x_.Connection(), &event);
    Handle(event);
  }
  if (!Owned() && WindowFailed(window_)) closed_ = true;
}

void SaverWindowX11::Attach(SaverScreen* screen) {
  screen_ = screen;
  if (screen_ == nullptr) {
    loop_.reset();
  } else {
    loop_.emplace(*screen_, static_cast<LoopPlatform&>(*this));
  }
}

int64_t SaverWindowX11::NowMs() const { return zm::NowMs(); }

bool SaverWindowX11::ServePending() {
  DispatchPending();
  if (!closed_ && settingsWatch_ != nullptr && settingsWatch_->TakeChange()) {
    const OwnWork newPatterns;  // the layout may give the engines new sizes
    screen_->SettingsFileChanged();
  }
  return !closed_;
}

void SaverWindowX11::BeforeFrameRequest() {
  if (mapped_) screen_->DisplayPowerChanged(!DisplayPoweredOff());
  screen_->PowerSourceChanged(power_.OnBattery(NowMs()));
}

// The page-flipped path waits for its slot at each flip.
int32_t SaverWindowX11::MsUntilFrame() {
  return display_.HasPrimarySurface() ? 0 : clock_.MillisecondsLeft();
}

void SaverWindowX11::FrameDrawn() {
  if (!display_.HasPrimarySurface()) clock_.Tick();
}

bool SaverWindowX11::EventsWaiting() const { return XPending(x_.Connection()) > 0; }

void SaverWindowX11::WaitForEvents(int32_t timeoutMs) {
  x11::WaitForEvents(x_.Connection(), timeoutMs,
                     settingsWatch_ != nullptr ? settingsWatch_->Fd() : -1);
}

// A display that is off sends no event when it comes back on.
int32_t SaverWindowX11::WakeEveryMs() const { return mapped_ && poweredOff_ ? kPowerCheckMs : -1; }

int SaverWindowX11::ServeEvents() { return loop_ ? loop_->ServeEvents() : -1; }

void SaverWindowX11::RunLoop() {
  while (EndingSignal() == 0 && loop_ && loop_->Step()) {
  }
  if (EndingSignal() != 0 && !closed_) screen_->EndFromOutside();
  if (EndingSignal() != 0) XSync(x_.Connection(), False);  // the server has taken all of it
}

}  // namespace zm::x11

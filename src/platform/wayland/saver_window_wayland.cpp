#include "platform/wayland/saver_window_wayland.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "display/outputs_side_by_side.h"
#include "display/refresh_grid.h"
#include "platform/posix/ending_signals_posix.h"
#include "platform/posix/standard_error_posix.h"
#include "platform/wayland/protocols/wlr-layer-shell-unstable-v1-client-protocol.h"
#include "platform/wayland/protocols/xdg-activation-v1-client-protocol.h"
#include "platform/wayland/protocols/xdg-shell-client-protocol.h"
#include "platform/wayland/shm_buffer.h"
#include "shell/program_error.h"

namespace zm::wayland {

// One surface the ornament is shown on, with its two buffers.
struct ShownSurface {
  SaverWindowWayland* window = nullptr;
  WaylandOutput* output = nullptr;  // none for the toplevel
  wl_surface* surface = nullptr;
  zwlr_layer_surface_v1* layer = nullptr;
  xdg_surface* xdgSurface = nullptr;
  xdg_toplevel* toplevel = nullptr;
  wl_callback* frame = nullptr;
  double calledMs = -1.0;  // when the compositor last called for a frame
  int32_t width = 0;       // in the surface's own units (pixels / scale)
  int32_t height = 0;
  int32_t left = 0;              // where it lies among the monitors side by side, in pixels
  int32_t toplevelScale = 1;     // a toplevel's: that of the output it is on
  wl_output* entered = nullptr;  // the output a toplevel was last shown on
  int32_t pendingWidth = 0;      // a toplevel's size until its configure ends
  int32_t pendingHeight = 0;
  bool configured = false;
  bool closed = false;
  long long frames = 0;  // committed, for the surface report
  std::array<ShmBuffer, 2> buffers;

  int32_t Scale() const { return output != nullptr ? output->scale : toplevelScale; }
  int32_t PixelWidth() const { return width * Scale(); }
  int32_t PixelHeight() const { return height * Scale(); }

  ~ShownSurface() {
    for (ShmBuffer& buffer : buffers) buffer.Release();
    if (frame != nullptr) wl_callback_destroy(frame);
    if (layer != nullptr) zwlr_layer_surface_v1_destroy(layer);
    if (toplevel != nullptr) xdg_toplevel_destroy(toplevel);
    if (xdgSurface != nullptr) xdg_surface_destroy(xdgSurface);
    if (surface != nullptr) wl_surface_destroy(surface);
  }
};

namespace {

// The size of an ordinary window of our own (-window), as on X11.
constexpr int32_t kWindowWidth = 640;
constexpr int32_t kWindowHeight = 480;
constexpr uint32_t kAllEdges =
    ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
    ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT;
constexpr int kFirstSurfaceWaitMs = 3000;
// How long after its first frame the full screen must have had the keyboard.
constexpr long long kKeyboardFocusWaitMs = 2000;
// How long the other surfaces wait for the first one's call for a frame.
constexpr long long kPacerPatienceMs = 100;

// No progress window on Wayland: the first start computes before the first
// frame shows, and the background stays the compositor's meanwhile.
class SilentWait : public WaitDialog {
 public:
  void Show() override {}
  void SetProgress(int32_t) override {}
  void Hide() override {}
};

ShownSurface& Of(void* data) { return *static_cast<ShownSurface*>(data); }

void OnLayerConfigure(void* data, zwlr_layer_surface_v1* layer, uint32_t serial, uint32_t width,
                      uint32_t height) {
  zwlr_layer_surface_v1_ack_configure(layer, serial);
  Of(data).window->Configured(Of(data), static_cast<int32_t>(width), static_cast<int32_t>(height));
}

void OnLayerClosed(void* data, zwlr_layer_surface_v1*) { Of(data).window->SurfaceClosed(Of(data)); }

const zwlr_layer_surface_v1_listener kLayerListener = {OnLayerConfigure, OnLayerClosed};

void OnXdgConfigure(void* data, xdg_surface* surface, uint32_t serial) {
  xdg_surface_ack_configure(surface, serial);
  ShownSurface& shown = Of(data);
  shown.window->Configured(shown, shown.pendingWidth, shown.pendingHeight);
}

const xdg_surface_listener kXdgSurfaceListener = {OnXdgConfigure};

// A size of 0 leaves it to the client: a window's own, or the output's for
// one that covers an output.
void OnToplevelConfigure(void* data, xdg_toplevel*, int32_t width, int32_t height, wl_array*) {
  ShownSurface& shown = Of(data);
  const WaylandOutput* output = shown.output;
  shown.pendingWidth = width > 0           ? width
                       : output != nullptr ? output->width / output->scale
                                           : kWindowWidth;
  shown.pendingHeight = height > 0          ? height
                        : output != nullptr ? output->height / output->scale
                                            : kWindowHeight;
}

void OnToplevelClose(void* data, xdg_toplevel*) { Of(data).window->CloseRequested(); }

// Bound at version 1: the later events never come.
const xdg_toplevel_listener kToplevelListener = {OnToplevelConfigure, OnToplevelClose, nullptr,
                                                 nullptr};

// Milliseconds of the monotonic clock, finer than NowMs.
double SteadyMs() {
  using namespace std::chrono;
  return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

void OnFrameDone(void* data, wl_callback* callback, uint32_t) {
  wl_callback_destroy(callback);
  Of(data).frame = nullptr;
  Of(data).calledMs = SteadyMs();
}

const wl_callback_listener kFrameListener = {OnFrameDone};

void OnSurfaceEnter(void* data, wl_surface*, wl_output* output) {
  Of(data).window->ToplevelEntered(Of(data), output);
}
void OnSurfaceLeave(void*, wl_surface*, wl_output*) {}

const wl_surface_listener kToplevelSurfaceListener = {OnSurfaceEnter, OnSurfaceLeave};

SaverWindowWayland& WindowOf(void* data) { return *static_cast<SaverWindowWayland*>(data); }

void OnKeymap(void*, wl_keyboard*, uint32_t, int32_t fd, uint32_t) { close(fd); }
void OnKeyboardEnter(void* data, wl_keyboard*, uint32_t, wl_surface*, wl_array*) {
  WindowOf(data).KeyboardEntered();
}
void OnKeyboardLeave(void*, wl_keyboard*, uint32_t, wl_surface*) {}
void OnKey(void* data, wl_keyboard*, uint32_t, uint32_t, uint32_t, uint32_t state) {
  if (state == WL_KEYBOARD_KEY_STATE_PRESSED) WindowOf(data).KeyPressed();
}
void OnModifiers(void*, wl_keyboard*, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t) {}
void OnRepeatInfo(void*, wl_keyboard*, int32_t, int32_t) {}

const wl_keyboard_listener kKeyboardListener = {OnKeymap, OnKeyboardEnter, OnKeyboardLeave,
                                                OnKey,    OnModifiers,     OnRepeatInfo};

void OnPointerEnter(void* data, wl_pointer* pointer, uint32_t serial, wl_surface* surface,
                    wl_fixed_t, wl_fixed_t) {
  wl_pointer_set_cursor(pointer, serial, nullptr, 0, 0);  // no cursor over the ornament
  WindowOf(data).PointerEntered(surface);
}
void OnPointerLeave(void*, wl_pointer*, uint32_t, wl_surface*) {}
void OnMotion(void* data, wl_pointer*, uint32_t, wl_fixed_t x, wl_fixed_t y) {
  WindowOf(data).PointerMoved(wl_fixed_to_int(x), wl_fixed_to_int(y));
}
void OnButton(void* data, wl_pointer*, uint32_t, uint32_t, uint32_t, uint32_t state) {
  if (state == WL_POINTER_BUTTON_STATE_PRESSED) WindowOf(data).ButtonPressed();
}
void OnAxis(void*, wl_pointer*, uint32_t, uint32_t, wl_fixed_t) {}
void OnPointerFrame(void*, wl_pointer*) {}
void OnAxisSource(void*, wl_pointer*, uint32_t) {}
void OnAxisStop(void*, wl_pointer*, uint32_t, uint32_t) {}
void OnAxisDiscrete(void*, wl_pointer*, uint32_t, int32_t) {}

const wl_pointer_listener kPointerListener = {
    OnPointerEnter, OnPointerLeave, OnMotion,   OnButton,       OnAxis,
    OnPointerFrame, OnAxisSource,   OnAxisStop, OnAxisDiscrete, nullptr};

// A touch counts as a button.
void OnTouchDown(void* data, wl_touch*, uint32_t, uint32_t, wl_surface*, int32_t, wl_fixed_t,
                 wl_fixed_t) {
  WindowOf(data).ButtonPressed();
}
void OnTouchUp(void*, wl_touch*, uint32_t, uint32_t, int32_t) {}
void OnTouchMotion(void*, wl_touch*, uint32_t, int32_t, wl_fixed_t, wl_fixed_t) {}
void OnTouchFrame(void*, wl_touch*) {}
void OnTouchCancel(void*, wl_touch*) {}

// Bound at the seat's version 5: shape and orientation never come.
const wl_touch_listener kTouchListener = {OnTouchDown,   OnTouchUp, OnTouchMotion, OnTouchFrame,
                                          OnTouchCancel, nullptr,   nullptr};

// Pixels of the frame from (`left`, `top`) on, copied to the top left of a
// buffer, black beyond.
void CopyClipped(const uint32_t* frame, int32_t frameWidth, int32_t frameHeight, int32_t left,
                 int32_t top, ShmBuffer& buffer, int32_t width, int32_t height) {
  const int32_t columns = std::min(frameWidth - left, width);
  for (int32_t y = 0; y < height; ++y) {
    uint32_t* row = buffer.Row(y);
    int32_t filled = 0;
    if (top + y < frameHeight && columns > 0) {
      std::copy_n(frame + static_cast<size_t>(top + y) * frameWidth + left, columns, row);
      filled = columns;
    }
    std::fill(row + filled, row + width, 0u);
  }
}

}  // namespace

SaverWindowWayland::SaverWindowWayland(WaylandConnection& wayland, Kind kind,
                                       std::string onlyOutput)
    : wayland_(wayland), kind_(kind), onlyOutput_(std::move(onlyOutput)) {
  if (kind_ == Kind::kPreview) {
    if (wayland_.wmBase() == nullptr) {
      throw ProgramError("this Wayland compositor offers no xdg shell for a window", 2);
    }
    MeasureOutputs();
    return;
  }
  if (kind_ == Kind::kToplevel) {
    AddToplevel();
  } else {
    if (kind_ == Kind::kBackground && wayland_.layerShell() == nullptr) {
      throw ProgramError(
          "this Wayland compositor offers no layer shell (zwlr_layer_shell_v1), so there is no "
          "background to draw on; run it with -window, or on X11",
          2);
    }
    if (wayland_.layerShell() == nullptr && wayland_.wmBase() == nullptr) {
      throw ProgramError("this Wayland compositor offers no shell to cover the screen with", 2);
    }
    wayland_.OnOutputs([this](WaylandOutput& output) { AddOutput(output); },
                       [this](WaylandOutput& output) { RemoveOutput(output); });
    for (const auto& output : wayland_.outputs()) {
      if (output->described) AddOutput(*output);
    }
  }
  WaitForSurfaces();
  if (kind_ == Kind::kFullScreen) TakeInputDevices();
}

SaverWindowWayland::~SaverWindowWayland() {
  ReportSurfaces();
  wayland_.OnOutputs(nullptr, nullptr);
  surfaces_.clear();
  if (keyboard_ != nullptr) wl_keyboard_release(keyboard_);
  if (pointer_ != nullptr) wl_pointer_release(pointer_);
  if (touch_ != nullptr) wl_touch_release(touch_);
  wl_display_flush(wayland_.Connection());
}

void SaverWindowWayland::AddOutput(WaylandOutput& output) {
  if (closed_ || (!onlyOutput_.empty() && output.name != onlyOutput_)) return;
  if (wayland_.layerShell() != nullptr) {
    AddLayerSurface(output);
  } else {
    AddFullScreenToplevel(output);
  }
}

// The background lies under every window and takes no input; the full
// screen lies over everything and takes the keyboard.
void SaverWindowWayland::AddLayerSurface(WaylandOutput& output) {
  const bool fullScreen = kind_ == Kind::kFullScreen;
  auto shown = std::make_unique<ShownSurface>();
  shown->window = this;
  shown->output = &output;
  shown->surface = wl_compositor_create_surface(wayland_.compositor());
  shown->layer = zwlr_layer_shell_v1_get_layer_surface(
      wayland_.layerShell(), shown->surface, output.output,
      fullScreen ? ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY : ZWLR_LAYER_SHELL_V1_LAYER_BACKGROUND,
      "zelk-mirv");
  zwlr_layer_surface_v1_add_listener(shown->layer, &kLayerListener, shown.get());
  zwlr_layer_surface_v1_set_anchor(shown->layer, kAllEdges);
  zwlr_layer_surface_v1_set_exclusive_zone(shown->layer, -1);
  // Exclusive keyboard interactivity is 1, which is "true" before version 4
  // of the protocol.
  zwlr_layer_surface_v1_set_keyboard_interactivity(
      shown->layer, fullScreen ? ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_EXCLUSIVE
                               : ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_NONE);
  if (!fullScreen) {
    // No input at all: the pointer passes over the background to the desktop.
    wl_region* empty = wl_compositor_create_region(wayland_.compositor());
    wl_surface_set_input_region(shown->surface, empty);
    wl_region_destroy(empty);
  }
  wl_surface_commit(shown->surface);
  surfaces_.push_back(std::move(shown));
}

// Without a layer shell the full screen is a fullscreen toplevel on each
// output; the first asks for the focus with the token the session handed.
void SaverWindowWayland::AddFullScreenToplevel(WaylandOutput& output) {
  const bool first = surfaces_.empty();
  ShownSurface& shown = NewToplevel(&output);
  if (first) ActivateWithToken(shown.surface);
}

void SaverWindowWayland::ActivateWithToken(wl_surface* surface) {
  const char* token = std::getenv("XDG_ACTIVATION_TOKEN");
  if (token == nullptr || *token == '\0' || wayland_.activation() == nullptr) return;
  xdg_activation_v1_activate(wayland_.activation(), token, surface);
  unsetenv("XDG_ACTIVATION_TOKEN");  // a token serves once
}

void SaverWindowWayland::RemoveOutput(WaylandOutput& output) {
  if (std::erase_if(surfaces_, [&output](const auto& shown) { return shown->output == &output; })) {
    arrangementChanged_ = true;
  }
}

void SaverWindowWayland::AddToplevel() {
  if (wayland_.wmBase() == nullptr) {
    throw ProgramError("this Wayland compositor offers no xdg shell for a window", 2);
  }
  NewToplevel(nullptr);
  TakeInputDevices();
}

// A toplevel: fullscreen on `fullscreenOn` (any output for the preview), or
// an ordinary window when that is none.
ShownSurface& SaverWindowWayland::NewToplevel(WaylandOutput* fullscreenOn) {
  auto shown = std::make_unique<ShownSurface>();
  shown->window = this;
  shown->output = fullscreenOn;
  shown->width = shown->pendingWidth = kWindowWidth;
  shown->height = shown->pendingHeight = kWindowHeight;
  shown->surface = wl_compositor_create_surface(wayland_.compositor());
  wl_surface_add_listener(shown->surface, &kToplevelSurfaceListener, shown.get());
  shown->xdgSurface = xdg_wm_base_get_xdg_surface(wayland_.wmBase(), shown->surface);
  xdg_surface_add_listener(shown->xdgSurface, &kXdgSurfaceListener, shown.get());
  shown->toplevel = xdg_surface_get_toplevel(shown->xdgSurface);
  xdg_toplevel_add_listener(shown->toplevel, &kToplevelListener, shown.get());
  xdg_toplevel_set_title(shown->toplevel, "Zelk Mirv");
  xdg_toplevel_set_app_id(shown->toplevel, "zelk-mirv");
  if (kind_ == Kind::kPreview) xdg_toplevel_set_fullscreen(shown->toplevel, nullptr);
  if (fullscreenOn != nullptr) xdg_toplevel_set_fullscreen(shown->toplevel, fullscreenOn->output);
  wl_surface_commit(shown->surface);
  surfaces_.push_back(std::move(shown));
  return *surfaces_.back();
}

// The preview's pattern is computed before its window shows, at the pixels
// of the largest output (a fullscreen toplevel covers one).
void SaverWindowWayland::MeasureOutputs() {
  for (const auto& output : wayland_.outputs()) {
    screenWidth_ = std::max(screenWidth_, output->width);
    screenHeight_ = std::max(screenHeight_, output->height);
  }
  if (screenWidth_ > 0 && screenHeight_ > 0) return;
  screenWidth_ = kWindowWidth;
  screenHeight_ = kWindowHeight;
}

// The Preview button: a fullscreen toplevel, waited for so that the first
// frame finds it configured.
void SaverWindowWayland::MakeVisible() {
  if (kind_ != Kind::kPreview || closed_ || !surfaces_.empty()) return;
  AddToplevel();
  const long long until = NowMs() + 2000;
  while (!surfaces_.front()->configured && EndingSignal() == 0 && NowMs() < until) {
    if (!wayland_.Dispatch(static_cast<int>(std::max(0LL, until - NowMs())))) break;
  }
}

// The keyboard and the pointer of the seat, as soon as it has them; let go
// when they leave, so that the next ones are taken again.
void SaverWindowWayland::TakeInputDevices() {
  wl_seat* seat = wayland_.seat();
  const uint32_t devices = wayland_.seatCapabilities();
  if (keyboard_ != nullptr && (devices & WL_SEAT_CAPABILITY_KEYBOARD) == 0) {
    wl_keyboard_release(keyboard_);
    keyboard_ = nullptr;
  }
  if (pointer_ != nullptr && (devices & WL_SEAT_CAPABILITY_POINTER) == 0) {
    wl_pointer_release(pointer_);
    pointer_ = nullptr;
  }
  if (seat != nullptr && keyboard_ == nullptr && (devices & WL_SEAT_CAPABILITY_KEYBOARD) != 0) {
    keyboard_ = wl_seat_get_keyboard(seat);
    wl_keyboard_add_listener(keyboard_, &kKeyboardListener, this);
  }
  if (seat != nullptr && pointer_ == nullptr && (devices & WL_SEAT_CAPABILITY_POINTER) != 0) {
    pointer_ = wl_seat_get_pointer(seat);
    wl_pointer_add_listener(pointer_, &kPointerListener, this);
  }
  if (touch_ != nullptr && (devices & WL_SEAT_CAPABILITY_TOUCH) == 0) {
    wl_touch_release(touch_);
    touch_ = nullptr;
  }
  if (seat != nullptr && touch_ == nullptr && (devices & WL_SEAT_CAPABILITY_TOUCH) != 0) {
    touch_ = wl_seat_get_touch(seat);
    wl_touch_add_listener(touch_, &kTouchListener, this);
  }
}

void SaverWindowWayland::PointerEntered(wl_surface* surface) {
  pointerSurface_ = nullptr;
  for (const auto& shown : surfaces_) {
    if (shown->surface == surface) pointerSurface_ = shown.get();
  }
}

// Moves over the outputs' surfaces are told in the pixels of the monitors
// side by side, so that the move-to-exit rule measures them as on X11.
void SaverWindowWayland::PointerMoved(int32_t x, int32_t y) {
  if (screen_ == nullptr) return;
  const ShownSurface* over = pointerSurface_;
  const bool known =
      over != nullptr && std::any_of(surfaces_.begin(), surfaces_.end(),
                                     [over](const auto& s) { return s.get() == over; });
  if (OnOutputs() && known) {
    x = over->left + x * over->Scale();
    y = y * over->Scale();
  }
  screen_->FormMouseMove(x, y);
}

// The run waits until each surface there at the start has its size, so that
// the first patterns are computed at the outputs' sizes.
void SaverWindowWayland::WaitForSurfaces() {
  const auto configured = [](const auto& shown) { return shown->configured; };
  const long long until = NowMs() + kFirstSurfaceWaitMs;
  while ((surfaces_.empty() || !std::all_of(surfaces_.begin(), surfaces_.end(), configured)) &&
         EndingSignal() == 0 && NowMs() < until) {
    if (!wayland_.Dispatch(static_cast<int>(std::max(0LL, until - NowMs())))) {
      throw ProgramError("the Wayland compositor closed the connection", 1);
    }
  }
  ArrangeSurfaces();
  if (screenWidth_ != 0 || EndingSignal() != 0) return;
  if (!onlyOutput_.empty()) throw ProgramError("there is no output '" + onlyOutput_ + "'", 1);
  throw ProgramError("the Wayland compositor shows no output to draw on", 1);
}

// The layer surfaces side by side: the screen is as wide as all of them
// and as high as the highest. A toplevel's screen is its own size in pixels
// (the preview's keeps its measure while it is hidden).
void SaverWindowWayland::ArrangeSurfaces() {
  arrangementChanged_ = false;
  if (!OnOutputs()) {
    if (surfaces_.empty() || !surfaces_.front()->configured) return;
    screenWidth_ = surfaces_.front()->PixelWidth();
    screenHeight_ = surfaces_.front()->PixelHeight();
    return;
  }
  const std::vector<MonitorArea> monitors = Monitors();
  size_t next = 0;
  for (const auto& shown : surfaces_) {
    if (Shown(*shown) && next < monitors.size()) shown->left = monitors[next++].area.left;
  }
  const PixelArea screen = ScreenOf(monitors);
  screenWidth_ = screen.width;
  screenHeight_ = screen.height;
}

// The core's rule: the outputs' surfaces side by side, the largest first.
std::vector<OutputSurface> SaverWindowWayland::OutputSurfaces() const {
  std::vector<OutputSurface> outputs;
  for (const auto& shown : surfaces_) {
    const std::string name = shown->output != nullptr ? shown->output->name : "";
    outputs.push_back({shown->PixelWidth(), shown->PixelHeight(), name, Shown(*shown)});
  }
  return outputs;
}

std::vector<MonitorArea> SaverWindowWayland::Monitors() const {
  if (!OnOutputs()) return {};
  return OutputsSideBySide(OutputSurfaces());
}

void SaverWindowWayland::Configured(ShownSurface& shown, int32_t width, int32_t height) {
  // A toplevel's configure may also follow a change of its output's scale.
  const bool sameSize = shown.width == width && shown.height == height;
  if (!sameSize || !shown.configured || shown.toplevel != nullptr) arrangementChanged_ = true;
  shown.width = width;
  shown.height = height;
  shown.configured = width > 0 && height > 0;
  if (shown.toplevel != nullptr) shown.toplevelScale = ToplevelScale(shown);
}

// A toplevel is drawn at the pixels of the output it is shown on: the one it
// entered last, else the one whose size a fullscreen toplevel has in that
// output's units (known before the surface is first shown there).
int32_t SaverWindowWayland::ToplevelScale(const ShownSurface& shown) const {
  for (const auto& output : wayland_.outputs()) {
    if (shown.entered != nullptr && output->output == shown.entered) return output->scale;
  }
  for (const auto& output : wayland_.outputs()) {
    if (output->width / output->scale == shown.width &&
        output->height / output->scale == shown.height) {
      return output->scale;
    }
  }
  return shown.toplevelScale;
}

// The compositor changes an output's scale before it configures the
// toplevel anew, so Configured also finds a new scale there.
void SaverWindowWayland::ToplevelEntered(ShownSurface& shown, wl_output* entered) {
  shown.entered = entered;
  const int32_t scale = ToplevelScale(shown);
  if (scale == shown.toplevelScale) return;
  shown.toplevelScale = scale;
  arrangementChanged_ = true;
}

void SaverWindowWayland::SurfaceClosed(ShownSurface& shown) { shown.closed = true; }

// A full screen whose surfaces the compositor closed, every one, ends: it
// never leaves an output covered by nothing that could end it.
void SaverWindowWayland::DropClosedSurfaces() {
  if (std::erase_if(surfaces_, [](const auto& shown) { return shown->closed; }) > 0) {
    arrangementChanged_ = true;
    if (kind_ == Kind::kFullScreen && surfaces_.empty()) allClosed_ = true;
  }
}

void SaverWindowWayland::SizeFrameBitmap(int32_t width, int32_t height) {
  bitmapWidth_ = std::max(width, 0);
  bitmapHeight_ = std::max(height, 0);
  bitmap_.assign(static_cast<size_t>(bitmapWidth_) * bitmapHeight_, 0);
}

// Where in the frame a surface's picture starts: its own area when the frame
// covers it, else the frame's top left corner.
void SaverWindowWayland::SourceOf(const ShownSurface& shown, int32_t& left, int32_t& top) const {
  left = shown.left - frameLeft_;
  top = -frameTop_;
  const bool covered = OnOutputs() && left >= 0 && top >= 0 &&
                       left + shown.PixelWidth() <= bitmapWidth_ &&
                       top + shown.PixelHeight() <= bitmapHeight_;
  if (!covered) left = top = 0;
}

// The engine draws straight into a free buffer of a surface that waits for
// a frame and shows the whole frame; the other surfaces get copies.
BitmapView SaverWindowWayland::FrameBitmap() {
  direct_ = nullptr;
  for (const auto& shown : surfaces_) {
    int32_t left = 0;
    int32_t top = 0;
    SourceOf(*shown, left, top);
    if (!Due(*shown) || shown->PixelWidth() != bitmapWidth_ ||
        shown->PixelHeight() != bitmapHeight_ || left != 0 || top != 0) {
      continue;
    }
    if ((direct_ = FreeBuffer(*shown)) == nullptr) continue;
    directSurface_ = shown.get();
    return BitmapView{reinterpret_cast<uint8_t*>(direct_->Row(0)), ptrdiff_t{bitmapWidth_} * 4,
                      bitmapWidth_, bitmapHeight_};
  }
  return BitmapView{reinterpret_cast<uint8_t*>(bitmap_.data()), ptrdiff_t{bitmapWidth_} * 4,
                    bitmapWidth_, bitmapHeight_};
}

WaitDialog& SaverWindowWayland::Wait() {
  static SilentWait silent;
  return silent;
}

void SaverWindowWayland::PaintFrameBitmap() {
  if (closed_) return;
  const uint32_t* frame = direct_ != nullptr ? direct_->Row(0) : bitmap_.data();
  for (const auto& shown : surfaces_) {
    if (!Due(*shown)) continue;
    ShmBuffer* buffer = shown.get() == directSurface_ ? direct_ : FreeBuffer(*shown);
    if (buffer == nullptr) continue;
    if (buffer != direct_) {
      int32_t left = 0;
      int32_t top = 0;
      SourceOf(*shown, left, top);
      CopyClipped(frame, bitmapWidth_, bitmapHeight_, left, top, *buffer, shown->PixelWidth(),
                  shown->PixelHeight());
    }
    Commit(*shown, *buffer);
  }
  direct_ = nullptr;
  directSurface_ = nullptr;
  wl_display_flush(wayland_.Connection());
}

bool SaverWindowWayland::Shown(const ShownSurface& shown) {
  return shown.configured && !shown.closed;
}

bool SaverWindowWayland::Due(const ShownSurface& shown) {
  return Shown(shown) && shown.frame == nullptr;
}

// A buffer the compositor does not hold, at the surface's own pixels; none
// when both are in use or the memory cannot be had.
ShmBuffer* SaverWindowWayland::FreeBuffer(ShownSurface& shown) {
  const auto free = std::find_if(shown.buffers.begin(), shown.buffers.end(),
                                 [](const ShmBuffer& buffer) { return !buffer.busy; });
  if (free == shown.buffers.end()) return nullptr;
  const int32_t width = shown.PixelWidth();
  const int32_t height = shown.PixelHeight();
  if (!free->Fits(width, height) && !free->Make(wayland_.shm(), width, height)) return nullptr;
  return &*free;
}

// Shows the buffer; the next frame for this surface waits for the
// compositor's call.
void SaverWindowWayland::Commit(ShownSurface& shown, ShmBuffer& buffer) {
  wl_surface_set_buffer_scale(shown.surface, shown.Scale());
  wl_surface_attach(shown.surface, buffer.Buffer(), 0, 0);
  wl_surface_damage_buffer(shown.surface, 0, 0, shown.PixelWidth(), shown.PixelHeight());
  shown.frame = wl_surface_frame(shown.surface);
  wl_callback_add_listener(shown.frame, &kFrameListener, &shown);
  wl_surface_commit(shown.surface);
  buffer.busy = true;
  ++shown.frames;
  if (firstFrameMs_ == 0) firstFrameMs_ = NowMs();
}

bool SaverWindowWayland::IsVisible() const {
  return !closed_ && std::any_of(surfaces_.begin(), surfaces_.end(),
                                 [](const auto& shown) { return shown->configured; });
}

bool SaverWindowWayland::AnyFrameDue() const {
  return std::any_of(surfaces_.begin(), surfaces_.end(),
                     [](const auto& shown) { return Due(*shown); });
}

void SaverWindowWayland::Attach(SaverScreen* screen) {
  screen_ = screen;
  if (screen_ == nullptr) {
    loop_.reset();
  } else {
    loop_.emplace(*screen_, static_cast<LoopPlatform&>(*this));
  }
}

void SaverWindowWayland::SetCloseTimer(int32_t milliseconds) {
  if (loop_) loop_->SetCloseTimer(milliseconds);
}

void SaverWindowWayland::Close() {
  if (closed_) return;
  const SaverScreen::CloseAction action = screen_->Closing();
  if (action == SaverScreen::CloseAction::kStayOpen) return;
  ReportSurfaces();
  surfaces_.clear();
  wl_display_flush(wayland_.Connection());
  closed_ = action == SaverScreen::CloseAction::kDestroy;
}

void SaverWindowWayland::ShowError(const char* message) { SayOnStandardError(message); }

int64_t SaverWindowWayland::NowMs() const { return zm::NowMs(); }

// What the compositor said since the last pass: surfaces closed, outputs
// that came or went, the seat's devices, a new settings file.
bool SaverWindowWayland::ServePending() {
  DropClosedSurfaces();
  if (closed_ || lost_ || allClosed_) return false;
  if (kind_ != Kind::kBackground && !surfaces_.empty()) TakeInputDevices();
  if (kind_ == Kind::kFullScreen) CheckKeyboardFocus();
  if (arrangementChanged_) {
    ArrangeSurfaces();
    const OwnWork newPatterns;  // an output that came may warm up its first one
    if (screenWidth_ > 0) screen_->WindowSizeChanged();
  }
  if (settingsWatch_ != nullptr && settingsWatch_->TakeChange()) {
    const OwnWork newPatterns;  // the layout may give the engines new sizes
    screen_->SettingsFileChanged();
  }
  wl_display_flush(wayland_.Connection());
  return true;
}

void SaverWindowWayland::BeforeFrameRequest() {
  screen_->PowerSourceChanged(power_.OnBattery(NowMs()));
}

// A frame goes when the pacing surface calls for one (or, when it has not
// for a while, any surface), and not before a frame limit lets it. While
// the call is still to come, the time until it (about a refresh after the
// last frame) is the engines'.
int32_t SaverWindowWayland::MsUntilFrame() {
  if (!AnyFrameDue()) return MsUntilCall();
  const int limitWait = LimitWaitMs();
  if (limitWait > 0) return limitWait;
  const long long waited = NowMs() - lastFrameMs_;
  if (PacerDue() || waited >= kPacerPatienceMs) {
    TakeFrameTime();
    return 0;
  }
  return static_cast<int32_t>(kPacerPatienceMs - waited);
}

// The frame about to be drawn reaches the display at the pacing surface's
// last call while that came within a refresh, else about now.
void SaverWindowWayland::TakeFrameTime() {
  const ShownSurface* pacer = Pacer();
  const double now = SteadyMs();
  RefreshGrid refresh;
  refresh.SetRate(DisplayRate());
  frameShownMs_ = pacer != nullptr && PacerDue() && pacer->calledMs >= 0.0 &&
                          now - pacer->calledMs < refresh.PeriodMs()
                      ? pacer->calledMs
                      : now;
}

void SaverWindowWayland::FrameDrawn() {
  lastFrameMs_ = NowMs();
  lost_ = !wayland_.Dispatch(0);
}

void SaverWindowWayland::WaitForEvents(int32_t timeoutMs) {
  lost_ = !wayland_.Dispatch(timeoutMs, settingsWatch_ != nullptr ? settingsWatch_->Fd() : -1);
}

// The outputs' refreshes do not come together: the pattern moves on with the
// first surface's calls only (and with any surface's when that one has not
// called for a while, as when its output is off), so that more outputs do not
// make it run faster.
const ShownSurface* SaverWindowWayland::Pacer() const {
  const int32_t pacer = PacingOutput(OutputSurfaces());
  return pacer >= 0 ? surfaces_[static_cast<size_t>(pacer)].get() : nullptr;
}

bool SaverWindowWayland::PacerDue() const {
  const ShownSurface* pacer = Pacer();
  return pacer != nullptr && Due(*pacer);
}

double SaverWindowWayland::DisplayRate() const {
  const ShownSurface* pacer = Pacer();
  RefreshGrid refresh;
  if (pacer != nullptr && pacer->output != nullptr) {
    refresh.SetRate(pacer->output->refreshMilliHz / 1000.0);
  }
  return refresh.Rate();
}

// Under a frame limit below the output's rate, the milliseconds a frame
// still waits after the last one (0: none). Frames then take every second,
// third ... call, half a refresh early at most.
int SaverWindowWayland::LimitWaitMs() const {
  const double display = DisplayRate();
  if (!(paceHz_ > 0.0) || paceHz_ >= display * 0.99) return 0;
  const double wait = 1000.0 / paceHz_ - 500.0 / display;
  const double left = static_cast<double>(lastFrameMs_) + wait - static_cast<double>(NowMs());
  return left > 0.0 ? static_cast<int>(std::ceil(left)) : 0;
}

// Milliseconds until the pacing surface's next call, about a refresh of its
// output after the last frame; -1 when only an event can tell.
int32_t SaverWindowWayland::MsUntilCall() const {
  const ShownSurface* pacer = Pacer();
  if (pacer == nullptr || Due(*pacer)) return -1;
  RefreshGrid refresh;
  if (pacer->output != nullptr) refresh.SetRate(pacer->output->refreshMilliHz / 1000.0);
  const double left =
      static_cast<double>(lastFrameMs_) + refresh.PeriodMs() - static_cast<double>(NowMs());
  return left >= 1.0 ? static_cast<int32_t>(left) : -1;
}

int SaverWindowWayland::ServeEvents() { return loop_ ? loop_->ServeEvents() : -1; }

void SaverWindowWayland::RunLoop() {
  while (EndingSignal() == 0 && loop_ && loop_->Step()) {
  }
  if ((EndingSignal() != 0 || lost_ || allClosed_) && !closed_) screen_->EndFromOutside();
}

// A full screen that the keyboard never reached would not end on a key:
// the user hears of it instead of finding a saver that ignores the keys.
void SaverWindowWayland::CheckKeyboardFocus() {
  if (focusChecked_ || firstFrameMs_ == 0 || NowMs() - firstFrameMs_ < kKeyboardFocusWaitMs) return;
  focusChecked_ = true;
  if (keyboardFocus_ || keyboard_ == nullptr) return;  // no keyboard yet: nothing to miss
  SayOnStandardError(
      "the Wayland compositor did not give the saver the keyboard: a key will not end it, a "
      "click or a pointer move will");
}

// For tests on compositors that take no screenshots: what each surface was
// and how many frames it showed (ZELK_MIRV_SURFACE_REPORT set).
void SaverWindowWayland::ReportSurfaces() {
  if (reported_ || std::getenv("ZELK_MIRV_SURFACE_REPORT") == nullptr) return;
  reported_ = !surfaces_.empty();
  for (const auto& shown : surfaces_) {
    const char* role = shown->layer != nullptr ? "layer surface" : "toplevel";
    const std::string output = shown->output != nullptr ? shown->output->name : "";
    std::fprintf(stderr, "zelk-mirv: surface %s on '%s' %dx%d, %lld frames, keyboard %s\n", role,
                 output.c_str(), shown->PixelWidth(), shown->PixelHeight(), shown->frames,
                 keyboardFocus_ ? "yes" : "no");
  }
}

}  // namespace zm::wayland

#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "display/outputs_side_by_side.h"
#include "platform/posix/file_watch_posix.h"
#include "platform/wayland/wayland_connection.h"
#include "platform/x11/power_source.h"
#include "shell/saver_loop.h"
#include "shell/saver_screen.h"
#include "shell/saver_window.h"

namespace zm::wayland {

struct ShownSurface;
class ShmBuffer;

// The surfaces a saver run draws on, as the saver screen's rules see one
// window: a background layer surface on each output (-root, or only on the
// output named), a surface over everything on each output that takes the
// keyboard and the pointer and ends on input (/s: an overlay layer surface,
// or a fullscreen toplevel where the compositor has no layer shell), or an
// ordinary toplevel (-window) that ends on input. The surfaces on the
// outputs count as monitors side by side, in the order the outputs came,
// each at its output's own pixels; the largest is the primary. A surface
// whose area the frame covers shows that area ("each", "span"); any other
// shows the frame from its top left corner (under "primary" every output
// shows the one ornament, black beyond it on a larger output). A surface
// gets a new frame when the compositor asks for one, so an output it does not
// show costs nothing.
class SaverWindowWayland : public SaverWindow, private LoopPlatform {
 public:
  // kPreview: the setup dialog's full-screen toplevel, made when the
  // Preview button shows it and let go when it hides.
  enum class Kind { kBackground, kFullScreen, kToplevel, kPreview };

  // Throws ProgramError: status 2 without the layer shell for the
  // background (or any shell for the full screen, or the xdg shell for a
  // toplevel), 1 when no output (or not the one named) is there.
  SaverWindowWayland(WaylandConnection& wayland, Kind kind, std::string onlyOutput);
  ~SaverWindowWayland() override;

  void Attach(SaverScreen* screen);
  // The locker an exit on input hands over to (see SaverLoop); after Attach.
  void HandOverTo(LockerHandoff* locker) {
    if (loop_) loop_->SetLocker(locker);
  }
  // The loop tells the saver screen when this file changes (nullptr: no
  // watch).
  void WatchSettingsFile(FileWatchPosix* watch) { settingsWatch_ = watch; }
  // Runs until the window closes, the connection is lost or a signal ends
  // the run.
  void RunLoop();
  bool ConnectionLost() const { return lost_; }
  // What a loop of someone else's (the setup dialog's) does after reading
  // the connection: the input devices and the close timer; answers the
  // milliseconds until that timer is due (-1: not running).
  int ServeEvents();

  int32_t ScreenWidth() const override { return screenWidth_; }
  int32_t ScreenHeight() const override { return screenHeight_; }
  std::vector<MonitorArea> Monitors() const override;
  void SizeFrameBitmap(int32_t width, int32_t height) override;
  void PlaceFrameBitmap(int32_t left, int32_t top) override {
    frameLeft_ = left;
    frameTop_ = top;
  }
  BitmapView FrameBitmap() override;
  void PaintFrameBitmap() override;
  WaitDialog& Wait() override;
  void ProcessMessages() override { wayland_.Dispatch(0); }
  void SetPresentation(WindowPresentation) override {}
  void BringToTop() override {}
  void SetScreenSaverRunning(bool) override {}
  void ShowCursor(bool) override {}
  void MakeVisible() override;
  bool IsVisible() const override;
  void CaptureMouse() override {}
  void ReleaseMouse() override {}
  void PostFrameRequest() override {
    if (loop_) loop_->PostFrameRequest();
  }
  // A frame goes when the compositor calls for it (see Step).
  bool FramesPacedByDisplay() const override { return true; }
  // The pacing surface's output's rate.
  double DisplayRate() const override;
  void PaceFramesAt(double hertz) override { paceHz_ = hertz; }
  // The pacing surface's last frame callback, while the frame follows it;
  // else the time the frame goes.
  double FrameShownMs() const override { return frameShownMs_; }
  void SetCloseTimer(int32_t milliseconds) override;
  void ShrinkBeforeClosing() override {}
  void Close() override;
  void ShowError(const char* message) override;

  // Protocol callbacks.
  void Configured(ShownSurface& shown, int32_t width, int32_t height);
  void PointerEntered(wl_surface* surface);
  void KeyboardEntered() { keyboardFocus_ = true; }
  void SurfaceClosed(ShownSurface& shown);
  void ToplevelEntered(ShownSurface& shown, wl_output* entered);
  void KeyPressed() {
    if (screen_ != nullptr) screen_->FormKeyDown();
  }
  void ButtonPressed() {
    if (screen_ != nullptr) screen_->FormMouseDown();
  }
  // A move in the surface's own units, at the surface the pointer is over.
  void PointerMoved(int32_t x, int32_t y);
  void CloseRequested() {
    if (screen_ != nullptr) screen_->RequestExit();
  }

 private:
  void AddOutput(WaylandOutput& output);
  void RemoveOutput(WaylandOutput& output);
  void AddToplevel();
  void AddFullScreenToplevel(WaylandOutput& output);
  ShownSurface& NewToplevel(WaylandOutput* fullscreenOn);
  void AddLayerSurface(WaylandOutput& output);
  void ActivateWithToken(wl_surface* surface);
  // Whether the surfaces lie on the outputs, one each, side by side.
  bool OnOutputs() const { return kind_ == Kind::kBackground || kind_ == Kind::kFullScreen; }
  void CheckKeyboardFocus();
  void ReportSurfaces();
  void MeasureOutputs();
  void ArrangeSurfaces();
  std::vector<OutputSurface> OutputSurfaces() const;
  static bool Shown(const ShownSurface& shown);
  int32_t ToplevelScale(const ShownSurface& shown) const;
  void SourceOf(const ShownSurface& shown, int32_t& left, int32_t& top) const;
  void TakeInputDevices();
  void WaitForSurfaces();
  static bool Due(const ShownSurface& shown);
  ShmBuffer* FreeBuffer(ShownSurface& shown);
  void Commit(ShownSurface& shown, ShmBuffer& buffer);
  void DropClosedSurfaces();
  bool AnyFrameDue() const;
  // The surface whose calls pace the frames: the first configured one.
  const ShownSurface* Pacer() const;
  bool PacerDue() const;
  int LimitWaitMs() const;
  int32_t MsUntilCall() const;
  void TakeFrameTime();

  // LoopPlatform: the saver loop's side of the compositor (see SaverLoop).
  int64_t NowMs() const override;
  bool ServePending() override;
  void BeforeFrameRequest() override;
  int32_t MsUntilFrame() override;
  void FrameDrawn() override;
  bool EventsWaiting() const override { return false; }
  void WaitForEvents(int32_t timeoutMs) override;

  WaylandConnection& wayland_;
  Kind kind_;
  std::string onlyOutput_;
  SaverScreen* screen_ = nullptr;
  FileWatchPosix* settingsWatch_ = nullptr;
  std::vector<std::unique_ptr<ShownSurface>> surfaces_;
  std::vector<uint32_t> bitmap_;  // the frame when no surface takes it directly
  ShmBuffer* direct_ = nullptr;   // the buffer the engine draws into this frame
  ShownSurface* directSurface_ = nullptr;
  int32_t bitmapWidth_ = 0;
  int32_t bitmapHeight_ = 0;
  int32_t frameLeft_ = 0;
  int32_t frameTop_ = 0;
  // The surfaces came, went or changed their size since the screen last
  // heard of it.
  bool arrangementChanged_ = false;
  int32_t screenWidth_ = 0;
  int32_t screenHeight_ = 0;
  bool closed_ = false;
  bool lost_ = false;
  // The compositor closed every surface of the full screen: the run ends.
  bool allClosed_ = false;
  bool keyboardFocus_ = false;
  bool focusChecked_ = false;
  bool reported_ = false;
  long long firstFrameMs_ = 0;
  const ShownSurface* pointerSurface_ = nullptr;
  long long lastFrameMs_ = 0;
  double paceHz_ = 0.0;  // 0: at every call of the pacing surface
  double frameShownMs_ = -1.0;
  x11::PowerSource power_;
  wl_keyboard* keyboard_ = nullptr;
  wl_pointer* pointer_ = nullptr;
  std::optional<SaverLoop> loop_;
  wl_touch* touch_ = nullptr;
};

}  // namespace zm::wayland

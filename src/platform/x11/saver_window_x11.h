#pragma once

#include <X11/Xlib.h>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "platform/posix/file_watch_posix.h"
#include "platform/x11/display_control_x11.h"
#include "platform/x11/fps_overlay.h"
#include "platform/posix/frame_clock_posix.h"
#include "platform/x11/image_buffer.h"
#include "platform/x11/power_source.h"
#include "platform/gtk/wait_dialog_gtk.h"
#include "platform/x11/x_connection.h"
#include "shell/command_line.h"
#include "shell/saver_loop.h"
#include "shell/saver_screen.h"
#include "shell/saver_window.h"

namespace zm::x11 {

// The window a saver run draws in, as the saver screen's rules see it: a
// borderless window of its own over the whole screen (grabbing keyboard and
// pointer), an ordinary window of its own, or someone else's window (the
// daemon's or the root window: it only draws there and ends when that
// window is destroyed; the daemon handles input). Its event loop sends the
// window's events to the saver screen's handlers.
class SaverWindowX11 : public SaverWindow, private LoopPlatform {
 public:
  // Throws ProgramError (status 1) for a foreign window that does not exist.
  SaverWindowX11(XConnection& x, DrawTarget target, Window foreign, DisplayControlX11& display,
                 FrameClock& clock, FpsOverlay& fps);
  ~SaverWindowX11() override;

  void Attach(SaverScreen* screen);
  // The locker an exit on input hands over to (see SaverLoop); after Attach.
  void HandOverTo(LockerHandoff* locker) {
    if (loop_) loop_->SetLocker(locker);
  }
  // The loop tells the saver screen when this file changes (nullptr: no
  // watch).
  void WatchSettingsFile(FileWatchPosix* watch) { settingsWatch_ = watch; }
  // Runs until the window closes, is destroyed, or a signal ends the run.
  void RunLoop();
  // One turn for the setup dialog's loop, which draws the frames itself:
  // handles the queued events and a due close timer, and answers the
  // milliseconds until the timer is due (-1: none runs).
  int ServeEvents();
  // Where error messages go instead of standard error (the setup dialog's
  // message box); null for standard error.
  void ShowErrorsWith(std::function<void(const char*)> show) { showError_ = std::move(show); }

  int32_t ScreenWidth() const override { return width_; }
  int32_t ScreenHeight() const override { return height_; }
  bool CoversScreen() const override {
    return target_ == DrawTarget::kFullScreen || (width_ >= x_.Width() && height_ >= x_.Height());
  }
  void SizeFrameBitmap(int32_t width, int32_t height) override;
  BitmapView FrameBitmap() override;
  void PaintFrameBitmap() override;
  std::vector<MonitorArea> Monitors() const override;
  void PlaceFrameBitmap(int32_t left, int32_t top) override;
  WaitDialog& Wait() override { return wait_; }
  void ProcessMessages() override { WaitDialogGtk::PumpPending(); }
  void SetPresentation(WindowPresentation presentation) override;
  void BringToTop() override;
  void SetScreenSaverRunning(bool) override {}
  void ShowCursor(bool show) override;
  void MakeVisible() override;
  bool IsVisible() const override { return mapped_; }
  void CaptureMouse() override;
  void ReleaseMouse() override;
  void PostFrameRequest() override {
    if (loop_) loop_->PostFrameRequest();
  }
  // The loop below waits for the frame clock's slot before every frame.
  bool FramesPacedByDisplay() const override { return true; }
  // The rate Present's completions show where they came, else the mode's.
  double DisplayRate() const override {
    return presented_.Rate() > 0.0 ? presented_.Rate() : displayHz_;
  }
  void PaceFramesAt(double hertz) override { clock_.SetRate(hertz); }
  // The slot the frame goes out at, which Present's completions align to the
  // display's refreshes; a frame later than its slot, the time it goes.
  double FrameShownMs() const override { return clock_.ShownMs(); }
  bool Covered() const override { return mapped_ && covered_; }
  void SetCloseTimer(int32_t milliseconds) override;
  void ShrinkBeforeClosing() override;
  void Close() override;
  void ShowError(const char* message) override;

  bool Owned() const {
    return target_ == DrawTarget::kFullScreen || target_ == DrawTarget::kWindow;
  }

 private:
  void CreateOwnWindow();
  void AdoptForeignWindow(Window foreign);
  void Handle(const XEvent& event);
  void HandleOwnInput(const XEvent& event);
  void KeepOnScreen();
  void DispatchPending();
  // The core loop's platform.
  int64_t NowMs() const override;
  bool ServePending() override;
  void BeforeFrameRequest() override;
  int32_t MsUntilFrame() override;
  void FrameDrawn() override;
  bool EventsWaiting() const override;
  void WaitForEvents(int32_t timeoutMs) override;
  int32_t WakeEveryMs() const override;
  // The locker takes the keyboard and pointer, and maps its window over ours.
  void LockerStarts() override { ReleaseMouse(); }
  void ApplyGeometry();
  void FollowScreen(XEvent& event);
  void FollowWindowSize(int32_t width, int32_t height);
  ImageBuffer* BackImage() const { return images_[back_].get(); }
  void RepaintShown();
  void PresentImages();
  bool DisplayPoweredOff() const;

  XConnection& x_;
  DrawTarget target_;
  DisplayControlX11& display_;
  FrameClock& clock_;
  FpsOverlay& fps_;
  SaverScreen* screen_ = nullptr;
  FileWatchPosix* settingsWatch_ = nullptr;
  Window window_ = 0;
  GC gc_ = nullptr;
  Visual* visual_ = nullptr;
  int depth_ = 0;
  int32_t width_ = 0;
  int32_t height_ = 0;
  Cursor blank_ = 0;
  Atom deleteWindow_ = 0;
  WindowPresentation presentation_ = WindowPresentation::kMaximisedOnTop;
  // Two shared images when the server has MIT-SHM: the frame is composed
  // into one while the server still copies the other. Else only the first.
  std::unique_ptr<ImageBuffer> images_[2];
  int back_ = 0;                  // the image the next frame goes into
  int front_ = 0;                 // the image last put on the window
  std::vector<uint32_t> bitmap_;  // the 32-bit frame when the image needs packing
  int32_t bitmapWidth_ = 0;
  int32_t bitmapHeight_ = 0;
  int32_t frameLeft_ = 0;
  int32_t frameTop_ = 0;
  bool blackWanted_ = false;  // the window is painted black before the next frame
  PixelFormat format_;
  WaitDialogGtk wait_;
  bool mapped_ = false;
  bool remapped_ = false;
  bool covered_ = false;  // fully obscured by other windows
  bool presentSelected_ = false;
  mutable long long powerCheckedMs_ = -1;
  mutable bool poweredOff_ = false;
  bool closed_ = false;
  double displayHz_ = 60.0;
  MeasuredRefresh presented_;
  PowerSource power_;
  std::optional<SaverLoop> loop_;
  std::function<void(const char*)> showError_;
};

}  // namespace zm::x11

#pragma once

#include <cstdint>
#include <vector>

#include "display/frame_pacing.h"
#include "display/monitor_area.h"
#include "render/bitmap_view.h"
#include "shell/wait_dialog.h"

namespace zm {

// How the saver window stands on the screen.
enum class WindowPresentation {
  kMaximisedOnTop,  // maximised, stay-on-top: the bitmap path
  kNormal,          // normal state and style: the switched video mode
};

// What the saver screen's rules need of its real window. The platform
// implements it over its window, its 32-bit frame bitmap and the system's
// saver services; it decides nothing itself.
class SaverWindow {
 public:
  virtual ~SaverWindow() = default;

  // The whole screen in pixels.
  virtual int32_t ScreenWidth() const = 0;
  virtual int32_t ScreenHeight() const = 0;
  // False for a window that shows only part of the screen (someone else's
  // window that the run draws into, or an ordinary window).
  virtual bool CoversScreen() const { return true; }
  // The monitors in the window's pixels; empty where the platform does not
  // tell them apart (the frame then takes the whole window).
  virtual std::vector<MonitorArea> Monitors() const { return {}; }

  // The 32-bit frame bitmap: sized (contents undefined), seen through a view,
  // and copied to the window at its place without scaling.
  virtual void SizeFrameBitmap(int32_t width, int32_t height) = 0;
  virtual BitmapView FrameBitmap() = 0;
  virtual void PaintFrameBitmap() = 0;
  // Where the frame bitmap goes in the window from now on (the rest of the
  // window is black); (0, 0) unless called.
  virtual void PlaceFrameBitmap(int32_t /*left*/, int32_t /*top*/) {}

  // The first-start progress window, created on first use with this window
  // as its owner.
  virtual WaitDialog& Wait() = 0;
  virtual void ProcessMessages() = 0;

  virtual void SetPresentation(WindowPresentation presentation) = 0;
  // Makes the window topmost without moving or sizing it.
  virtual void BringToTop() = 0;
  // Tells the system whether a screen saver runs.
  virtual void SetScreenSaverRunning(bool running) = 0;
  virtual void ShowCursor(bool show) = 0;
  virtual void MakeVisible() = 0;
  virtual bool IsVisible() const = 0;
  // Sends all pointer input to this window, or lets it go.
  virtual void CaptureMouse() = 0;
  virtual void ReleaseMouse() = 0;

  // Queues one frame request; the platform calls DrawFrame when it arrives.
  virtual void PostFrameRequest() = 0;
  // Whether the display paces the frames: a frame request is served at the
  // display's next refresh, not at once.
  virtual bool FramesPacedByDisplay() const { return false; }
  // The timing of a live run's frames. The display's refresh rate in Hz (on
  // several monitors, that of the one that paces the frames).
  virtual double DisplayRate() const { return kDefaultRefreshHz; }
  // The rate the saver screen wants frames at from now on: the display's, or
  // a limit's ceiling on its refresh grid (see LimitedFrameRate).
  virtual void PaceFramesAt(double /*hertz*/) {}
  // When the frame now being drawn reaches the display, in milliseconds of
  // a monotonic clock: where the platform reports it (a presentation's
  // time), else the frame clock's slot. Negative where the platform keeps
  // no clock: the animation then moves in fixed steps of 1/60 s a frame.
  virtual double FrameShownMs() const { return -1.0; }
  // Whether the shown window is fully covered by other windows now (see
  // SaverScreen::Seen). The platform calls IdleFrameRequest again when that
  // changes.
  virtual bool Covered() const { return false; }
  // Starts the close timer with this interval, or stops it with 0; the
  // platform calls CloseTimerFired when it fires.
  virtual void SetCloseTimer(int32_t milliseconds) = 0;
  // Normal state and style, 10 x 10 pixels: how a saver window leaves.
  virtual void ShrinkBeforeClosing() = 0;
  // Closes the window; the platform asks FormCloseQuery first and calls
  // FormClose when it closes.
  virtual void Close() = 0;

  // A modal error box with one OK button.
  virtual void ShowError(const char* message) = 0;
};

}  // namespace zm

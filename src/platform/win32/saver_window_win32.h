#pragma once

#include <windows.h>

#include <memory>
#include <optional>

#include "platform/win32/dib_bitmap.h"
#include "platform/win32/display_pacer.h"
#include "platform/win32/monitor_covers.h"
#include "platform/win32/viewer_watch.h"
#include "platform/win32/wait_dialog_win32.h"
#include "shell/saver_loop.h"
#include "shell/saver_screen.h"
#include "shell/saver_window.h"

namespace zm::win32 {

// The window the saver runs in ("MainScreen"): a borderless black window
// whose events go to the saver screen's handlers, and which carries out
// what those handlers ask of a window. A saver run's loop is the core's
// SaverLoop over the thread's message queue and the display's frame slots.
class SaverWindowWin32 : public SaverWindow, private LoopPlatform {
 public:
  SaverWindowWin32();
  ~SaverWindowWin32() override;

  HWND Handle() const { return window_; }
  // The display's frame slots, which this window's frames are paced to.
  DisplayPacer& Pacer() { return pacer_; }
  // The handlers that the window's events go to.
  // The power source as the run starts; later changes come as messages.
  void Attach(SaverScreen* screen);
  // A saver run's loop, until the window is destroyed; rethrows an error a
  // handler kept.
  void RunLoop();
  // For the configure run's loop, which handles the messages itself: fires
  // the close timer when it is due, and answers the milliseconds until it is
  // (-1: none runs).
  int32_t ServeCloseTimer() { return loop_ ? loop_->ServeCloseTimer() : -1; }

  int32_t ScreenWidth() const override;
  int32_t ScreenHeight() const override;
  std::vector<MonitorArea> Monitors() const override;
  void SizeFrameBitmap(int32_t width, int32_t height) override;
  BitmapView FrameBitmap() override { return bitmap_.View(); }
  void PaintFrameBitmap() override;
  void PlaceFrameBitmap(int32_t left, int32_t top) override;
  const DibBitmap& Bitmap() const { return bitmap_; }
  WaitDialog& Wait() override;
  void ProcessMessages() override;
  void SetPresentation(WindowPresentation presentation) override;
  void BringToTop() override;
  void SetScreenSaverRunning(bool running) override;
  void ShowCursor(bool show) override { ::ShowCursor(show ? TRUE : FALSE); }
  void MakeVisible() override;
  bool IsVisible() const override { return IsWindowVisible(window_) != FALSE; }
  void CaptureMouse() override { SetCapture(window_); }
  void ReleaseMouse() override { ReleaseCapture(); }
  void PostFrameRequest() override {
    if (loop_) loop_->PostFrameRequest();
  }
  // Every request waits for the display's next frame (DisplayPacer).
  bool FramesPacedByDisplay() const override { return true; }
  double DisplayRate() const override { return pacer_.DisplayRate(); }
  void PaceFramesAt(double hertz) override { pacer_.PaceAt(hertz); }
  // The frame goes out at the slot it took.
  double FrameShownMs() const override { return pacer_.LastSlotMs(); }
  void SetCloseTimer(int32_t milliseconds) override;
  void ShrinkBeforeClosing() override;
  void Close() override;
  void ShowError(const char* message) override;

 private:
  // The loop's view of the platform.
  int64_t NowMs() const override { return static_cast<int64_t>(GetTickCount64()); }
  bool ServePending() override;
  int32_t MsUntilFrame() override;
  bool EventsWaiting() const override { return HIWORD(GetQueueStatus(QS_ALLINPUT)) != 0; }
  void WaitForEvents(int32_t timeoutMs) override;

  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  bool HandleInput(UINT message, LPARAM lParam);
  bool HandleViewerChange(UINT message, WPARAM wParam, LPARAM lParam);
  void Paint();
  void EraseAroundFrame(HDC dc) const;
  void ApplyPresentation();
  void UpdateCovers();
  void ScreenChanged();
  RECT ScreenRect() const;

  HWND window_ = nullptr;
  SaverScreen* screen_ = nullptr;
  DibBitmap bitmap_;
  DisplayPacer pacer_;
  std::unique_ptr<WaitDialogWin32> wait_;
  std::unique_ptr<ViewerWatch> viewers_;
  MonitorCovers covers_;
  WindowPresentation presentation_ = WindowPresentation::kMaximisedOnTop;
  bool saverRunning_ = false;
  bool slotAwaited_ = false;  // the loop waits for the pacer's next slot
  std::optional<SaverLoop> loop_;
  int32_t frameLeft_ = 0;  // where the frame bitmap stands in the window
  int32_t frameTop_ = 0;
};

}  // namespace zm::win32

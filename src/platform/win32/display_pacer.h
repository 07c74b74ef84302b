#pragma once

#include <windows.h>

#include <memory>

#include "display/frame_pacing.h"
#include "display/refresh_grid.h"

namespace zm::win32 {

// Paces frames to the display: each frame takes a slot, at most one per
// refresh. With desktop composition on, a slot comes with each of the
// compositor's frames (a thread waits for them, so the message loop never
// blocks); without it, or where the compositor's wait returns at once, a
// timer at the display's refresh rate gives the slots. The core chooses the
// clock (ChoosePaceClock); this carries it out.
class DisplayPacer {
 public:
  DisplayPacer();
  ~DisplayPacer();
  DisplayPacer(const DisplayPacer&) = delete;
  DisplayPacer& operator=(const DisplayPacer&) = delete;

  // Reads the display's refresh rate again (after a change of video mode).
  void ReadRefreshRate();
  double DisplayRate() const { return displayHz_; }
  // The display's refresh period.
  double PeriodMs() const { return 1000.0 / displayHz_; }
  // Frames at `hertz` from now on: a ceiling the core put on the display's
  // refresh grid (see LimitedFrameRate); the compositor's frames are then
  // taken every second, third ... one.
  void PaceAt(double hertz);
  // When the last slot was taken, in milliseconds of the performance
  // counter: about when that frame reaches the display.
  double LastSlotMs() const { return lastSlotMs_; }
  PaceClock Clock() const;

  // Takes the current slot if it has come: true when a frame may go now.
  bool TakeSlot();
  // For the message loop: whether a frame may be requested now. On the
  // page-flipped path each flip waits for its own slot (WaitAndTakeSlot),
  // so requests go as the loop runs.
  bool RequestDue();
  // About how long until the next slot comes (0 when it is due): a period
  // after the last one taken when the compositor gives the slots.
  int32_t MsUntilSlot() const;
  // Waits until a slot comes, a message arrives or `timeoutMs` has passed
  // (-1: no limit), whichever is first.
  void WaitForSlotOrMessage(int32_t timeoutMs);
  // Waits until a slot comes (at most a period or so) and takes it.
  void WaitAndTakeSlot();

 private:
  struct Compositor;

  HANDLE SlotHandle() const;
  void CreateTimer();

  std::shared_ptr<Compositor> compositor_;  // shared with its thread
  bool compositionOn_ = false;
  HANDLE timer_ = nullptr;  // manual reset, armed for the next slot
  bool timerPeriodRaised_ = false;
  RefreshGrid grid_;
  double displayHz_ = 60.0;
  double paceHz_ = 0.0;  // 0: the display's rate
  double nextSlotMs_ = 0.0;
  double lastSlotMs_ = 0.0;
};

}  // namespace zm::win32

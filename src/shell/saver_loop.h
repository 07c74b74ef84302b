#pragma once

#include <cstdint>

#include "shell/locker_handoff.h"
#include "shell/saver_screen.h"

namespace zm {

// What a saver run's loop needs of the platform: its events, when a
// requested frame may go, and waiting for input or a deadline. The platform
// implements it over its connection and its frame clock; the order of the
// loop is SaverLoop's.
class LoopPlatform {
 public:
  virtual ~LoopPlatform() = default;

  // The time now in milliseconds of a monotonic clock.
  virtual int64_t NowMs() const = 0;
  // Handles every event that waits (input goes to the saver screen's
  // handlers); false once the run is over (the window is gone, the
  // connection lost).
  virtual bool ServePending() = 0;
  // Before a frame is requested: what the platform learns only by asking
  // (whether the display is on, the power source) goes to the saver screen.
  virtual void BeforeFrameRequest() {}
  // For a requested frame: 0 when it may go now; else about how many
  // milliseconds until it may (the time the engines may use meanwhile), or
  // -1 when only an event can tell.
  virtual int32_t MsUntilFrame() = 0;
  // The requested frame was drawn: its slot is taken.
  virtual void FrameDrawn() {}
  // Whether events wait to be handled.
  virtual bool EventsWaiting() const = 0;
  // Sleeps until an event comes or `timeoutMs` has passed (-1: no limit).
  virtual void WaitForEvents(int32_t timeoutMs) = 0;
  // How long the loop may sleep at most while no frame is requested (-1: as
  // long as no event comes): a display that is off sends no event when it
  // comes back on.
  virtual int32_t WakeEveryMs() const { return -1; }
  // A locker is about to start over the saver: the window stays on the
  // screen but lets the pointer and keyboard go, for the locker to take.
  virtual void LockerStarts() {}
};

// The order of a saver run's loop, the same on every platform: events first,
// then the close timer, then a frame request (SaverScreen::IdleFrameRequest,
// which asks FrameWanted), then the frame once its slot has come, or else
// the time before the slot for the engines (UseTimeBeforeFrame) while no
// event waits, then a wait for an event, the slot, the close timer or the
// platform's next look, whichever comes first. The platform's window
// forwards SetCloseTimer and PostFrameRequest here. With a locker to hand
// over to, the close timer of an exit on input starts it instead, and the
// window closes once the locker has locked (see LockerHandoff); events are
// served meanwhile, but no frames are drawn.
class SaverLoop {
 public:
  SaverLoop(SaverScreen& screen, LoopPlatform& platform) : screen_(screen), platform_(platform) {}

  // Starts the close timer with this interval, or stops it with 0.
  void SetCloseTimer(int32_t milliseconds);
  bool CloseTimerRunning() const { return closeAtMs_ != 0; }
  void PostFrameRequest() { frameRequested_ = true; }
  bool FrameRequested() const { return frameRequested_; }
  // The locker to hand over to (nullptr: none).
  void SetLocker(LockerHandoff* locker) { locker_ = locker; }
  bool HandingOver() const { return handingOver_; }

  // One pass; false once the run is over.
  bool Step();
  // The events and a due close timer only, for a loop that draws the frames
  // itself (the setup dialog's): the milliseconds until the close timer is
  // due (-1: none runs).
  int32_t ServeEvents();
  // The close timer alone, for a loop that handles the events itself too:
  // fires it when due, and answers the milliseconds until it is (-1: none
  // runs).
  int32_t ServeCloseTimer();

 private:
  bool CloseTimerDue();
  bool HandOverToLocker();

  SaverScreen& screen_;
  LoopPlatform& platform_;
  int64_t closeAtMs_ = 0;
  bool frameRequested_ = false;
  LockerHandoff* locker_ = nullptr;
  bool handingOver_ = false;
};

}  // namespace zm

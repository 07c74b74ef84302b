#pragma once

#include <X11/Xlib.h>

namespace zm::x11 {

// The slots at which frames go to the screen: at most one per display
// refresh. Waiting for a slot polls the X connection, so input still wakes
// the loop and nothing spins.
class FrameClock {
 public:
  // Refresh rate in Hz; 0 or less (a rate the display does not report)
  // means 60.
  void SetRate(double hertz);
  double Rate() const { return rate_; }
  // Milliseconds until the next slot (0 when due).
  int MillisecondsLeft() const;
  // A frame went out: the next slot is one refresh later (or one refresh
  // from now when the loop fell behind).
  void Tick();
  // Waits until the next slot, or until an ending signal arrives.
  void WaitForSlot() const;

 private:
  double rate_ = 60.0;
  double nextMs_ = 0.0;
};

}  // namespace zm::x11

#pragma once

#include "display/refresh_grid.h"

namespace zm {

// The slots at which frames go to the screen: at most one per display
// refresh, on a grid that keeps its phase (see RefreshGrid). Nothing spins
// while a slot is awaited.
class FrameClock {
 public:
  // Refresh rate in Hz; 0 or less (a rate the display does not report)
  // means 60.
  void SetRate(double hertz) { grid_.SetRate(hertz); }
  // The next slot, in NowMs's milliseconds.
  double NextSlotMs() const { return grid_.NextSlotMs(); }
  // When a frame that goes out now reaches the display: at its slot's
  // refresh while it is less than half a period late (see RefreshGrid),
  // else about now.
  double ShownMs() const;
  // Milliseconds until the next slot (0 when due).
  int MillisecondsLeft() const;
  // A frame went out: the next slot is the grid's next one.
  void Tick();
  // The display, refreshing every `refreshPeriodMs`, reported a refresh at
  // this time of NowMs's clock.
  void AlignToRefresh(double ms, double refreshPeriodMs) {
    grid_.AlignToRefresh(ms, refreshPeriodMs);
  }
  // Waits until the next slot, or until an ending signal arrives.
  void WaitForSlot() const;

 private:
  RefreshGrid grid_;
};

}  // namespace zm

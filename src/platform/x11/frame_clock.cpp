#include "platform/x11/frame_clock.h"

#include <cmath>

#include "platform/x11/run_signals.h"

namespace zm::x11 {

int FrameClock::MillisecondsLeft() const {
  const double left = grid_.NextSlotMs() - static_cast<double>(NowMs());
  return left <= 0.0 ? 0 : static_cast<int>(std::ceil(left));
}

double FrameClock::ShownMs() const {
  const double now = static_cast<double>(NowMs());
  const double slot = grid_.NextSlotMs();
  return now - slot < grid_.PeriodMs() * 0.5 ? slot : now;
}

void FrameClock::Tick() { grid_.FrameShown(static_cast<double>(NowMs())); }

void FrameClock::WaitForSlot() const {
  // Only a signal cuts the wait short: X input waits in its queue.
  for (int left = MillisecondsLeft(); left > 0 && EndingSignal() == 0; left = MillisecondsLeft()) {
    WaitForEvents(nullptr, left);
  }
}

}  // namespace zm::x11

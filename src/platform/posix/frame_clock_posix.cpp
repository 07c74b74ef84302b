#include "platform/posix/frame_clock_posix.h"

#include <cmath>

#include "platform/posix/ending_signals_posix.h"

namespace zm {

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
  // Only a signal cuts the wait short: input waits in its queue.
  for (int left = MillisecondsLeft(); left > 0 && EndingSignal() == 0; left = MillisecondsLeft()) {
    PollWithSignals(-1, left);
  }
}

}  // namespace zm

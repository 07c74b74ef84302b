#include "platform/x11/frame_clock.h"

#include <cmath>

#include "platform/x11/run_signals.h"

namespace zm::x11 {

void FrameClock::SetRate(double hertz) { rate_ = hertz > 0.0 ? hertz : 60.0; }

int FrameClock::MillisecondsLeft() const {
  const double left = nextMs_ - static_cast<double>(NowMs());
  return left <= 0.0 ? 0 : static_cast<int>(std::ceil(left));
}

void FrameClock::Tick() {
  const double period = 1000.0 / rate_;
  const double now = static_cast<double>(NowMs());
  nextMs_ = nextMs_ + period < now ? now + period : nextMs_ + period;
}

void FrameClock::WaitForSlot() const {
  // Only a signal cuts the wait short: X input waits in its queue.
  for (int left = MillisecondsLeft(); left > 0 && EndingSignal() == 0; left = MillisecondsLeft()) {
    WaitForEvents(nullptr, left);
  }
}

}  // namespace zm::x11

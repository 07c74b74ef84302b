#include "platform/x11/run_signals.h"

namespace zm::x11 {

void WaitForEvents(Display* display, int timeoutMs, int otherFd) {
  if (EndingSignal() != 0) return;
  if (display != nullptr && XPending(display) > 0) return;
  PollWithSignals(display != nullptr ? ConnectionNumber(display) : -1, timeoutMs, otherFd);
}

void WaitForMoreInput(Display* display, int timeoutMs) {
  if (EndingSignal() != 0) return;
  XFlush(display);
  PollWithSignals(ConnectionNumber(display), timeoutMs);
}

}  // namespace zm::x11

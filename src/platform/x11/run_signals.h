#pragma once

#include <X11/Xlib.h>

namespace zm::x11 {

// SIGTERM, SIGINT and SIGHUP end a run in order (the video mode restored, the
// state stored) instead of killing it: the handlers only note the signal and
// wake the event loop through a pipe. The run has 1.5 seconds to reach its
// orderly end (an X server that never answers would keep it waiting for
// ever); after that, or at a second signal, the process ends at once.
void CatchEndingSignals();
// The run has finished with the X server after an ending signal and only
// stores its files now: the time limit no longer applies.
void OrderlyEndUnderWay();
// The signal that asked the run to end, or 0.
int EndingSignal();
// A descriptor that becomes readable when an ending signal arrives (-1 if
// none could be made), for loops that poll descriptors of their own.
int EndingSignalFd();
// Ends the process as the signal would have, once the run has been wound up.
[[noreturn]] void DieOfSignal(int signal);

// Waits, without spinning, until the X connection has input, an ending
// signal arrives, or `timeoutMs` passes (-1: no limit).
void WaitForEvents(Display* display, int timeoutMs);
// The same for one awaited event while others may stand in the queue: waits
// until more comes from the server (the requests made so far sent first).
void WaitForMoreInput(Display* display, int timeoutMs);

// Monotonic milliseconds.
long long NowMs();

}  // namespace zm::x11

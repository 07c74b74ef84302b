#pragma once

#include <X11/Xlib.h>

#include "platform/posix/ending_signals_posix.h"

namespace zm::x11 {

// The ending signals (CatchEndingSignals, OwnWork, ...) are the POSIX
// layer's; these are the waits on an X connection beside them.

// Waits, without spinning, until the X connection (or `otherFd`, if not -1)
// has input, an ending signal arrives, or `timeoutMs` passes (-1: no limit).
void WaitForEvents(Display* display, int timeoutMs, int otherFd = -1);
// The same for one awaited event while others may stand in the queue: waits
// until more comes from the server (the requests made so far sent first).
void WaitForMoreInput(Display* display, int timeoutMs);

}  // namespace zm::x11

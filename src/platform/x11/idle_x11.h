#pragma once

#include <memory>
#include <string>

#include "platform/x11/idle_run.h"

namespace zm::x11 {

// Whether the X display (DISPLAY) answers and has MIT-SCREEN-SAVER.
bool X11OffersIdleTime();
// Whether xscreensaver's daemon runs on the X display.
bool X11DaemonRuns(std::string& display);

// The X11 idle source: the extension's idle time, read at most every two
// seconds. The server's own screen saver is set to the idle time with an
// invisible window of ours in place of its blank screen, so that a client's
// XScreenSaverSuspend shows: the server's saver then stays off although the
// idle time has passed. The server's settings are put back at the end.
std::unique_ptr<IdleWatch> WatchX11Idle(int64_t idleTimeMs, IdleCallbacks callbacks);

}  // namespace zm::x11

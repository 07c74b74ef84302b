#pragma once

#include <string>

#include "shell/idle_start_switch.h"

namespace zm {

// The lock that a running idle starter of this session holds: one per X
// display or Wayland compositor.
std::string StarterLockKey();

// Whether a starter of this user's session runs; EndIdleStarter asks it to end
// (SIGTERM) and answers whether one was there.
bool IdleStarterRuns();
bool EndIdleStarter();

// The same for the setup dialog: Start runs `zelk-mirv -idle` (this program)
// in the background (GLib's spawn), End asks the running one to end and waits
// a moment for it.
class IdleStarterControlGtk : public IdleStarterControl {
 public:
  bool Runs() override { return IdleStarterRuns(); }
  bool Start() override;
  void End() override;
};

}  // namespace zm

#pragma once

#include <memory>

#include "platform/x11/idle_run.h"

namespace zm::wayland {

// The compositor's idle protocols for the idle starter: ext-idle-notify-v1
// and org_kde_kwin_idle on the first seat. nullptr where no compositor answers.
std::unique_ptr<x11::WaylandIdle> ConnectWaylandIdle();

}  // namespace zm::wayland

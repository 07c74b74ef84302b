#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "shell/command_line.h"
#include "shell/idle_start.h"
#include "shell/idle_start_switch.h"

namespace zm::x11 {

// What an idle source tells the starter.
struct IdleCallbacks {
  std::function<void()> idle;
  std::function<void()> active;
  // The source's connection ended: the starter ends with status 1.
  std::function<void(const std::string&)> lost;
};

// A watch of idleness; it reports through its callbacks from the GLib main
// loop until destroyed.
class IdleWatch {
 public:
  virtual ~IdleWatch() = default;
  // Whether a client holds idleness off in a way the source itself does not
  // honour (X11: the screen saver suspended); `why` names it.
  virtual bool Inhibited(std::string&) { return false; }
  // Starts the count afresh where the source can; true when it then reports
  // idleness anew.
  virtual bool Restart() { return false; }
};

// The Wayland side of the starter, when built: the protocols the compositor
// offers and a watch of one of them.
class WaylandIdle {
 public:
  virtual ~WaylandIdle() = default;
  virtual void Offer(SessionOffers& offers) = 0;
  virtual std::unique_ptr<IdleWatch> Watch(IdleSource source, int64_t idleTimeMs,
                                           IdleCallbacks callbacks) = 0;
};
// Connects to the session's compositor; nullptr where there is none.
using WaylandIdleConnector = std::function<std::unique_ptr<WaylandIdle>()>;

// Runs -idle: stays in the session until SIGTERM or SIGINT, starting
// `zelk-mirv /s` after the idle time. Exit status 0; 1 when the idle source
// went away; 2 when the session offers no idle source.
int RunIdleStarter(const CommandLine& line, const WaylandIdleConnector& wayland);

// The idle time for a run: the test switch ZM_IDLE_TEST_SECONDS (seconds,
// for the tests only), else -idle-minutes, else the settings file's.
int64_t IdleTimeMs(const CommandLine& line);

// The locker the saver hands over to when input ends it: -locker, else the
// settings file's; "" for none.
std::string LockerCommand(const CommandLine& line);

}  // namespace zm::x11

#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "shell/command_line.h"

namespace zm {

// How a command's process ended.
struct CommandEnd {
  bool signalled = false;  // killed by signal `code`, else exited with status `code`
  int code = 0;
};

// What the hand-over to a locker needs of the platform: a command line run
// through the system's shell, watched without waiting.
class LockerHost {
 public:
  virtual ~LockerHost() = default;
  // Starts `command`; false and `error` when no process could be started.
  virtual bool Start(const std::string& command, std::string& error) = 0;
  // How the started command's first process ended; nothing while it runs.
  virtual std::optional<CommandEnd> Ended() = 0;
  // A message for the user (standard error).
  virtual void Say(const std::string& text) = 0;
};

// The hand-over from a saver that input ended to the locker it was told to
// run, so that the desktop never shows between the two: the locker starts
// while the saver still covers the screen, and the saver's windows go once
// the locker has locked. A locker that daemonises once locked tells so by
// its first process exiting with status 0; any locker gets at most
// kLockWaitMs, then the saver goes anyway. One that cannot start or exits
// otherwise is reported and the saver goes at once. The locker is never
// ended: it is the user's lock.
class LockerHandoff {
 public:
  static constexpr int64_t kLockWaitMs = 5000;
  // How often the locker's process is looked at meanwhile.
  static constexpr int32_t kLookEveryMs = 50;

  LockerHandoff(LockerHost& host, std::string command)
      : host_(host), command_(std::move(command)) {}

  // Starts the locker; true when the saver is to stay until Holds says no.
  bool Begin(int64_t nowMs);
  // Whether the saver stays on the screen: the locker has not yet locked
  // and the bound has not passed.
  bool Holds(int64_t nowMs);
  // The milliseconds until Holds is worth asking again.
  int32_t MsUntilNextLook(int64_t nowMs) const;

 private:
  LockerHost& host_;
  std::string command_;
  int64_t untilMs_ = 0;
  bool waiting_ = false;
};

// The hand-over a saver run takes: only a full-screen saver given a locker
// (the idle starter passes its own) has one.
std::optional<LockerHandoff> HandoffFor(const CommandLine& line, LockerHost& host);

}  // namespace zm

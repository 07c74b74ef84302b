#pragma once

#include <sys/types.h>

#include <optional>
#include <string>

#include "shell/locker_handoff.h"

namespace zm {

// The locker as the saver runs it: `/bin/sh -c COMMAND` in a process group
// of its own (an interrupt meant for the saver's terminal does not end the
// lock), with no signal blocked or ignored; its first process is watched
// without waiting. A locker still running when the saver ends is left so.
class LockerPosix : public LockerHost {
 public:
  bool Start(const std::string& command, std::string& error) override;
  std::optional<CommandEnd> Ended() override;
  void Say(const std::string& text) override;

 private:
  pid_t pid_ = -1;
};

}  // namespace zm

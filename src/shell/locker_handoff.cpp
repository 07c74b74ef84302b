#include "shell/locker_handoff.h"

#include <algorithm>

namespace zm {

bool LockerHandoff::Begin(int64_t nowMs) {
  std::string error;
  if (!host_.Start(command_, error)) {
    host_.Say("the locker '" + command_ + "' could not be started: " + error);
    return false;
  }
  untilMs_ = nowMs + kLockWaitMs;
  waiting_ = true;
  return Holds(nowMs);
}

bool LockerHandoff::Holds(int64_t nowMs) {
  if (!waiting_) return false;
  const std::optional<CommandEnd> end = host_.Ended();
  if (end) {
    waiting_ = false;
    if (end->signalled || end->code != 0) {
      host_.Say("the locker '" + command_ + "' failed (" +
                (end->signalled ? "signal " : "exit status ") + std::to_string(end->code) +
                "): the saver ends without a lock");
    }
    return false;
  }
  if (nowMs >= untilMs_) waiting_ = false;
  return waiting_;
}

int32_t LockerHandoff::MsUntilNextLook(int64_t nowMs) const {
  return static_cast<int32_t>(std::clamp<int64_t>(untilMs_ - nowMs, 0, kLookEveryMs));
}

std::optional<LockerHandoff> HandoffFor(const CommandLine& line, LockerHost& host) {
  if (!line.locker || line.target != DrawTarget::kFullScreen) return std::nullopt;
  return std::optional<LockerHandoff>(std::in_place, host, *line.locker);
}

}  // namespace zm

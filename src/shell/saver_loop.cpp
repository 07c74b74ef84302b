#include "shell/saver_loop.h"

#include <algorithm>

namespace zm {

namespace {
// The shorter of two timeouts, -1 standing for none.
int32_t Sooner(int32_t a, int32_t b) {
  if (a < 0) return b;
  if (b < 0) return a;
  return std::min(a, b);
}
}  // namespace

void SaverLoop::SetCloseTimer(int32_t milliseconds) {
  closeAtMs_ = milliseconds > 0 ? platform_.NowMs() + milliseconds : 0;
}

bool SaverLoop::CloseTimerDue() {
  if (closeAtMs_ == 0 || platform_.NowMs() < closeAtMs_) return false;
  closeAtMs_ = 0;
  if (!HandOverToLocker()) screen_.CloseTimerFired();
  return true;
}

// An exit on input (not a failed mode switch) in a saver run that was given
// a locker: the locker starts now, under the window.
bool SaverLoop::HandOverToLocker() {
  if (locker_ == nullptr || screen_.ModeSwitchFailed) return false;
  platform_.LockerStarts();
  handingOver_ = locker_->Begin(platform_.NowMs());
  return handingOver_;
}

bool SaverLoop::Step() {
  if (!platform_.ServePending()) return false;
  if (handingOver_) {
    if (locker_->Holds(platform_.NowMs())) {
      platform_.WaitForEvents(locker_->MsUntilNextLook(platform_.NowMs()));
      return true;
    }
    handingOver_ = false;
    screen_.CloseTimerFired();
    return true;
  }
  // Closing ends the run at the next pass, when the platform finds its
  // window gone.
  if (CloseTimerDue()) return true;
  if (!frameRequested_) {
    platform_.BeforeFrameRequest();
    screen_.IdleFrameRequest();
  }
  int32_t timeout = -1;
  if (frameRequested_) {
    const int32_t left = platform_.MsUntilFrame();
    if (left == 0) {
      frameRequested_ = false;
      screen_.DrawFrame();
      platform_.FrameDrawn();
      return true;
    }
    timeout = left;
    if (left > 0 && !platform_.EventsWaiting() && screen_.UseTimeBeforeFrame(left)) return true;
  } else {
    timeout = platform_.WakeEveryMs();
  }
  if (closeAtMs_ != 0) {
    timeout =
        Sooner(timeout, static_cast<int32_t>(std::max<int64_t>(0, closeAtMs_ - platform_.NowMs())));
  }
  platform_.WaitForEvents(timeout);
  return true;
}

int32_t SaverLoop::ServeEvents() {
  platform_.ServePending();
  return ServeCloseTimer();
}

int32_t SaverLoop::ServeCloseTimer() {
  CloseTimerDue();
  if (closeAtMs_ == 0) return -1;
  return static_cast<int32_t>(std::max<int64_t>(0, closeAtMs_ - platform_.NowMs()));
}

}  // namespace zm

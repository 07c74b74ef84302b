#include "display/frame_pacing.h"

#include <cmath>

namespace zm {

double RefreshRate(int32_t reportedHz) {
  return reportedHz > 1 ? static_cast<double>(reportedHz) : kDefaultRefreshHz;
}

PaceClock ChoosePaceClock(bool compositionOn, bool compositorWaitBlocks) {
  return compositionOn && compositorWaitBlocks ? PaceClock::kCompositor : PaceClock::kTimer;
}

void CompositorWaitCheck::Waited(double milliseconds) {
  if (!Blocks()) return;
  quickInRow_ = milliseconds < quickMs_ ? quickInRow_ + 1 : 0;
}

double FrameGrid::NextSlot(double nowMs) {
  if (!started_) {
    started_ = true;
    nextMs_ = nowMs;
  }
  if (nextMs_ <= nowMs) {
    // Late (or on time): the first slot of the grid after now.
    nextMs_ += (std::floor((nowMs - nextMs_) / periodMs_) + 1.0) * periodMs_;
  }
  return nextMs_;
}

}  // namespace zm

#include "display/frame_pacing.h"

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

}  // namespace zm

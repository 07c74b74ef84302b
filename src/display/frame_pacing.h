#pragma once

#include <cstdint>

namespace zm {

// The rate assumed for a display that does not report its own.
constexpr double kDefaultRefreshHz = 60.0;

// The refresh rate in Hz of a display that reports `reportedHz`; 0 and 1
// (the hardware's default rate, unknown) and anything below give 60.
double RefreshRate(int32_t reportedHz);

// The clock that frame requests wait for: the desktop compositor's next
// frame, or a timer at the display's refresh rate.
enum class PaceClock { kCompositor, kTimer };

// The compositor serves while desktop composition is on and its wait was
// seen to block until its next frame; otherwise the timer does.
PaceClock ChoosePaceClock(bool compositionOn, bool compositorWaitBlocks);

// Tells from the durations of the compositor's waits whether they block
// until its next frame. NOTE: some systems (Wine among them) answer the
// compositor's wait at once: eight such answers in a row (each under a
// quarter of the refresh period) and the compositor no longer counts as a
// clock, for good.
class CompositorWaitCheck {
 public:
  explicit CompositorWaitCheck(double periodMs) : quickMs_(periodMs / 4.0) {}
  void Waited(double milliseconds);
  bool Blocks() const { return quickInRow_ < kQuickWaitsToGiveUp; }

  static constexpr int32_t kQuickWaitsToGiveUp = 8;

 private:
  double quickMs_;
  int32_t quickInRow_ = 0;
};

}  // namespace zm

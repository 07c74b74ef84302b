#include "display/frame_motion.h"

#include <cmath>

namespace zm {

namespace {
constexpr double kUnitMs = 1000.0 / 60.0;
}  // namespace

void FrameMotion::SetRate(double hertz) { rate_ = hertz > 0.0 && hertz < 1e6 ? hertz : 60.0; }

double FrameMotion::OrdinaryInterval() const { return 60.0 / rate_; }

double FrameMotion::Interval(double shownMs) {
  if (!std::isfinite(shownMs)) return OrdinaryInterval();
  const bool first = !started_;
  const double elapsed = shownMs - lastMs_;
  started_ = true;
  if (first) {
    lastMs_ = shownMs;
    return OrdinaryInterval();
  }
  lastMs_ = shownMs;
  if (elapsed < 0.0) return 0.0;  // the clock went back: counted from here
  if (elapsed > kLongGapMs) return OrdinaryInterval();
  return elapsed / kUnitMs;
}

}  // namespace zm

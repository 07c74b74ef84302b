#include "render/shape_timing.h"

#include <limits>

namespace zm {

namespace {
constexpr double kSpeedMax = 2.0;
constexpr double kPhasePerSpeed = 0.003;
constexpr int32_t kStillBudget = 500;
}  // namespace

double EffectiveShapeSpeed(double speed) {
  if (!(speed > 0.0)) return 0.0;  // negative, zero or NaN
  return speed > kSpeedMax ? kSpeedMax : speed;
}

double PhaseIncrement(double speed) { return EffectiveShapeSpeed(speed) * kPhasePerSpeed; }

int32_t FrameBudget(double speed) {
  const double s = EffectiveShapeSpeed(speed);
  if (s == 0.0) return kStillBudget;
  const double frames = 1.0 / (s * kPhasePerSpeed);
  constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
  return frames < static_cast<double>(kMax) ? static_cast<int32_t>(frames) : kMax;
}

int32_t FrameBudgetAt(double speed, double frameRate) {
  const int32_t budget = FrameBudget(speed);
  if (!(frameRate > 0.0) || frameRate == kMotionUnitHz || EffectiveShapeSpeed(speed) == 0.0) {
    return budget;
  }
  const double frames = static_cast<double>(budget) * frameRate / kMotionUnitHz;
  constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
  if (!(frames < static_cast<double>(kMax))) return kMax;
  return frames < 1.0 ? 1 : static_cast<int32_t>(frames);
}

int32_t PhaseToTime(double phase) {
  if (!(phase > 0.0)) return 0;
  if (phase >= 1.0) return 1000;
  return static_cast<int32_t>(phase * 1000.0);
}

}  // namespace zm

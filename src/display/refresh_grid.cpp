#include "display/refresh_grid.h"

#include <cmath>

namespace zm {

double LimitedFrameRate(double displayHz, double limitFps) {
  const double display = displayHz > 0.0 && displayHz < 1e6 ? displayHz : 60.0;
  // A rate within 1% of the limit keeps to it: a 60 Hz display measured at
  // 60.2 is not halved by a limit of 60.
  const double ceiling = limitFps * 1.01;
  if (!(limitFps > 0.0) || ceiling >= display) return display;
  return display / std::ceil(display / ceiling);
}

double FrameLimitFor(double userLimitFps, double batteryLimitFps, bool onBattery) {
  const double user = userLimitFps > 0.0 ? userLimitFps : 0.0;
  if (!onBattery || !(batteryLimitFps > 0.0)) return user;
  return user > 0.0 && user < batteryLimitFps ? user : batteryLimitFps;
}

void MeasuredRefresh::Refreshed(double ms, unsigned long long count) {
  if (!started_ || count <= firstCount_ || !(ms > firstMs_)) {
    started_ = true;
    firstMs_ = ms;
    firstCount_ = count;
    return;
  }
  const double elapsed = ms - firstMs_;
  if (elapsed < 250.0) return;
  const double rate = static_cast<double>(count - firstCount_) * 1000.0 / elapsed;
  if (rate > 1.0 && rate < 1e4) rate_ = rate;
  firstMs_ = ms;
  firstCount_ = count;
}

void RefreshGrid::SetRate(double hertz) { rate_ = hertz > 0.0 && hertz < 1e6 ? hertz : 60.0; }

namespace {
// Where a slot lies after the display's refresh.
constexpr double kAfterRefreshMs = 1.0;
}  // namespace

void RefreshGrid::AlignToRefresh(double refreshMs, double refreshPeriodMs) {
  if (!started_) return;
  const double period =
      refreshPeriodMs > 0.0 && refreshPeriodMs < PeriodMs() ? refreshPeriodMs : PeriodMs();
  const double anchor = refreshMs + kAfterRefreshMs;
  nextMs_ = anchor + std::round((nextMs_ - anchor) / period) * period;
}

void RefreshGrid::FrameShown(double nowMs) {
  const double period = PeriodMs();
  if (!started_) {
    started_ = true;
    nextMs_ = nowMs + period;
    return;
  }
  nextMs_ += period;
  // A frame that starts within half a period after its slot still reaches
  // the refresh its slot aims at: it goes at once and the grid keeps its
  // phase. Later than that (or back from a pause), the slots gone by are
  // skipped.
  if (nowMs - nextMs_ >= period * 0.5) {
    nextMs_ += std::floor((nowMs - nextMs_) / period + 1.0) * period;
  }
}

}  // namespace zm

#include "base/clock.h"

#include <chrono>
#include <cmath>
#include <thread>

#if defined(__x86_64__) || defined(__i386__)
#include <x86intrin.h>
#define ZM_HAVE_TSC 1
#endif

namespace zm {

namespace {

struct ClockStart {
  bool calibrated = false;
  bool measured = false;  // frequency holds this calibration's measurement
  uint32_t frequency = 0;
  uint64_t counter = 0;
  uint32_t tick = 0;
};

ClockStart& Start() {
  static ClockStart start;
  return start;
}

// The measurement needs more than 100 ms of tick count since the start. What
// is left of them is slept, not spun: by the time anything asks, start-up has
// usually spent them already.
void FinishCalibration(ClockStart& start) {
  for (;;) {
    const uint32_t elapsed = static_cast<uint32_t>(TickCount() - start.tick);
    if (elapsed > 100) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(101 - elapsed));
  }
  start.measured = true;
  start.frequency = static_cast<uint32_t>(CurrentFrequency());
}

}  // namespace

uint64_t CycleCount() {
#ifdef ZM_HAVE_TSC
  return __rdtsc();
#else
  auto now = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count());
#endif
}

uint32_t TickCount() {
  auto now = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

void CalibrateClock() {
  ClockStart& start = Start();
  start.counter = CycleCount();
  start.tick = TickCount();
  start.calibrated = true;
  start.measured = false;
}

bool ClockCalibrated() { return Start().calibrated; }

int64_t CurrentFrequency() {
  ClockStart& start = Start();
  if (!start.calibrated) CalibrateClock();
  if (!start.measured) FinishCalibration(start);
  const int64_t ticks = static_cast<int64_t>(CycleCount() - start.counter);
  uint64_t elapsed = static_cast<uint32_t>(TickCount() - start.tick);
  // Cannot happen after the calibration's 100 ms, but never divide by zero.
  if (elapsed == 0) elapsed = 1;
  const long double perSecond =
      static_cast<long double>(ticks) / static_cast<long double>(elapsed) * 1000.0L;
  return std::llrintl(perSecond);
}

uint32_t MeasuredFrequency() { return Start().frequency; }

void Delay(uint32_t ms, MessagePump* app) {
  const uint64_t start = CycleCount();
  const uint32_t frequency = static_cast<uint32_t>(CurrentFrequency());
  const uint64_t span =
      static_cast<uint64_t>(std::llrintl(static_cast<long double>(frequency) * (ms / 1000.0L)));
  do {
    if (app != nullptr) app->ProcessMessages();
  } while (CycleCount() < start + span);
}

}  // namespace zm

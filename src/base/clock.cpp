#include "base/clock.h"

#include <chrono>
#include <cmath>

#if defined(__x86_64__) || defined(__i386__)
#include <x86intrin.h>
#define ZM_HAVE_TSC 1
#endif

namespace zm {

uint32_t CPU_Frq = 0;

namespace {

struct ClockStart {
  bool calibrated = false;
  uint64_t counter = 0;
  uint32_t tick = 0;
};

ClockStart& Start() {
  static ClockStart start;
  return start;
}

}  // namespace

uint64_t RDTSC() {
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
  start.counter = RDTSC();
  start.tick = TickCount();
  start.calibrated = true;
  while (static_cast<uint32_t>(TickCount() - start.tick) <= 100) {
  }
  CPU_Frq = static_cast<uint32_t>(CurrentFrequency());
}

int64_t CurrentFrequency() {
  ClockStart& start = Start();
  if (!start.calibrated) CalibrateClock();
  const int64_t ticks = static_cast<int64_t>(RDTSC() - start.counter);
  uint64_t elapsed = static_cast<uint32_t>(TickCount() - start.tick);
  // Cannot happen after the calibration wait, but never divide by zero.
  if (elapsed == 0) elapsed = 1;
  const long double perSecond =
      static_cast<long double>(ticks) / static_cast<long double>(elapsed) * 1000.0L;
  return std::llrintl(perSecond);
}

void Delay(uint32_t ms, MessagePump* app) {
  const uint64_t start = RDTSC();
  const uint32_t frequency = static_cast<uint32_t>(CurrentFrequency());
  const uint64_t span =
      static_cast<uint64_t>(std::llrintl(static_cast<long double>(frequency) * (ms / 1000.0L)));
  do {
    if (app != nullptr) app->ProcessMessages();
  } while (RDTSC() < start + span);
}

}  // namespace zm

#include "base/clock.h"

#include <gtest/gtest.h>

namespace zm {
namespace {

class CountingPump : public MessagePump {
 public:
  void ProcessMessages() override { ++calls; }
  int calls = 0;
};

TEST(Clock, CalibrationMeasuresAPlausibleFrequency) {
  CalibrateClock();
  // Any real counter runs between 1 MHz and 10 GHz.
  const int64_t f = CurrentFrequency();
  EXPECT_GT(f, 1'000'000);
  EXPECT_LT(f, 10'000'000'000);
  // MeasuredFrequency() keeps the calibration's measurement (its low 32 bits); a counter
  // of constant rate measures the same frequency later, to within the tick
  // count's millisecond steps.
  if (f < (int64_t{1} << 32)) {
    EXPECT_NEAR(static_cast<double>(MeasuredFrequency()), static_cast<double>(f), 0.05 * f);
  }
}

TEST(Clock, CounterIsMonotonic) {
  uint64_t last = CycleCount();
  for (int i = 0; i < 1000; ++i) {
    const uint64_t now = CycleCount();
    EXPECT_GE(now, last);
    last = now;
  }
}

TEST(Clock, ZeroDelayMakesAtMostOneMessagePass) {
  CountingPump pump;
  Delay(0, &pump);
  EXPECT_EQ(pump.calls, 1);
}

TEST(Clock, DelayWithoutPumpProcessesNothingAndWaits) {
  Delay(0, nullptr);  // must not touch a pump it was not given
  const uint32_t start = TickCount();
  Delay(30, nullptr);
  EXPECT_GE(static_cast<uint32_t>(TickCount() - start), 25u);
}

}  // namespace
}  // namespace zm

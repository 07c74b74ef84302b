#pragma once

namespace zm::x11 {

// Whether the machine runs on battery, as UPower tells it on the system bus
// (its OnBattery property). No system bus or no UPower counts as mains
// power. The answer is asked for again at most every two seconds, with a
// short timeout, so that a bus that hangs holds no frame up for long.
class PowerSource {
 public:
  PowerSource();
  ~PowerSource();
  PowerSource(const PowerSource&) = delete;
  PowerSource& operator=(const PowerSource&) = delete;

  // The answer as of `nowMs` (NowMs's clock).
  bool OnBattery(long long nowMs);

 private:
  bool Ask();

  void* bus_ = nullptr;  // a GDBusConnection, null without a system bus
  long long askedMs_ = -1;
  bool onBattery_ = false;
};

}  // namespace zm::x11

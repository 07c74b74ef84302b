#include "shell/startup.h"

#include "base/clock.h"
#include "base/random_source.h"
#include "materials/material_curves.h"
#include "render/trig_tables.h"

namespace zm {

uint32_t SecondsSinceMidnightUtc(std::time_t now) {
  // The calendar time counts seconds since 1970-01-01 00:00 UTC, and every UTC
  // day has 86400 of them, so the remainder is the time of day in UTC.
  const long long t = static_cast<long long>(now);
  const long long day = 86400;
  return static_cast<uint32_t>(((t % day) + day) % day);
}

void PrepareProgram(uint32_t seed) {
  // The clock starts measuring its frequency once per process, before
  // anything can ask it for a delay.
  if (!ClockCalibrated()) CalibrateClock();
  SeedRandom(seed);
  BuildTrigTables();
  BuildMaterialCurves();
}

}  // namespace zm

#include "render/trig_tables.h"

#include <cmath>

#include "render/table_lookup.h"

namespace zm {

float SinTable[kTrigTableSize];
float CosTable[kTrigTableSize];

void BuildTrigTables() {
  constexpr double kTwoPi = 6.283185307179586;
  constexpr double kStep = 0.000244140625;  // 1 / 4096
  for (int i = 0; i < kTrigTableSize; ++i) {
    const double angle = i * kTwoPi * kStep;
    SinTable[i] = static_cast<float>(std::sin(angle));
    CosTable[i] = static_cast<float>(std::cos(angle));
  }
}

uint32_t WideTableIndex(long double v) {
  // NaN and the infinities have no integer part; they read entry 0.
  if (!std::isfinite(v)) return 0;
  // fmodl is exact, so this is the integer part modulo 4096 without ever
  // converting an out-of-range value; a negative remainder wraps the way
  // two's-complement AND 4095 would.
  long double rest = std::fmod(std::trunc(v), static_cast<long double>(kTrigTableSize));
  if (rest < 0) rest += kTrigTableSize;
  return static_cast<uint32_t>(rest) & (kTrigTableSize - 1);
}

float TableSin(long double v) { return SinAt(v); }
float TableCos(long double v) { return CosAt(v); }

}  // namespace zm

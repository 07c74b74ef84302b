#pragma once

#include <cstdint>

#include "render/pattern_switches.h"

namespace zm {

// A read-only view of the pattern generator's progress and pacing, for tests
// and diagnostics.
struct GeneratorProgress {
  int32_t width = 0;
  int32_t height = 0;
  int32_t rowsBudget = 0;
  int32_t rowsPerSlice = 0;      // rows of one stage-3 slice
  int32_t normRowsPerSlice = 0;  // rows of one stage-4 slice
  int32_t profileCount = 0;
  int32_t profileNormCount = 0;
  int32_t nextRow = 0;
  int32_t normRow = 0;
  uint64_t cycleBudget = 0;
  uint64_t cycleSum = 0;
  float valueMin = 0.0f;
  float valueMax = 0.0f;
  bool done = false;
};

GeneratorProgress InspectGenerator();

// The switches drawn by the last StartGenerator.
const PatternSwitches& GeneratorSwitches();

}  // namespace zm

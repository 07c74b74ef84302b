#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "base/clock.h"
#include "render/height_map.h"
#include "render/pattern_descriptor.h"
#include "render/pattern_switches.h"

// The state of one pattern generator, shared by its source files. Nothing
// outside src/render includes this header; tests read a generator's
// progress through PatternGenerator::Inspect.
namespace zm::generator {

constexpr float kSmallestNormal = 1.17549435e-38f;
constexpr float kLargestFloat = 3.40282347e+38f;
constexpr double kPi = 3.141592653589793;

// Profile entries computed or normalised per slice.
constexpr int32_t kProfileChunk = 100;

// Frame budget slices kept for stages 1, 2 and 4 (ten each).
constexpr int32_t kReservedSlices = 30;

using Counter = uint64_t (*)();

struct GeneratorState {
  int32_t width = 0;
  int32_t height = 0;
  MapValue* target = nullptr;
  PatternDescriptor* descriptor = nullptr;
  int32_t rowsBudget = 1;
  int32_t profileCount = 0;
  int32_t profileNormCount = 0;
  int32_t nextRow = 0;
  int32_t normRow = 0;
  // Rows computed ahead of the row slices (in time the caller had to
  // spare): the next row slices compute that many fewer.
  int32_t rowsAhead = 0;
  // Raw heights, row-major, and the x coordinate of every column (before
  // the diagonal mix and the warp), both sized at the start of a map.
  std::unique_ptr<float[]> values;
  std::unique_ptr<float[]> columnX;
  size_t valueCount = 0;
  bool reallocate = true;
  float valueMax = kSmallestNormal;
  float valueMin = kLargestFloat;
  float profileMax = kSmallestNormal;
  float profileMin = kLargestFloat;
  bool done = false;
  // False between Setup and Start: slices then do no
  // work, since the buffers may not match the new size yet.
  bool started = false;
  uint64_t cycleBudget = 0;
  uint64_t cycleSum = 0;
  float radiusMax = static_cast<float>(std::sqrt(2.0));
  float profileSpan = 998.0f;
  int32_t halfTurn = 2048;
  double radianUnits = 2048 / kPi;
  PatternSwitches switches;
  // The counter this state's cycle budget was measured on.
  Counter budgetCounter = nullptr;
};

// The counter the slices are paced on (see SetGeneratorCounter).
Counter PacingCounter();

// Rows of one row slice: integer part of height / rowsBudget + 1.
int32_t RowsPerSlice(int32_t height, int32_t rowsBudget);
// Rows of one normalisation slice: integer part of ceil(height * 0.1).
int32_t NormRowsPerSlice(int32_t height);

// Stage 1 (profile), stage 2 (profile normalisation), stage 3 (rows) and
// stage 4 (map normalisation): one slice of each.
void ProfileSlice(GeneratorState& g);
void NormaliseProfileSlice(GeneratorState& g);
// The next `rows` rows from nextRow (fewer at the bottom of the map).
void ComputeRows(GeneratorState& g, int32_t rows);
void NormaliseMapSlice(GeneratorState& g);

}  // namespace zm::generator

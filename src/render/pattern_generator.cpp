#include "render/pattern_generator.h"

#include <algorithm>

#include "base/clock.h"
#include "render/generator_state.h"

namespace zm {

namespace generator {

namespace {

Counter& CurrentCounter() {
  static Counter counter = &CycleCount;
  return counter;
}

enum class Stage { kProfile, kProfileNorm, kRows, kMapNorm, kIdle };

Stage NextStage(const GeneratorState& g) {
  if (!g.started || g.done) return Stage::kIdle;
  if (g.profileCount < kProfileSize) return Stage::kProfile;
  if (g.profileNormCount < kProfileSize) return Stage::kProfileNorm;
  if (g.nextRow < g.height && g.values) return Stage::kRows;
  if (g.normRow < g.height) return Stage::kMapNorm;
  return Stage::kIdle;
}

bool IsEmptyTarget(const GeneratorState& g) {
  return g.width <= 0 || g.height <= 0 || g.target == nullptr || g.descriptor == nullptr;
}

// Sizes the raw-height and column buffers; only a change of size releases
// them.
void PrepareBuffers(GeneratorState& g) {
  if (g.values && !g.reallocate) return;
  g.values.reset();
  g.columnX.reset();
  g.values = std::make_unique_for_overwrite<float[]>(static_cast<size_t>(g.width) *
                                                     static_cast<size_t>(g.height));
  g.columnX = std::make_unique_for_overwrite<float[]>(static_cast<size_t>(g.width));
  g.reallocate = false;
}

// A row slice: paced runs add its cost to the map's sum, and the finished
// map's mean slice cost becomes the budget of every other paced slice.
void RowSlice(GeneratorState& g, bool noWait, uint64_t start) {
  if (g.nextRow == 0) g.cycleSum = 0;
  const int32_t rows = RowsPerSlice(g.height, g.rowsBudget);
  const int32_t ahead = std::min(g.rowsAhead, rows);
  g.rowsAhead -= ahead;
  ComputeRows(g, rows - ahead);
  if (noWait) return;
  g.cycleSum += PacingCounter()() - start;
  if (g.nextRow >= g.height) g.cycleBudget = g.cycleSum / static_cast<uint64_t>(g.rowsBudget);
}

void WaitOutBudget(const GeneratorState& g, uint64_t start) {
  const Counter counter = PacingCounter();
  while (counter() - start < g.cycleBudget) {
  }
}

}  // namespace

Counter PacingCounter() { return CurrentCounter(); }

}  // namespace generator

using generator::GeneratorState;

PatternGenerator::PatternGenerator() : state_(std::make_unique<GeneratorState>()) {}

PatternGenerator::~PatternGenerator() = default;

void PatternGenerator::Setup(MapValue* target, int32_t width, int32_t height, double scale,
                             PatternDescriptor* descriptor, int32_t frameBudget) {
  GeneratorState& g = *state_;
  if (width != g.width || height != g.height) g.reallocate = true;
  g.width = width;
  g.height = height;
  g.target = target;
  g.descriptor = descriptor;
  const int64_t rowsBudget = int64_t{frameBudget} - generator::kReservedSlices;
  g.rowsBudget = rowsBudget > 0 ? static_cast<int32_t>(rowsBudget) : 1;
  if (descriptor != nullptr) descriptor->scale = scale;
  g.nextRow = g.normRow = g.profileCount = g.profileNormCount = g.rowsAhead = 0;
  g.done = false;
  g.started = false;
}

void PatternGenerator::Start() {
  GeneratorState& g = *state_;
  g.valueCount = 0;
  g.valueMax = g.profileMax = generator::kSmallestNormal;
  g.valueMin = g.profileMin = generator::kLargestFloat;
  g.switches = DrawPatternSwitches();
  g.started = true;
  // An empty target (no rows or no columns) is complete at once.
  if (generator::IsEmptyTarget(g)) {
    g.done = true;
    return;
  }
  generator::PrepareBuffers(g);
}

void PatternGenerator::Slice(bool noWait) {
  using generator::Stage;
  GeneratorState& g = *state_;
  // A budget measured on another counter means nothing on this one.
  if (g.budgetCounter != generator::PacingCounter()) {
    g.budgetCounter = generator::PacingCounter();
    g.cycleBudget = 0;
    g.cycleSum = 0;
  }
  const uint64_t start = g.budgetCounter();
  switch (generator::NextStage(g)) {
    case Stage::kProfile:
      generator::ProfileSlice(g);
      break;
    case Stage::kProfileNorm:
      generator::NormaliseProfileSlice(g);
      break;
    case Stage::kRows:
      generator::RowSlice(g, noWait, start);
      return;
    case Stage::kMapNorm:
      generator::NormaliseMapSlice(g);
      break;
    case Stage::kIdle:
      break;
  }
  if (!noWait) generator::WaitOutBudget(g, start);
}

int32_t PatternGenerator::ComputeRowsAhead(int32_t rows) {
  GeneratorState& g = *state_;
  if (rows <= 0 || generator::NextStage(g) != generator::Stage::kRows) return 0;
  const int32_t computed = std::min(rows, g.height - g.nextRow);
  generator::ComputeRows(g, computed);
  g.rowsAhead += computed;
  return computed;
}

void PatternGenerator::RunToEnd() {
  Start();
  while (!Done()) Slice(true);
}

bool PatternGenerator::Done() const { return state_->done; }

GeneratorProgress PatternGenerator::Inspect() const {
  const GeneratorState& g = *state_;
  GeneratorProgress p;
  p.width = g.width;
  p.height = g.height;
  p.rowsBudget = g.rowsBudget;
  p.rowsPerSlice = generator::RowsPerSlice(g.height, g.rowsBudget);
  p.normRowsPerSlice = generator::NormRowsPerSlice(g.height);
  p.profileCount = g.profileCount;
  p.profileNormCount = g.profileNormCount;
  p.nextRow = g.nextRow;
  p.normRow = g.normRow;
  p.rawHeights = g.values.get();
  p.cycleBudget = g.cycleBudget;
  p.cycleSum = g.cycleSum;
  p.valueMin = g.valueMin;
  p.valueMax = g.valueMax;
  p.done = g.done;
  return p;
}

const PatternSwitches& PatternGenerator::Switches() const { return state_->switches; }

void SetGeneratorCounter(GeneratorCounterFn counter) {
  generator::CurrentCounter() = counter != nullptr ? counter : &CycleCount;
}

}  // namespace zm

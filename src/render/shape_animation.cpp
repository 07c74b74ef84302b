#include <algorithm>
#include <cstdint>

#include "render/map_range.h"
#include "render/shape.h"
#include "render/shape_timing.h"

namespace zm {

namespace {

// The warm-up's frame budget: steps x 10 / 21 (47 for 100 steps), so that
// each of its two maps takes about half of the steps.
int32_t WarmupBudget(int32_t steps) {
  return static_cast<int32_t>(static_cast<int64_t>(steps) * 10 / 21);
}

}  // namespace

void Shape::NextStep(bool force) {
  if (!HasMaps()) return;
  phase_ = PhaseIncrement(settings_.speed);  // the new step starts one frame in
  NextPalette();
  // An engine whose generator has no map to fill has no next map coming, so
  // it moves on as if the map were ready rather than waiting for ever.
  if (force || !UsesGenerator() || generator_.Done()) {
    RotateMaps();
    StartPacedGenerator();
  } else {
    // The next map is late: run through the older front times again while
    // the generator catches up.
    std::swap_ranges(mapPrevious_.begin(), mapPrevious_.end(), mapCurrent_.begin());
  }
}

// A new random pattern for mapNext, paced over the frames of one step.
void Shape::StartPacedGenerator() {
  RandomizeDescriptor(descriptor_, settings_.modeHeight);
  SetUpGenerator(mapNext_, descriptor_, FrameBudget(settings_.speed));
  generator_.Start();
}

void Shape::Advance() {
  phase_ += PhaseIncrement(settings_.speed);
  if (UsesGenerator()) generator_.Slice(pacedByDisplay_);
  if (phase_ > 1.0) NextStep(false);
}

bool Shape::IsStill() const {
  return PhaseIncrement(settings_.speed) == 0.0 && phase_ <= 1.0;
}

void Shape::ComputeMapNow(std::span<MapValue> map, PatternDescriptor& descriptor) {
  if (map.empty() || map.size() != static_cast<size_t>(width_) * static_cast<size_t>(height_))
    return;
  RunGeneratorOn(map, descriptor);
}

void Shape::Reset() {
  InitPalettes();
  AllocateMaps();
  if (!HasMaps()) return;  // no size known yet: stay empty
  RandomizeDescriptor(descriptor_, settings_.modeHeight);
  ComputeMapNow(mapCurrent_, descriptor_);
  RandomizeDescriptor(descriptor_, settings_.modeHeight);
  ComputeMapNow(mapNext_, descriptor_);
}

void Shape::PrepareNow() {
  if (!HasMaps()) return;
  NextPalette();
  NextPalette();
  RandomizeDescriptor(descriptor_, settings_.modeHeight);
  RunGeneratorOn(mapCurrent_, descriptor_);
  RandomizeDescriptor(descriptor_, settings_.modeHeight);
  RunGeneratorOn(mapNext_, descriptor_);
}

void Shape::BeginWarmup(int32_t steps) {
  warmupSteps_ = steps;
  warmupCount_ = 0;
  NextPalette();
  NextPalette();
  RandomizeDescriptor(descriptor_, settings_.modeHeight);
  if (!HasMaps()) return;
  SetUpGenerator(mapCurrent_, descriptor_, WarmupBudget(steps));
  generator_.Start();
}

// The first half of the steps generates mapCurrent, the second mapNext.
bool Shape::WarmupStep() {
  if (UsesGenerator()) generator_.Slice(true);
  if (warmupCount_ == warmupSteps_ / 2) {
    ClampToMapRange(mapCurrent_);
    RandomizeDescriptor(descriptor_, settings_.modeHeight);
    if (HasMaps()) {
      SetUpGenerator(mapNext_, descriptor_, WarmupBudget(warmupSteps_));
      generator_.Start();
    }
  }
  ++warmupCount_;
  return warmupCount_ > warmupSteps_;
}

}  // namespace zm

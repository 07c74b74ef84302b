#include "render/shape.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "base/file_system.h"
#include "base/notice.h"
#include "render/height_map.h"
#include "render/pattern_state_file.h"
#include "render/shape_timing.h"
#include "settings/atomic_file.h"

// The engine's maps, its animation (steps, phase, the generator's slices,
// the warm-up) and its pattern state file. Its palettes and frames are in
// shape_render.cpp.
namespace zm {

Shape::Shape() = default;

Shape::~Shape() { FreeMaps(); }

bool Shape::HasMaps() const {
  return !mapPrevious_.empty() && !mapCurrent_.empty() && !mapNext_.empty();
}

void Shape::FreeMaps() {
  generator_.Setup(nullptr, 0, 0, heightScale_, nullptr, 1);
  generatorSet_ = false;
  std::vector<MapValue>().swap(mapPrevious_);
  std::vector<MapValue>().swap(mapCurrent_);
  std::vector<MapValue>().swap(mapNext_);
}

// Three maps of the present size, all zero (a valid map: every front at 0);
// none when the size is empty.
void Shape::AllocateMaps() {
  FreeMaps();
  if (width_ <= 0 || height_ <= 0) return;
  const size_t count = static_cast<size_t>(width_) * static_cast<size_t>(height_);
  mapPrevious_.assign(count, 0);
  mapCurrent_.assign(count, 0);
  mapNext_.assign(count, 0);
}

// previous <- current <- next <- the old previous buffer; no values move. The
// generator promises values in 0..1000; holding each finished map to that
// range keeps every colour index inside the tables whatever it delivers.
void Shape::RotateMaps() {
  mapPrevious_.swap(mapCurrent_);
  mapCurrent_.swap(mapNext_);
  ClampToMapRange(mapCurrent_);
}

void Shape::SetUpGenerator(std::span<MapValue> target, PatternDescriptor& descriptor,
                           int32_t frameBudget) {
  generator_.Setup(target.data(), width_, height_, heightScale_, &descriptor, frameBudget);
  generatorSet_ = true;
}

void Shape::RunGeneratorOn(std::span<MapValue> target, PatternDescriptor& descriptor) {
  SetUpGenerator(target, descriptor, 1);
  generator_.RunToEnd();
  ClampToMapRange(target);
}

void Shape::Resize(int32_t width, int32_t height) {
  if (width <= 0 || height <= 0) {
    FreeMaps();
    width_ = height_ = 0;
    return;
  }
  const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
  std::vector<MapValue> spare(count, 0);
  std::vector<MapValue> previous(count, 0);
  std::vector<MapValue> current(count, 0);
  heightScale_ = 480.0 / height;
  if (HasMaps()) {
    ResampleMap(mapPrevious_.data(), width_, height_, previous.data(), width, height);
    ResampleMap(mapCurrent_.data(), width_, height_, current.data(), width, height);
  }
  FreeMaps();
  width_ = width;
  height_ = height;
  // One place ahead: the NextStep(true) that follows rotates the resampled
  // maps back into previous and current and generates into the spare one.
  mapPrevious_ = std::move(spare);
  mapCurrent_ = std::move(previous);
  mapNext_ = std::move(current);
}

namespace {

// The warm-up's frame budget: steps x 10 / 21 (47 for 100 steps), so that
// each of its two maps takes about half of the steps.
int32_t WarmupBudget(int32_t steps) {
  return static_cast<int32_t>(static_cast<int64_t>(steps) * 10 / 21);
}

}  // namespace

void Shape::NextStep(bool force) {
  if (!HasMaps()) return;
  // The new step starts one frame in.
  phase_ = PhaseIncrement(settings_.speed) * lastIntervals_;
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
  SetUpGenerator(mapNext_, descriptor_, FrameBudgetAt(settings_.speed, frameRate_));
  generator_.Start();
}

void Shape::Advance() {
  lastIntervals_ = 1.0;
  phase_ += PhaseIncrement(settings_.speed);
  if (UsesGenerator()) generator_.Slice(pacedByDisplay_);
  if (phase_ > 1.0) NextStep(false);
}

namespace {
// The most slices a late frame may still be owed; more would only make the
// frames after it late as well.
constexpr double kSlicesOwedMax = 8.0;
}  // namespace

void Shape::AdvanceBy(double intervals) {
  if (!(intervals >= 0.0)) intervals = 0.0;
  lastIntervals_ = intervals;
  phase_ += PhaseIncrement(settings_.speed) * intervals;
  if (UsesGenerator()) {
    slicesOwed_ += intervals * frameRate_ / kMotionUnitHz;
    const int slices = slicesOwed_ >= 2.0 ? 2 : 1;
    slicesOwed_ = std::clamp(slicesOwed_ - slices, 0.0, kSlicesOwedMax);
    for (int i = 0; i < slices; ++i) generator_.Slice(pacedByDisplay_);
  }
  if (phase_ > 1.0) NextStep(false);
}

void Shape::SetFrameRate(double hertz) {
  frameRate_ = hertz > 0.0 && hertz < 1e4 ? hertz : kMotionUnitHz;
}

namespace {
// The most one call computes ahead: input is taken up between calls.
constexpr double kAheadUnitMs = 4.0;
}  // namespace

bool Shape::ComputeAhead(double ms) {
  if (!pacedByDisplay_ || !UsesGenerator() || IsStill()) return false;
  const double unit = std::min(ms, kAheadUnitMs);
  // Before any row was timed, one row finds out what a row takes.
  const double fits = msPerRowAhead_ > 0.0 ? unit / msPerRowAhead_ : (unit > 0.0 ? 1.0 : 0.0);
  if (!(fits >= 1.0)) return false;
  const auto rows = static_cast<int32_t>(std::min(fits, double{INT32_MAX}));
  using Clock = std::chrono::steady_clock;
  const Clock::time_point start = Clock::now();
  const int32_t computed = generator_.ComputeRowsAhead(rows);
  if (computed == 0) return false;
  const std::chrono::duration<double, std::milli> took = Clock::now() - start;
  msPerRowAhead_ = took.count() / computed;
  return true;
}

bool Shape::IsStill() const { return PhaseIncrement(settings_.speed) == 0.0 && phase_ <= 1.0; }

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

namespace {

// How many names "<path>.kept", "<path>.kept-2", ... a kept file may take.
constexpr int kKeptNames = 9;

// A file at `path` (or the file a link there names) that is not a state file
// of ours is someone's data: it is kept under a free name of its own before
// the state is written. A link moves aside itself, so its target stays where
// it is; a file is copied, unless it is too large to read. NOTE: under Wine a
// Unix link does not show as one, and renaming it would move its target.
// False when it could not be kept.
bool KeepForeignFile(const std::string& path, std::string* reason) {
  FileSystem& files = Files();
  const ReadResult file = files.ReadFile(path, static_cast<std::size_t>(kStateFileMaxBytes));
  if (file.status != ReadStatus::kTooLarge &&
      (file.status != ReadStatus::kOk || IsOwnStateFile(file.bytes))) {
    return true;  // ours, nothing there, or refused by the write itself
  }
  const std::optional<std::string> target = files.ResolveLinks(path);
  if (!target || !files.CanWriteFile(*target)) return true;  // the write refuses it
  const bool moveAside = *target != path || file.status == ReadStatus::kTooLarge;
  for (int i = 1; i <= kKeptNames; ++i) {
    // Built by appending: GCC 12 warns falsely (-Wrestrict) on "-" + string.
    std::string aside = path + ".kept";
    if (i > 1) aside.append("-").append(std::to_string(i));
    if (files.KindOf(aside) != FileKind::kMissing) continue;
    if (!(moveAside ? files.Rename(path, aside) : WriteFileAtomically(aside, file.bytes))) break;
    Notice(path + " was not a pattern state file: kept as " + aside);
    return true;
  }
  if (reason != nullptr) *reason = path + " is not a pattern state file and cannot be kept";
  return false;
}

}  // namespace

bool Shape::SaveState(const std::string& path, std::string* reason) const {
  if (!HasMaps()) {
    if (reason != nullptr) *reason = "no pattern to store";
    return false;  // nothing worth replacing a stored pattern with
  }
  if (!KeepForeignFile(path, reason)) return false;
  return WriteFileAtomically(path, EncodePatternState(width_, height_, mapPrevious_, mapCurrent_),
                             reason);
}

bool Shape::LoadState(const std::string& path) {
  phase_ = PhaseIncrement(settings_.speed);
  const int32_t oldWidth = width_;
  const int32_t oldHeight = height_;

  // No file, or nothing a regular file: the caller warms up a first pattern.
  ReadResult file = Files().ReadFile(path, static_cast<std::size_t>(kStateFileMaxBytes));
  if (file.status != ReadStatus::kOk && file.status != ReadStatus::kTooLarge) return false;
  std::optional<PatternState> state = ReadPatternState(file.bytes);
  file.bytes = std::string();

  FreeMaps();
  if (!state) {
    // Unusable file: fresh palettes and maps at the size the engine had (no
    // maps at all if it had none).
    width_ = oldWidth;
    height_ = oldHeight;
    Reset();
    return false;
  }
  width_ = state->width;
  height_ = state->height;
  InitPalettes();
  mapPrevious_ = std::move(state->previous);
  mapCurrent_ = std::move(state->current);
  mapNext_.assign(mapCurrent_.size(), 0);
  // Continue with the stored pair and generate the next map paced, as in a
  // running saver.
  StartPacedGenerator();
  return true;
}

}  // namespace zm

#pragma once

#include <cstdint>
#include <memory>

#include "render/height_map.h"
#include "render/pattern_descriptor.h"
#include "render/pattern_switches.h"

namespace zm {

class WorkerPool;

namespace generator {
struct GeneratorState;
}

// 1 - 2 * r15 / 32767 with a 15-bit draw: a value in [-1, 1].
double UniformSigned();

// Draws harmonicStep, contrast, phaseOn, exponent and the four harmonics;
// for a video mode less than 480 rows high the profile keeps its first two
// harmonics only.
void RandomizeDescriptor(PatternDescriptor& descriptor, int32_t modeHeight = 480);

// A read-only view of a pattern generator's progress and pacing, for tests
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
  // The raw heights (width x height, row-major), before the normalisation.
  const float* rawHeights = nullptr;
  bool done = false;
};

// A pattern generator: it fills one target map at a time from a descriptor,
// in slices (the profile, its normalisation, the rows, the map's
// normalisation) paced over a frame budget, or all at once. Each engine has
// its own; they share the worker pool (see SharedWorkers), one after the
// other on the calling thread.
class PatternGenerator {
 public:
  PatternGenerator();
  ~PatternGenerator();
  PatternGenerator(const PatternGenerator&) = delete;
  PatternGenerator& operator=(const PatternGenerator&) = delete;

  // Points the generator at a map of width x height values and a descriptor
  // (whose scale becomes `scale`); its slices do nothing until Start. The
  // rows are spread over frameBudget slices less the ones the other stages
  // keep. A null target stops it writing anywhere.
  void Setup(MapValue* target, int32_t width, int32_t height, double scale,
             PatternDescriptor* descriptor, int32_t frameBudget);
  void Start();
  // One slice. Unless noWait, a slice that computes no rows waits out the
  // cycle budget, so that every frame costs about the same.
  void Slice(bool noWait);
  // Computes up to `rows` of the map's rows before the slices come to them,
  // in time the caller has to spare; the row slices that follow compute that
  // many fewer, so the map is the same and done no later. Only the rows
  // stage goes ahead: elsewhere it computes nothing. Returns the rows
  // computed.
  int32_t ComputeRowsAhead(int32_t rows);
  // Start, then every slice at once.
  void RunToEnd();
  bool Done() const;

  GeneratorProgress Inspect() const;
  // The switches drawn by the last Start.
  const PatternSwitches& Switches() const;

 private:
  std::unique_ptr<generator::GeneratorState> state_;
};

// The generators pace their slices on the processor's time-stamp counter
// (CycleCount). Tests replace the counter with a fake one to drive the
// pacing deterministically; nullptr restores the real one. A generator's
// budget measured on another counter is measured again.
using GeneratorCounterFn = uint64_t (*)();
void SetGeneratorCounter(GeneratorCounterFn counter);

// The generators share the pixels of each large row slice out over a pool of
// worker threads: one thread per core, the calling one included, and none
// besides it on a single core. The pool starts with the first slice that
// needs it and ends with the program. Every thread count gives the same
// maps, value for value.
//
// Tests and benchmarks force the count (1 works alone); 0 restores one
// thread per core.
void SetGeneratorThreads(int32_t threads);

// The pixel loop takes two shortcuts: a pattern whose height is even in x has
// only its left half computed and mirrored into the right one (see
// ComputedColumns), and the pixels of a row are computed in groups, side by
// side. The maps are the same value for value. Tests compute every pixel on
// its own (true) to compare the two; false restores the shortcuts.
void SetPlainPixelLoop(bool plain);

// Each pixel's chain of operations runs in double precision with a bound on
// its distance from the extended-precision value; where a rounding or a
// truncation lies within that bound, the pixel is computed again in extended
// precision. The maps are the same value for value. Tests and benchmarks
// force the extended path for every pixel (true) to compare; false restores
// the double path.
void SetExtendedPixelChain(bool extended);

// The double path runs on several pixels at once, one in each lane of the
// vector unit, where the processor has a unit that holds four or eight
// doubles; elsewhere one pixel at a time. Tests and benchmarks force the
// lanes' width: 1 (one pixel at a time, the reference the lanes follow), 4
// or 8 (where the processor has them, else 1); 0 restores the processor's
// choice. Returns the width now in use.
int32_t SetPixelChainLanes(int32_t lanes);

// Pixels computed on the double path since the last call, and how many of
// them fell back to the extended path (counted while the double path runs).
struct PixelChainCounts {
  uint64_t guarded;
  uint64_t fallback;
};
PixelChainCounts TakePixelChainCounts();

// The threads a large row slice uses: the running pool's, or the count the
// pool would start with.
int32_t GeneratorThreads();

// The pool, which the engines' frame composition shares (all of it runs on
// the calling thread, one after the other), started if need be; null when
// one thread is all there is.
WorkerPool* SharedWorkers();

}  // namespace zm

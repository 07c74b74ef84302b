#include <algorithm>
#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "render/generator_state.h"
#include "render/pattern_generator.h"
#include "render/raw_height.h"
#include "render/worker_pool.h"

// Stage 3 of the generator: the raw heights of a few rows. Each pixel's
// height depends only on its row, its column and the pattern, so the pixels
// of a slice are shared out in runs over the worker threads; the extremes of
// the runs are combined in pixel order afterwards, which gives the same
// valueMax and valueMin as one thread going through them.
namespace zm::generator {

namespace {

// Pixels one thread takes at a time (about 0.2 ms of work): small enough that
// the threads finish a slice together, large enough that taking the next run
// costs nothing next to it.
constexpr int64_t kRunPixels = 1024;
// A slice of fewer pixels is not worth waking a worker for.
constexpr int64_t kSpreadPixels = 2 * kRunPixels;
constexpr int32_t kMaxThreads = 64;

// The threads for the row slices (0: one per core) and their pool, started
// on first use and joined when the program ends.
struct Workers {
  int32_t threads = 0;
  std::unique_ptr<WorkerPool> pool;
};

Workers& TheWorkers() {
  static Workers workers;
  return workers;
}

// Threads for the row slices: the forced count, or one per core.
int32_t WantedThreads() {
  if (TheWorkers().threads > 0) return TheWorkers().threads;
  const auto cores =
      static_cast<int32_t>(std::min<unsigned>(std::thread::hardware_concurrency(), kMaxThreads));
  return std::max(cores, 1);
}

// Computed pixels 0 .. pixels - 1 of the slice in runs, as many threads at a
// time as the pool has; each run's extremes are kept apart and combined in
// order.
HeightRange SpreadRuns(const GeneratorState& g, WorkerPool& pool, int64_t pixels,
                       HeightRange seed) {
  const int64_t runs = (pixels + kRunPixels - 1) / kRunPixels;
  std::vector<HeightRange> found(static_cast<size_t>(runs), seed);
  std::atomic<int64_t> nextRun{0};
  const int32_t threads = static_cast<int32_t>(std::min<int64_t>(pool.Threads(), runs));
  pool.Run(threads, [&](int32_t) {
    for (int64_t run; (run = nextRun.fetch_add(1, std::memory_order_relaxed)) < runs;) {
      const int64_t first = run * kRunPixels;
      found[static_cast<size_t>(run)] =
          ComputePixelRun(g, first, std::min(first + kRunPixels, pixels), seed);
    }
  });
  HeightRange range = seed;
  for (const HeightRange& r : found) {
    if (r.high > range.high) range.high = r.high;
    if (r.low < range.low) range.low = r.low;
  }
  return range;
}

}  // namespace

void ComputeRows(GeneratorState& g, int32_t rows) {
  if (rows <= 0) return;
  if (g.nextRow == 0) FillColumnX(g);
  const int32_t end = static_cast<int32_t>(std::min<int64_t>(int64_t{g.nextRow} + rows, g.height));
  const int64_t computed = int64_t{end - g.nextRow} * ComputedColumns(g);
  const HeightRange seed{g.valueMax, g.valueMin};
  WorkerPool* pool = computed >= kSpreadPixels ? SharedWorkers() : nullptr;
  const HeightRange range = pool != nullptr ? SpreadRuns(g, *pool, computed, seed)
                                            : ComputePixelRun(g, 0, computed, seed);
  g.valueCount += static_cast<size_t>(end - g.nextRow) * static_cast<size_t>(g.width);
  g.valueMax = range.high;
  g.valueMin = range.low;
  g.nextRow = static_cast<int32_t>(std::min<int64_t>(int64_t{g.nextRow} + rows, INT32_MAX));
}

}  // namespace zm::generator

namespace zm {

void SetGeneratorThreads(int32_t threads) {
  generator::Workers& w = generator::TheWorkers();
  w.threads = std::clamp(threads, 0, generator::kMaxThreads);
  // A pool of another size is joined now; the next large slice starts one
  // of the new size.
  if (w.pool && w.pool->Threads() != generator::WantedThreads()) w.pool.reset();
}

WorkerPool* SharedWorkers() {
  const int32_t wanted = generator::WantedThreads();
  if (wanted <= 1) return nullptr;
  generator::Workers& w = generator::TheWorkers();
  if (!w.pool) w.pool = std::make_unique<WorkerPool>(wanted - 1);
  return w.pool.get();
}

int32_t GeneratorThreads() {
  const generator::Workers& w = generator::TheWorkers();
  return w.pool ? w.pool->Threads() : generator::WantedThreads();
}

}  // namespace zm

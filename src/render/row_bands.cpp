#include "render/row_bands.h"

#include <algorithm>
#include <atomic>

#include "render/pattern_generator.h"
#include "render/worker_pool.h"

namespace zm {

namespace {

// Pixels of one band (about 0.1 ms of composition): enough bands that the
// threads end a frame together, few enough that taking one costs nothing.
constexpr int64_t kBandPixels = 64 * 1024;
// A frame of fewer pixels is not worth waking a worker for.
constexpr int64_t kSpreadPixels = 2 * kBandPixels;

}  // namespace

void DrawInBands(int32_t rows, int32_t columns, const DrawRows& draw) {
  if (rows <= 0) return;
  const int64_t pixels = int64_t{rows} * std::max(columns, 1);
  WorkerPool* pool = pixels >= kSpreadPixels ? SharedWorkers() : nullptr;
  if (pool == nullptr) {
    draw(0, rows);
    return;
  }
  const auto bandRows =
      static_cast<int32_t>(std::clamp<int64_t>(kBandPixels / std::max(columns, 1), 1, rows));
  const int32_t bands = (rows + bandRows - 1) / bandRows;
  std::atomic<int32_t> nextBand{0};
  pool->Run(std::min(pool->Threads(), bands), [&](int32_t) {
    for (int32_t band; (band = nextBand.fetch_add(1, std::memory_order_relaxed)) < bands;) {
      const int32_t first = band * bandRows;
      draw(first, std::min(first + bandRows, rows));
    }
  });
}

}  // namespace zm

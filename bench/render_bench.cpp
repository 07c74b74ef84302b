// Frame rendering against a memory-traffic baseline, the palette step and one
// paced frame advance.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <span>
#include <vector>

#if defined(__x86_64__)
#include <emmintrin.h>
#endif

#include "base/random_source.h"
#include "materials/material_choice.h"
#include "materials/material_curves.h"
#include "render/bitmap32.h"
#include "render/row_kernel.h"
#include "render/shape.h"
#include "render/trig_tables.h"

namespace zm {
namespace {

using Clock = std::chrono::steady_clock;

void StartProgram() {
  static const bool started = [] {
    SeedRandom(12345);
    BuildTrigTables();
    BuildMaterialCurves();
    SelectAllColors();
    return true;
  }();
  (void)started;
}

// Smooth fronts like the generator's: rings around two centres.
void FillRings(std::span<MapValue> map, int32_t w, int32_t h, int32_t cx, int32_t cy) {
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) {
      const int64_t dx = x - cx, dy = y - cy;
      map[static_cast<size_t>(y) * w + x] = static_cast<MapValue>((dx * dx + dy * dy) / 97 % 1001);
    }
}

// What any frame costs at least: both maps read, every pixel written, with
// plain loads and stores.
void MemoryBaseline(const MapValue* current, const MapValue* previous, const BitmapView& bitmap) {
  const int32_t width = bitmap.width;
  for (int32_t y = 0; y < bitmap.height; ++y) {
    const size_t offset = static_cast<size_t>(y) * width;
    const MapValue* in0 = current + offset;
    const MapValue* in1 = previous + offset;
    uint32_t* out = bitmap.Row(y);
    for (int32_t x = 0; x < width; ++x)
      out[x] = static_cast<uint16_t>(in0[x]) | static_cast<uint32_t>(static_cast<uint16_t>(in1[x]))
                                                   << 16;
  }
}

#if defined(__x86_64__)
// The same traffic 8 pixels at a time (SSE2, present on every x86-64): closer
// to what the memory itself allows.
void MemoryBaselineVector(const MapValue* current, const MapValue* previous,
                          const BitmapView& bitmap) {
  const int32_t width = bitmap.width;
  for (int32_t y = 0; y < bitmap.height; ++y) {
    const size_t offset = static_cast<size_t>(y) * width;
    uint32_t* out = bitmap.Row(y);
    int32_t x = 0;
    for (; x + 8 <= width; x += 8) {
      const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(current + offset + x));
      const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(previous + offset + x));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), _mm_unpacklo_epi16(a, b));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x + 4), _mm_unpackhi_epi16(a, b));
    }
    for (; x < width; ++x)
      out[x] = static_cast<uint16_t>(current[offset + x]) |
               static_cast<uint32_t>(static_cast<uint16_t>(previous[offset + x])) << 16;
  }
}
#endif

struct Frame {
  Frame(int32_t w, int32_t h) : bitmap(w, h) {
    StartProgram();
    shape.Configure({.speed = 1.7});
    shape.Resize(w, h);
    FillRings(shape.MapCurrent(), w, h, w / 3, h / 2);
    FillRings(shape.MapPrevious(), w, h, 2 * w / 3, h / 3);
    shape.InitPalettes();
  }
  Shape shape;
  Bitmap32 bitmap;
};

// Times one call in seconds.
template <typename Call>
double Timed(Call&& call) {
  const Clock::time_point start = Clock::now();
  call();
  benchmark::ClobberMemory();
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// The rows of one frame (RenderToBitmap without its Advance), each pass
// alternated with the baselines over the same maps and bitmap. vs_baseline
// is the ratio to the plain baseline, vs_vector_baseline to the SSE2 one.
void RenderFrameVsBaseline(benchmark::State& state, RowKernel32 kernel) {
  Frame frame(static_cast<int32_t>(state.range(0)), static_cast<int32_t>(state.range(1)));
  ForceRowKernel(kernel);
  const BitmapView view = frame.bitmap.View();
  const MapValue* current = frame.shape.MapCurrent().data();
  const MapValue* previous = frame.shape.MapPrevious().data();
  double render = 0, baseline = 0, vector = 0;
  int32_t step = 0;
  for (auto _ : state) {
    frame.shape.SetPhase((step++ % 334) * 0.003);
    render += Timed([&] { frame.shape.RenderFrame(view); });
    state.PauseTiming();
    baseline += Timed([&] { MemoryBaseline(current, previous, view); });
#if defined(__x86_64__)
    vector += Timed([&] { MemoryBaselineVector(current, previous, view); });
#endif
    state.ResumeTiming();
  }
  ForceRowKernel(nullptr);
  const double n = static_cast<double>(state.iterations());
  state.counters["render_ms"] = render / n * 1e3;
  state.counters["baseline_ms"] = baseline / n * 1e3;
  state.counters["vs_baseline"] = render / baseline;
  if (vector > 0) state.counters["vs_vector_baseline"] = render / vector;
}

// The kernel this processor gets, then each kernel by itself.
void BM_RenderFrame(benchmark::State& state) { RenderFrameVsBaseline(state, nullptr); }
void BM_RenderFramePlain(benchmark::State& state) {
  RenderFrameVsBaseline(state, RenderRow32Scalar);
}
#if defined(__x86_64__)
void BM_RenderFrameSse2(benchmark::State& state) { RenderFrameVsBaseline(state, RenderRow32Sse2); }
void BM_RenderFrameSse41(benchmark::State& state) {
  if (!Sse41Available()) {
    state.SkipWithError("no SSE4.1");
    return;
  }
  RenderFrameVsBaseline(state, RenderRow32Sse41);
}
void BM_RenderFrameSse41Streaming(benchmark::State& state) {
  if (!Sse41Available()) {
    state.SkipWithError("no SSE4.1");
    return;
  }
  RenderFrameVsBaseline(state, RenderRow32Sse41Streaming);
}
#endif

void BM_MemoryBaseline(benchmark::State& state) {
  Frame frame(static_cast<int32_t>(state.range(0)), static_cast<int32_t>(state.range(1)));
  const BitmapView view = frame.bitmap.View();
  for (auto _ : state) {
    MemoryBaseline(frame.shape.MapCurrent().data(), frame.shape.MapPrevious().data(), view);
    benchmark::ClobberMemory();
  }
}

#if defined(__x86_64__)
void BM_MemoryBaselineVector(benchmark::State& state) {
  Frame frame(static_cast<int32_t>(state.range(0)), static_cast<int32_t>(state.range(1)));
  const BitmapView view = frame.bitmap.View();
  for (auto _ : state) {
    MemoryBaselineVector(frame.shape.MapCurrent().data(), frame.shape.MapPrevious().data(), view);
    benchmark::ClobberMemory();
  }
}
#endif

// The whole RenderToBitmap call. At speed 0 no step ends, and this engine
// has not set up the generator, so Advance paces nothing: the frame plus the
// call's bookkeeping.
void BM_RenderToBitmap(benchmark::State& state) {
  Frame frame(static_cast<int32_t>(state.range(0)), static_cast<int32_t>(state.range(1)));
  const BitmapView view = frame.bitmap.View();
  frame.shape.Configure({.speed = 0.0});
  frame.shape.SetPhase(0.5);
  for (auto _ : state) {
    frame.shape.RenderToBitmap(view);
    benchmark::ClobberMemory();
  }
}

void BM_NextPalette(benchmark::State& state) {
  StartProgram();
  Shape shape;
  shape.InitPalettes();
  for (auto _ : state) {
    shape.NextPalette();
    benchmark::DoNotOptimize(shape.ColorTable32().data());
  }
}

// A resize from 1280 x 720 to 1920 x 1080 (bilinear, both maps), as when the
// stored state was saved at another size.
void BM_ResizeTo1080(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    Frame frame(1280, 720);
    state.ResumeTiming();
    frame.shape.Resize(1920, 1080);
  }
}

// The step itself at 1920 x 1080: a new palette, the maps rotated (the new
// current map held to 0..1000) and the generator started on the freed one.
void BM_NextStep(benchmark::State& state) {
  Frame frame(1920, 1080);
  for (auto _ : state) frame.shape.NextStep(true);
}

// One frame's Advance in a running saver: the phase, one paced generator
// slice and, every 196 frames, the step with its new palette.
void BM_AdvancePaced(benchmark::State& state) {
  Frame frame(static_cast<int32_t>(state.range(0)), static_cast<int32_t>(state.range(1)));
  frame.shape.PrepareNow();
  frame.shape.NextStep(false);
  for (auto _ : state) frame.shape.Advance();
}

// A first start's two maps: the warm-up's 100 paced steps against the same
// two maps computed straight through.
void BM_FirstPatternWarmup(benchmark::State& state) {
  StartProgram();
  for (auto _ : state) {
    Shape shape;
    shape.Resize(static_cast<int32_t>(state.range(0)), static_cast<int32_t>(state.range(1)));
    shape.BeginWarmup(100);
    for (int32_t i = 0; i < 100; ++i) shape.WarmupStep();
  }
}

void BM_FirstPatternStraight(benchmark::State& state) {
  StartProgram();
  for (auto _ : state) {
    Shape shape;
    shape.Resize(static_cast<int32_t>(state.range(0)), static_cast<int32_t>(state.range(1)));
    shape.PrepareNow();
  }
}

#define FRAME_SIZES Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMillisecond)

BENCHMARK(BM_RenderFrame)->FRAME_SIZES;
BENCHMARK(BM_RenderFramePlain)->FRAME_SIZES;
#if defined(__x86_64__)
BENCHMARK(BM_RenderFrameSse2)->FRAME_SIZES;
BENCHMARK(BM_RenderFrameSse41)->FRAME_SIZES;
BENCHMARK(BM_RenderFrameSse41Streaming)->FRAME_SIZES;
#endif
BENCHMARK(BM_MemoryBaseline)->FRAME_SIZES;
#if defined(__x86_64__)
BENCHMARK(BM_MemoryBaselineVector)->FRAME_SIZES;
#endif
BENCHMARK(BM_RenderToBitmap)->FRAME_SIZES;
BENCHMARK(BM_NextPalette)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ResizeTo1080)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NextStep)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FirstPatternWarmup)->FRAME_SIZES->UseRealTime();
BENCHMARK(BM_FirstPatternStraight)->FRAME_SIZES->UseRealTime();
BENCHMARK(BM_AdvancePaced)->FRAME_SIZES->MinTime(3.0)->UseRealTime();

}  // namespace
}  // namespace zm

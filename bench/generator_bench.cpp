#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

#include "base/random_source.h"
#include "render/pattern_descriptor.h"
#include "render/pattern_generator.h"
#include "render/trig_tables.h"

namespace zm {
namespace {

// One whole map, unpaced, from a fresh pattern each iteration (the seeds
// repeat, so every size sees the same mix of patterns), on 1, 2 or one thread
// per core (0).
void BM_GeneratorWholeMap(benchmark::State& state) {
  const auto width = static_cast<int32_t>(state.range(0));
  const auto height = static_cast<int32_t>(state.range(1));
  SetGeneratorThreads(static_cast<int32_t>(state.range(2)));
  BuildTrigTables();
  std::vector<MapValue> map(static_cast<size_t>(width) * height);
  PatternDescriptor descriptor;
  PatternGenerator generator;
  uint32_t seed = 0;
  for (auto _ : state) {
    SeedRandom(++seed % 16);
    RandomizeDescriptor(descriptor);
    generator.Setup(map.data(), width, height, 480.0 / height, &descriptor, 1);
    generator.RunToEnd();
    benchmark::DoNotOptimize(map.data());
  }
  const double megapixels = static_cast<double>(width) * height * 1e-6;
  state.counters["MP/s"] = benchmark::Counter(megapixels * static_cast<double>(state.iterations()),
                                              benchmark::Counter::kIsRate);
  state.counters["threads"] = GeneratorThreads();
  SetGeneratorThreads(0);
}
BENCHMARK(BM_GeneratorWholeMap)
    ->ArgsProduct({{640}, {480}, {1, 2, 0}})
    ->ArgsProduct({{1920}, {1080}, {1, 2, 0}})
    ->ArgsProduct({{3840}, {2160}, {1, 2, 0}})
    ->ArgNames({"w", "h", "threads"})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0)
    ->UseRealTime();

// The sixteen patterns of the seeds above as whole maps on one thread, with
// the pixel loop's shortcuts (1: mirrored half rows where a pattern allows
// them, pixels in groups) and with every pixel computed on its own (0).
void BM_GeneratorShortcuts(benchmark::State& state) {
  constexpr int32_t kWidth = 960;
  constexpr int32_t kHeight = 540;
  SetGeneratorThreads(1);
  SetPlainPixelLoop(state.range(0) == 0);
  BuildTrigTables();
  std::vector<MapValue> map(static_cast<size_t>(kWidth) * kHeight);
  PatternDescriptor descriptor;
  PatternGenerator generator;
  for (auto _ : state) {
    for (uint32_t seed = 0; seed < 16; ++seed) {
      SeedRandom(seed);
      RandomizeDescriptor(descriptor);
      generator.Setup(map.data(), kWidth, kHeight, 480.0 / kHeight, &descriptor, 1);
      generator.RunToEnd();
      benchmark::DoNotOptimize(map.data());
    }
  }
  SetPlainPixelLoop(false);
  SetGeneratorThreads(0);
}
BENCHMARK(BM_GeneratorShortcuts)
    ->Arg(0)
    ->Arg(1)
    ->ArgName("shortcuts")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Runs f with the stack moved down by `offset` bytes, so that the frames of
// what it calls sit at another alignment (the x87 code's time depends on it).
template <typename F>
[[gnu::noinline]] void WithStackOffset(int offset, const F& f) {
  auto* pad = static_cast<volatile char*>(__builtin_alloca(static_cast<size_t>(offset) + 1));
  pad[0] = 0;
  f();
}

// The sixteen patterns as whole 1920x1080 maps, each pixel's chain on the
// extended path alone (path 0) or on the double path with its guard: one
// pixel at a time (1) or in lanes of 4 or 8 (where the processor has them;
// "lanes" says the width that ran), on one thread or one per core (0), at
// two stack layouts. "per_map" is the mean time of one map, "fallback%" the
// share of pixels the guard sent to the extended path.
void BM_GeneratorPixelChain(benchmark::State& state) {
  constexpr int32_t kWidth = 1920;
  constexpr int32_t kHeight = 1080;
  SetExtendedPixelChain(state.range(0) == 0);
  const int32_t lanes =
      SetPixelChainLanes(static_cast<int32_t>(std::max<int64_t>(state.range(0), 1)));
  SetGeneratorThreads(static_cast<int32_t>(state.range(1)));
  BuildTrigTables();
  std::vector<MapValue> map(static_cast<size_t>(kWidth) * kHeight);
  PatternDescriptor descriptor;
  PatternGenerator generator;
  TakePixelChainCounts();
  int64_t maps = 0;
  for (auto _ : state) {
    for (uint32_t seed = 0; seed < 16; ++seed) {
      SeedRandom(seed);
      RandomizeDescriptor(descriptor);
      generator.Setup(map.data(), kWidth, kHeight, 480.0 / kHeight, &descriptor, 1);
      WithStackOffset(static_cast<int>(state.range(2)), [&] { generator.RunToEnd(); });
      benchmark::DoNotOptimize(map.data());
      ++maps;
    }
  }
  const PixelChainCounts counts = TakePixelChainCounts();
  state.counters["per_map"] = benchmark::Counter(
      static_cast<double>(maps), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  state.counters["fallback%"] =
      counts.guarded > 0 ? 100.0 * static_cast<double>(counts.fallback) / counts.guarded : 0.0;
  state.counters["threads"] = GeneratorThreads();
  state.counters["lanes"] = state.range(0) == 0 ? 0 : lanes;
  SetExtendedPixelChain(false);
  SetPixelChainLanes(0);
  SetGeneratorThreads(0);
}
BENCHMARK(BM_GeneratorPixelChain)
    ->ArgsProduct({{0, 1, 4, 8}, {1, 0}, {0, 40}})
    ->ArgNames({"path", "threads", "stack"})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
}  // namespace zm

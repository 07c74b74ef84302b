#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "render/bitmap32.h"
#include "render/pattern_generator.h"
#include "render/row_kernel.h"
#include "render/shape.h"
#include "render/shape_test_support.h"
#include "settings/saver_settings.h"

namespace zm::testing {
namespace {

class ShapeRenderTest : public ShapeTest {
 protected:
  // A w x h engine with the given maps and colour table entries equal to
  // their index.
  void Prepare(int32_t w, int32_t h, const std::vector<MapValue>& current,
               const std::vector<MapValue>& previous) {
    shape.Resize(w, h);
    Fill(shape.MapCurrent(), current);
    Fill(shape.MapPrevious(), previous);
    UseIndexColours(shape);
  }

  std::vector<uint32_t> RenderRow(int32_t y) {
    std::vector<uint32_t> row(shape.Width());
    shape.RenderRow32(row.data(), y);
    return row;
  }

  Shape shape;
};

TEST_F(ShapeRenderTest, ColourIndexFollowsTheFrontInBothBanks) {
  Prepare(4, 1, {0, 300, 700, 1000}, {900, 900, 900, 0});

  shape.SetPhase(0.5);  // the worked example: t = 500
  EXPECT_EQ(RenderRow(0), (std::vector<uint32_t>{500, 200, 2616, 3516}));

  shape.SetPhase(1.0);  // every front has passed: bank A only
  EXPECT_EQ(RenderRow(0), (std::vector<uint32_t>{1000, 700, 300, 0}));

  shape.SetPhase(0.0);  // only a front at 0 has passed
  EXPECT_EQ(RenderRow(0), (std::vector<uint32_t>{0, 2116, 2116, 3016}));
}

TEST_F(ShapeRenderTest, PhaseOutsideTheStepStaysInsideTheTables) {
  Prepare(2, 1, {0, 1000}, {1000, 0});
  for (double phase : {-3.0, 7.5, std::nan("")}) {
    shape.SetPhase(phase);
    for (uint32_t index : RenderRow(0)) EXPECT_LT(index, uint32_t(kColorTableSize)) << phase;
  }
  shape.SetPhase(7.5);
  EXPECT_EQ(RenderRow(0), (std::vector<uint32_t>{1000, 0}));
}

TEST_F(ShapeRenderTest, ColourIsContinuousAcrossAStepBoundary) {
  const int32_t w = 24, h = 16;
  shape.Resize(w, h);
  shape.InitPalettes();
  Fill(shape.MapPrevious(), PatternValues(w * h, 1));
  Fill(shape.MapCurrent(), PatternValues(w * h, 2));
  // The next step's fronts all come after its start.
  std::vector<MapValue> next = PatternValues(w * h, 3);
  for (MapValue& v : next) v = std::max<MapValue>(v, 1);
  Fill(shape.MapNext(), next);

  Bitmap32 before(w, h), after(w, h);
  shape.SetPhase(1.0);
  shape.RenderFrame(before.View());
  shape.NextStep(true);
  shape.SetPhase(0.0);
  shape.RenderFrame(after.View());
  EXPECT_EQ(before.Pixels(), after.Pixels());
}

// Every kernel this processor can run, named.
std::vector<std::pair<const char*, RowKernel32>> VectorKernels() {
  std::vector<std::pair<const char*, RowKernel32>> kernels;
#if defined(__x86_64__)
  kernels.push_back({"sse2", RenderRow32Sse2});
  if (Sse41Available()) {
    kernels.push_back({"sse4.1", RenderRow32Sse41});
    kernels.push_back({"sse4.1, past the caches", RenderRow32Sse41Streaming});
  }
#endif
  return kernels;
}

TEST_F(ShapeRenderTest, VectorAndScalarKernelsGiveIdenticalPixels) {
  if (VectorKernels().empty()) GTEST_SKIP() << "no vector kernel on this processor";
  std::vector<uint32_t> colours(kColorTableSize);
  for (int32_t i = 0; i < kColorTableSize; ++i) colours[i] = 0x9E3779B9u * (i + 1);
  const std::vector<MapValue> current = PatternValues(100, 7);
  std::vector<MapValue> previous = PatternValues(100, 8);
  previous[0] = 0;
  previous[1] = kMapMax;
  for (const auto& [name, kernel] : VectorKernels()) {
    for (int32_t t : {0, 1, 499, 500, 999, 1000}) {
      for (int32_t count = 0; count <= 67; ++count) {
        std::vector<uint32_t> scalar(count + 1, 7), vector(count + 1, 7);
        RenderRow32Scalar(current.data(), previous.data(), count, t, colours.data(), scalar.data());
        kernel(current.data(), previous.data(), count, t, colours.data(), vector.data());
        ASSERT_EQ(scalar, vector) << name << " t " << t << " count " << count;
      }
    }
  }
}

TEST_F(ShapeRenderTest, EveryKernelDrawsTheSameFrame) {
  const int32_t w = 1931, h = 7;  // a width that leaves a tail after every vector pass
  Prepare(w, h, PatternValues(w * h, 11), PatternValues(w * h, 12));
  shape.InitPalettes();
  shape.SetPhase(0.437);
  Bitmap32 plain(w, h);
  ForceRowKernel(RenderRow32Scalar);
  shape.RenderFrame(plain.View());
  for (const auto& [name, kernel] : VectorKernels()) {
    Bitmap32 fast(w, h);
    ForceRowKernel(kernel);
    shape.RenderFrame(fast.View());
    EXPECT_EQ(fast.Pixels(), plain.Pixels()) << name;
  }
  ForceRowKernel(nullptr);
  Bitmap32 chosen(w, h);
  shape.RenderFrame(chosen.View());
  EXPECT_EQ(chosen.Pixels(), plain.Pixels());
}

// Large frames are composed in bands over the worker threads: any count
// gives the frame of one thread, pixel for pixel, also bottom-up.
TEST_F(ShapeRenderTest, FramesOnOneTwoThreeAndFiveThreadsAreIdentical) {
  const int32_t w = 701, h = 389;  // bands of uneven size
  Prepare(w, h, PatternValues(w * h, 21), PatternValues(w * h, 22));
  shape.InitPalettes();
  shape.SetPhase(0.613);
  std::vector<uint32_t> alone;
  for (int32_t threads : {1, 2, 3, 5}) {
    SetGeneratorThreads(threads);
    Bitmap32 frame(w, h);
    std::vector<uint32_t> upside(static_cast<size_t>(w) * h);
    const BitmapView bottomUp{
        reinterpret_cast<uint8_t*>(upside.data() + static_cast<size_t>(h - 1) * w),
        -ptrdiff_t{w} * 4, w, h};
    shape.RenderFrame(frame.View());
    shape.RenderFrame(bottomUp);
    if (alone.empty()) alone = frame.Pixels();
    EXPECT_EQ(frame.Pixels(), alone) << threads << " threads";
    for (int32_t y = 0; y < h; y += 97) {
      ASSERT_TRUE(std::equal(bottomUp.Row(y), bottomUp.Row(y) + w,
                             alone.begin() + static_cast<ptrdiff_t>(y) * w))
          << threads << " threads, row " << y;
    }
  }
  SetGeneratorThreads(0);
}

TEST_F(ShapeRenderTest, BottomUpBitmapGetsRowZeroLast) {
  Prepare(3, 2, {0, 0, 0, 1000, 1000, 1000}, {0, 0, 0, 0, 0, 0});
  shape.SetPhase(1.0);
  std::vector<uint32_t> pixels(6, 0);
  BitmapView view;
  view.firstRow = reinterpret_cast<uint8_t*>(pixels.data() + 3);
  view.pitch = -12;
  view.width = 3;
  view.height = 2;
  shape.RenderFrame(view);
  EXPECT_EQ(pixels, (std::vector<uint32_t>{0, 0, 0, 1000, 1000, 1000}));
}

TEST_F(ShapeRenderTest, FrameStaysInsideBothBitmapAndMaps) {
  Prepare(3, 3, std::vector<MapValue>(9, 0), std::vector<MapValue>(9, 0));
  shape.SetPhase(0.25);
  Bitmap32 narrow(2, 5);
  for (int32_t y = 0; y < 5; ++y) std::fill(narrow.Row(y), narrow.Row(y) + 2, 0xEEEEEEEE);
  shape.RenderFrame(narrow.View());
  EXPECT_EQ(narrow.Pixel(1, 2), 250u);
  EXPECT_EQ(narrow.Pixel(1, 3), 0xEEEEEEEEu);  // below the maps: left alone

  Bitmap32 wide(5, 2);
  shape.RenderFrame(wide.View());
  EXPECT_EQ(wide.Pixel(2, 1), 250u);
  EXPECT_EQ(wide.Pixel(3, 1), 0u);
}

TEST_F(ShapeRenderTest, EngineWithoutMapsDrawsNothingButAdvances) {
  Bitmap32 bitmap(4, 4);
  shape.SetPhase(0.5);
  shape.RenderToBitmap(bitmap.View());
  for (uint32_t pixel : bitmap.Pixels()) EXPECT_EQ(pixel, 0u);
  EXPECT_DOUBLE_EQ(shape.Phase(), 0.503);
  std::vector<uint32_t> row(4, 9);
  shape.RenderRow32(row.data(), 0);
  EXPECT_EQ(row, std::vector<uint32_t>(4, 9));
}

}  // namespace
}  // namespace zm::testing

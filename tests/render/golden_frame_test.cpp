// One seed must give the same pictures bit for bit on every build (optimised,
// sanitized, another compiler) and machine: these checksums pin the whole
// chain (random source, tables, curves, generator, palettes, renderer).
//
// When a checksum differs, the test prints the hash of every frame, so two
// builds' outputs can be compared to find the first frame that parts. The row
// kernel can be forced from the environment (ZM_ROW_KERNEL=plain, sse2 or
// sse41) to tell a kernel's fault from the generator's.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "materials/material_choice.h"
#include "render/bitmap32.h"
#include "render/row_kernel.h"
#include "render/shape.h"
#include "settings/saver_settings.h"
#include "shell/startup.h"

namespace zm {
namespace {

uint64_t Fnv1a(const std::vector<uint32_t>& pixels) {
  uint64_t hash = 14695981039346656037ull;
  for (uint32_t p : pixels) {
    for (int b = 0; b < 4; ++b) {
      hash ^= (p >> (8 * b)) & 0xFF;
      hash *= 1099511628211ull;
    }
  }
  return hash;
}

// The kernel named by ZM_ROW_KERNEL, or null for the choice by processor.
RowKernel32 KernelFromEnvironment() {
  const char* name = std::getenv("ZM_ROW_KERNEL");
  const std::string wanted = name != nullptr ? name : "";
  if (wanted == "plain") return RenderRow32Scalar;
#if defined(__x86_64__)
  if (wanted == "sse2") return RenderRow32Sse2;
  if (wanted == "sse41" && Sse41Available()) return RenderRow32Sse41;
#endif
  if (!wanted.empty()) ADD_FAILURE() << "ZM_ROW_KERNEL=" << wanted << " names no kernel here";
  return nullptr;
}

struct FrameHashes {
  uint64_t last = 0;
  std::string list;  // "frame: hash" lines, printed when a checksum differs
};

// The start of a preview run, then `frames` frames.
FrameHashes PreviewHashes(uint32_t seed, int width, int height, int frames) {
  SaverSettings = SaverSettingsRecord{};
  SaverSettings.SHAPE_SPEED = 1.0;
  SelectAllColors();
  PrepareProgram(seed);
  Shape shape;
  shape.Resize(width, height);
  shape.PrepareNow();
  shape.NextStep(false);
  Bitmap32 frame(width, height);
  FrameHashes hashes;
  std::ostringstream list;
  list << std::hex;
  for (int i = 0; i < frames; ++i) {
    shape.RenderToBitmap(frame.View());
    hashes.last = Fnv1a(frame.Pixels());
    list << std::dec << i << ": " << std::hex << hashes.last << "\n";
  }
  hashes.list = list.str();
  return hashes;
}

void ExpectChecksum(uint32_t seed, int width, int height, int frames, uint64_t expected) {
  const FrameHashes hashes = PreviewHashes(seed, width, height, frames);
  EXPECT_EQ(hashes.last, expected) << "seed " << seed << ", " << width << "x" << height
                                   << "; hash of each frame:\n"
                                   << hashes.list;
}

TEST(GoldenFrame, OneSeedGivesTheSamePicturesOnEveryBuild) {
  ForceRowKernel(KernelFromEnvironment());
  ExpectChecksum(1, 64, 48, 1, 0xED03C61F957B194Bull);
  ExpectChecksum(20261208, 96, 40, 400, 0xF10588E62A7581E6ull);  // crosses a step
  ExpectChecksum(86399, 33, 17, 50, 0xEA62654C5CE847BDull);
  ForceRowKernel(nullptr);
}

}  // namespace
}  // namespace zm

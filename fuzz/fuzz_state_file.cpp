// Feeds arbitrary bytes to the engine as a pattern state file, then draws a
// frame with whatever it made of them.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "base/random_source.h"
#include "materials/material_curves.h"
#include "platform/posix/file_system_posix.h"
#include "render/bitmap32.h"
#include "render/shape.h"
#include "render/trig_tables.h"

namespace {

// Larger stored sizes are valid but only slow the run down.
constexpr int64_t kMaxFuzzPixels = 64 * 64;

bool StartProgram() {
  zm::UsePosixFileSystem();
  zm::BuildTrigTables();
  zm::BuildMaterialCurves();
  return true;
}

int32_t HeaderWord(const uint8_t* data) {
  return static_cast<int32_t>(uint32_t{data[0]} | uint32_t{data[1]} << 8 | uint32_t{data[2]} << 16 |
                              uint32_t{data[3]} << 24);
}

bool AsksForALargeMap(const uint8_t* data, size_t size) {
  if (size < 8) return false;
  const int64_t width = HeaderWord(data), height = HeaderWord(data + 4);
  return width > 0 && height > 0 && width * height > kMaxFuzzPixels;
}

const std::string& StatePath() {
  static const std::string path = "/tmp/zm_fuzz_state_" + std::to_string(getpid()) + ".par";
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool started = StartProgram();
  (void)started;
  if (AsksForALargeMap(data, size)) return 0;

  FILE* file = std::fopen(StatePath().c_str(), "wb");
  if (file == nullptr) return 0;
  std::fwrite(data, 1, size, file);
  std::fclose(file);

  zm::SeedRandom(1);
  zm::Shape shape;
  shape.Configure({.speed = 1.7});
  // A small present size, so that a rejected file exercises the fresh start.
  shape.Resize(5, 3);
  if (shape.LoadState(StatePath())) {
    // Whatever loads must save back to the very same bytes.
    const std::string copy = StatePath() + ".copy";
    if (!shape.SaveState(copy)) __builtin_trap();
    FILE* saved = std::fopen(copy.c_str(), "rb");
    std::string bytes(size + 1, '\0');
    const size_t read = saved ? std::fread(bytes.data(), 1, bytes.size(), saved) : 0;
    if (saved) std::fclose(saved);
    std::remove(copy.c_str());
    if (read != size || std::memcmp(bytes.data(), data, size) != 0) __builtin_trap();
  }

  zm::Bitmap32 bitmap(shape.Width(), shape.Height());
  shape.RenderToBitmap(bitmap.View());
  std::remove(StatePath().c_str());
  return 0;
}

#include <vector>

#include "commands.h"
#include "materials/material_palette.h"
#include "materials/material_set.h"
#include "png_file.h"
#include "shell/startup.h"

namespace zm::tool {

namespace {
constexpr int kStripHeight = 16;
}

int RunPalette(const PaletteOptions& options) {
  std::array<Colour, kPaletteSize> strip;
  if (options.material == kGreyRamp) {
    strip = PaletteOf(Material());
  } else {
    PrepareProgram(0);
    strip = PaletteOf(MaterialSet[options.material]);
  }
  std::vector<uint32_t> pixels;
  pixels.reserve(strip.size() * kStripHeight);
  for (int y = 0; y < kStripHeight; ++y) pixels.insert(pixels.end(), strip.begin(), strip.end());
  std::string error;
  if (!WritePng(options.out, pixels, static_cast<int>(strip.size()), kStripHeight, error)) {
    Complain(error);
    return kExitOutput;
  }
  return kExitOk;
}

}  // namespace zm::tool

#include "materials/material_palette.h"

namespace zm {

float PalettePosition(int entry) {
  // Formed in extended precision from the double constant 1/2016, then
  // stored in single precision.
  return static_cast<float>(static_cast<long double>(entry * 100) * (1.0 / kPaletteSize));
}

std::array<Colour, kPaletteSize> PaletteOf(const Material& material) {
  std::array<Colour, kPaletteSize> entries;
  for (int e = 0; e < kPaletteSize; ++e) entries[e] = material.ColorAt(PalettePosition(e));
  return entries;
}

}  // namespace zm

#pragma once

#include <array>

#include "materials/material.h"
#include "materials/palette.h"

namespace zm {

// The palette position of entry e: e * 100 * (1/2016) in single precision,
// 0 to 99.9504.
float PalettePosition(int entry);

// The 2016 colours of one material, sampled at the palette positions. Reads
// neither the material choice nor the random source, so a tool can show the
// palette of any material, or of a fresh grey ramp.
std::array<Colour, kPaletteSize> PaletteOf(const Material& material);

}  // namespace zm

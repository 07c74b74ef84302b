#pragma once

#include <cstdint>

namespace zm {

// One height-map value: the moment (0..1000, in thousandths of an animation
// step) at which the colour front passes a pixel. Maps are width x height
// values, row-major.
using MapValue = int16_t;

constexpr MapValue kMapMax = 1000;

}  // namespace zm

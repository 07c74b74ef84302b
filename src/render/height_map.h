#pragma once

#include <cstdint>
#include <span>

namespace zm {

// One height-map value: the moment (0..1000, in thousandths of an animation
// step) at which the colour front passes a pixel. Maps are width x height
// values, row-major.
using MapValue = int16_t;

constexpr MapValue kMapMax = 1000;

// Holds every value of a map to 0..1000, so that no colour index computed
// from it can leave the colour tables.
void ClampToMapRange(std::span<MapValue> map);

// Resamples a sourceWidth x sourceHeight map into a width x height one (all
// sizes positive). A narrower target takes the nearest source value; an equal
// or wider one interpolates bilinearly with single-precision steps and
// weights, and fills its last row and last column from the nearest source
// row and column below. Values stay within the source's range.
void ResampleMap(const MapValue* source, int32_t sourceWidth, int32_t sourceHeight,
                 MapValue* target, int32_t width, int32_t height);

}  // namespace zm

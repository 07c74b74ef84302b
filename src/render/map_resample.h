#pragma once

#include <cstdint>

#include "render/height_map.h"

namespace zm {

// Resamples a sourceWidth x sourceHeight map into a width x height one (all
// sizes positive). A narrower target takes the nearest source value; an equal
// or wider one interpolates bilinearly with single-precision steps and
// weights, and fills its last row and last column from the nearest source
// row and column below. Values stay within the source's range.
void ResampleMap(const MapValue* source, int32_t sourceWidth, int32_t sourceHeight,
                 MapValue* target, int32_t width, int32_t height);

}  // namespace zm

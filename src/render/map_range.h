#pragma once

#include <span>

#include "render/height_map.h"

namespace zm {

// Holds every value of a map to 0..1000, so that no colour index computed
// from it can leave the colour tables.
void ClampToMapRange(std::span<MapValue> map);

}  // namespace zm

#pragma once

#include <optional>
#include <vector>

#include "display/display_mode.h"

namespace zm {

// Whether `modes` holds a mode of the same height, width and bits per pixel
// as `mode`; the refresh rate is not compared.
bool ModeListContains(const std::vector<DisplayMode>& modes, const DisplayMode& mode);

// The mode that replaces a configured mode the display does not offer: 640 x
// 480 at 32, else 24, else 16 bits per pixel (refresh rate 0) when listed,
// else a copy of the first mode of the list; nothing for an empty list.
std::optional<DisplayMode> FallbackMode(const std::vector<DisplayMode>& modes);

}  // namespace zm

#pragma once

#include <cstdint>
#include <vector>

#include "display/monitor_area.h"
#include "settings/monitor_layout.h"

namespace zm {

// The part of a window of `width` x `height` pixels, covering the screen
// over `monitors`, that the ornament takes under `layout`: the primary
// monitor ("primary"; also "each" until every monitor gets its own engine),
// or the bounding box of all monitors ("span"), each cut to the window.
// Without monitors, or when the chosen area lies outside the window, the
// whole window.
PixelArea FrameAreaFor(MonitorLayout layout, const std::vector<MonitorArea>& monitors,
                       int32_t width, int32_t height);

}  // namespace zm

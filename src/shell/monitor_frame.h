#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "display/monitor_area.h"
#include "settings/monitor_layout.h"

namespace zm {

// The part of a window of `width` x `height` pixels, covering the screen
// over `monitors`, that the frame bitmap takes under `layout`: the primary
// monitor ("primary"), or the bounding box of all monitors ("span", and
// "each", whose engines draw into their monitors' parts of it), each cut to
// the window. Without monitors, or when the chosen area lies outside the
// window, the whole window.
PixelArea FrameAreaFor(MonitorLayout layout, const std::vector<MonitorArea>& monitors,
                       int32_t width, int32_t height);

// One monitor's part of the frame bitmap, in the bitmap's pixels.
struct MonitorPart {
  std::string name;
  PixelArea area;
};

// Under "each": every monitor's part of `frame` (an area of the window, as
// FrameAreaFor gives it), the primary's first. Monitors outside the frame,
// and one showing the same area as a monitor already there (a mirrored
// output), are left out.
std::vector<MonitorPart> MonitorPartsOf(const std::vector<MonitorArea>& monitors,
                                        const PixelArea& frame);

}  // namespace zm

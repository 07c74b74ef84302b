#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "display/monitor_area.h"

namespace zm {

// An output that places nothing itself (a Wayland compositor tells its
// clients no layout of the outputs), as the saver's surface on it sees it.
struct OutputSurface {
  int32_t width = 0;  // in pixels
  int32_t height = 0;
  std::string name;
  bool shown = false;  // configured and not closed
};

// The outputs as monitors side by side, in the order they came, each at
// the top and at its own size; outputs not shown are left out. The largest
// (the first of equal ones) is the primary, since no output is named so.
std::vector<MonitorArea> OutputsSideBySide(const std::vector<OutputSurface>& outputs);

// The screen the monitors make: as wide as all of them, as high as the
// highest.
PixelArea ScreenOf(const std::vector<MonitorArea>& monitors);

// The output whose calls for frames pace them: the first shown one (-1:
// none), so that more outputs do not make the pattern run faster.
int32_t PacingOutput(const std::vector<OutputSurface>& outputs);

}  // namespace zm

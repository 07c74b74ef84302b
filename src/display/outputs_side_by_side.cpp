#include "display/outputs_side_by_side.h"

#include <algorithm>

namespace zm {

std::vector<MonitorArea> OutputsSideBySide(const std::vector<OutputSurface>& outputs) {
  std::vector<MonitorArea> monitors;
  int32_t left = 0;
  int64_t largest = 0;
  for (const OutputSurface& output : outputs) {
    if (!output.shown) continue;
    monitors.push_back({{left, 0, output.width, output.height}, false, output.name});
    left += output.width;
    largest = std::max(largest, int64_t{output.width} * output.height);
  }
  for (MonitorArea& monitor : monitors) {
    if (int64_t{monitor.area.width} * monitor.area.height != largest) continue;
    monitor.primary = true;
    break;
  }
  return monitors;
}

PixelArea ScreenOf(const std::vector<MonitorArea>& monitors) {
  PixelArea screen;
  for (const MonitorArea& monitor : monitors) {
    screen.width = std::max(screen.width, monitor.area.left + monitor.area.width);
    screen.height = std::max(screen.height, monitor.area.top + monitor.area.height);
  }
  return screen;
}

int32_t PacingOutput(const std::vector<OutputSurface>& outputs) {
  for (size_t i = 0; i < outputs.size(); ++i) {
    if (outputs[i].shown) return static_cast<int32_t>(i);
  }
  return -1;
}

}  // namespace zm

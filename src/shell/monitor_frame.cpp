#include "shell/monitor_frame.h"

#include <algorithm>

namespace zm {
namespace {

PixelArea Clipped(const PixelArea& area, int32_t width, int32_t height) {
  const int32_t left = std::max(area.left, 0);
  const int32_t top = std::max(area.top, 0);
  const int32_t right = std::min(area.left + area.width, width);
  const int32_t bottom = std::min(area.top + area.height, height);
  return {left, top, std::max(right - left, 0), std::max(bottom - top, 0)};
}

const MonitorArea& PrimaryOf(const std::vector<MonitorArea>& monitors) {
  for (const MonitorArea& monitor : monitors) {
    if (monitor.primary) return monitor;
  }
  return monitors.front();
}

PixelArea BoundingBox(const std::vector<MonitorArea>& monitors) {
  PixelArea box = monitors.front().area;
  int32_t right = box.left + box.width;
  int32_t bottom = box.top + box.height;
  for (const MonitorArea& monitor : monitors) {
    const PixelArea& a = monitor.area;
    box.left = std::min(box.left, a.left);
    box.top = std::min(box.top, a.top);
    right = std::max(right, a.left + a.width);
    bottom = std::max(bottom, a.top + a.height);
  }
  return {box.left, box.top, right - box.left, bottom - box.top};
}

}  // namespace

PixelArea FrameAreaFor(MonitorLayout layout, const std::vector<MonitorArea>& monitors,
                       int32_t width, int32_t height) {
  const PixelArea whole{0, 0, width, height};
  if (monitors.empty()) return whole;
  const PixelArea wanted =
      layout == MonitorLayout::kPrimary ? PrimaryOf(monitors).area : BoundingBox(monitors);
  const PixelArea area = Clipped(wanted, width, height);
  return area.width > 0 && area.height > 0 ? area : whole;
}

std::vector<MonitorPart> MonitorPartsOf(const std::vector<MonitorArea>& monitors,
                                        const PixelArea& frame) {
  std::vector<MonitorPart> parts;
  if (monitors.empty()) return parts;
  const MonitorArea& primary = PrimaryOf(monitors);
  auto take = [&](const MonitorArea& monitor) {
    const PixelArea& a = monitor.area;
    const PixelArea area = Clipped({a.left - frame.left, a.top - frame.top, a.width, a.height},
                                   frame.width, frame.height);
    if (area.width <= 0 || area.height <= 0) return;
    for (const MonitorPart& part : parts) {
      if (part.area == area) return;
    }
    parts.push_back({monitor.name, area});
  };
  take(primary);
  for (const MonitorArea& monitor : monitors) {
    if (&monitor != &primary) take(monitor);
  }
  return parts;
}

}  // namespace zm

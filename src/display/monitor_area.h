#pragma once

#include <cstdint>
#include <string>

namespace zm {

// A rectangle in a window's pixels.
struct PixelArea {
  int32_t left = 0;
  int32_t top = 0;
  int32_t width = 0;
  int32_t height = 0;

  bool operator==(const PixelArea&) const = default;
};

// One monitor as the display reports it, in the pixels of the window that
// covers the screen.
struct MonitorArea {
  PixelArea area;
  bool primary = false;
  std::string name;
};

}  // namespace zm

#pragma once

#include <cstdint>

namespace zm {

// One video mode, fields in this order.
struct DisplayMode {
  int32_t Height = 480;
  int32_t Width = 640;
  int32_t RefreshRate = 0;  // Hz; 0 means the display's default
  int32_t BitPerPix = 8;

  friend bool operator==(const DisplayMode&, const DisplayMode&) = default;
};

}  // namespace zm

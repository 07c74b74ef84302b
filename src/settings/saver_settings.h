#pragma once

#include <cstdint>
#include <string>

#include "display/display_mode.h"

namespace zm {

// The program-wide settings record. Field names are the keys they are stored
// under; the initial values are those of a run that never reads the file.
struct SaverSettingsRecord {
  int8_t PATTERN_MODE = 0;
  double SHAPE_SPEED = 1.0;
  bool use_DirectX = false;
  bool DirectXPresent = false;  // not stored
  DisplayMode Mode;             // Height, Width, RefreshRate, BitPerPix
  // Section MONITORS: "primary", "each" or "span", kept as read so that an
  // unknown value survives until the user picks another.
  std::string Layout = "primary";
  // Section FRAMES: the most frames a second (0: the display's rate) and
  // the most on battery (0: no limit of its own there).
  int32_t Max_FPS = 0;
  int32_t Battery_FPS = 30;
};

extern SaverSettingsRecord SaverSettings;

}  // namespace zm

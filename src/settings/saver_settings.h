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
};

extern SaverSettingsRecord SaverSettings;

}  // namespace zm

#pragma once

#include <string>

namespace zm {

// What the saver takes from the settings file at `iniPath`, one "KEY=value"
// line each (values encoded as in the file), in the order of the settings
// record: PATTERN_MODE, SHAPE_SPEED, use_DirectX, DirectXPresent, Height,
// Width, RefreshRate, BitPerPix, then Pattern and Show_All. DirectXPresent is
// not stored in the file and shows the value it has before any test (0).
// The program-wide settings and material choice are left as they were.
std::string ListSettingsFile(const std::string& iniPath);

}  // namespace zm

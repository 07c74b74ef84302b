#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zm::tool {

// Writes pixels of the form 0x00RRGGBB (width x height, row-major) as an RGB
// PNG. False, with a message in `error`, when the file cannot be written.
bool WritePng(const std::string& path, const std::vector<uint32_t>& pixels, int width, int height,
              std::string& error);

}  // namespace zm::tool

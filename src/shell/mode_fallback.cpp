#include "shell/mode_fallback.h"

#include <algorithm>

namespace zm {

bool ModeListContains(const std::vector<DisplayMode>& modes, const DisplayMode& mode) {
  return std::any_of(modes.begin(), modes.end(), [&mode](const DisplayMode& m) {
    return m.Height == mode.Height && m.Width == mode.Width && m.BitPerPix == mode.BitPerPix;
  });
}

std::optional<DisplayMode> FallbackMode(const std::vector<DisplayMode>& modes) {
  for (int32_t bits : {32, 24, 16}) {
    const DisplayMode candidate{480, 640, 0, bits};
    if (ModeListContains(modes, candidate)) return candidate;
  }
  if (modes.empty()) return std::nullopt;
  return modes.front();
}

}  // namespace zm

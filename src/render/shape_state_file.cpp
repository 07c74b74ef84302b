#include <optional>
#include <utility>

#include "base/file_system.h"
#include "render/pattern_generator.h"
#include "render/pattern_state_file.h"
#include "render/shape.h"
#include "render/shape_timing.h"
#include "settings/atomic_file.h"
#include "settings/saver_settings.h"

namespace zm {

bool Shape::SaveState(const std::string& path, std::string* reason) const {
  if (!HasMaps()) {
    if (reason != nullptr) *reason = "no pattern to store";
    return false;  // nothing worth replacing a stored pattern with
  }
  return WriteFileAtomically(path, EncodePatternState(width_, height_, mapPrevious_, mapCurrent_),
                             reason);
}

bool Shape::LoadState(const std::string& path) {
  phase_ = PhaseIncrement(SaverSettings.SHAPE_SPEED);
  const int32_t oldWidth = width_;
  const int32_t oldHeight = height_;

  // No file, or nothing a regular file: the caller warms up a first pattern.
  ReadResult file = Files().ReadFile(path, static_cast<std::size_t>(kStateFileMaxBytes));
  if (file.status != ReadStatus::kOk && file.status != ReadStatus::kTooLarge) return false;
  std::optional<PatternState> state = ReadPatternState(file.bytes);
  file.bytes = std::string();

  FreeMaps();
  if (!state) {
    // Unusable file: fresh palettes and maps at the size the engine had (no
    // maps at all if it had none).
    width_ = oldWidth;
    height_ = oldHeight;
    Reset();
    return false;
  }
  width_ = state->width;
  height_ = state->height;
  InitPalettes();
  mapPrevious_ = std::move(state->previous);
  mapCurrent_ = std::move(state->current);
  mapNext_.assign(mapCurrent_.size(), 0);
  // Continue with the stored pair and generate the next map paced, as in a
  // running saver.
  StartPacedGenerator();
  return true;
}

}  // namespace zm

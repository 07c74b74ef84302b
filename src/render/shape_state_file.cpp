#include <fstream>
#include <optional>
#include <utility>

#include "render/pattern_generator.h"
#include "render/pattern_state_file.h"
#include "render/shape.h"
#include "render/shape_timing.h"
#include "settings/atomic_file.h"
#include "settings/saver_settings.h"

namespace zm {

bool Shape::SaveState(const std::string& path) const {
  if (!HasMaps()) return false;  // nothing worth replacing a stored pattern with
  return WriteFileAtomically(path, EncodePatternState(width_, height_, mapPrevious_, mapCurrent_));
}

bool Shape::LoadState(const std::string& path) {
  phase_ = PhaseIncrement(SaverSettings.SHAPE_SPEED);
  const int32_t oldWidth = width_;
  const int32_t oldHeight = height_;

  std::ifstream file(path, std::ios::binary);
  if (!file) return false;  // no file: the caller warms up a first pattern
  std::optional<PatternState> state = ReadPatternState(file);
  file.close();

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

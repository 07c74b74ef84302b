#include <utility>
#include <vector>

#include "render/map_resample.h"
#include "render/shape.h"

namespace zm {

void Shape::Resize(int32_t width, int32_t height) {
  if (width <= 0 || height <= 0) {
    FreeMaps();
    width_ = height_ = 0;
    return;
  }
  const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
  std::vector<MapValue> spare(count, 0);
  std::vector<MapValue> previous(count, 0);
  std::vector<MapValue> current(count, 0);
  heightScale_ = 480.0 / height;
  if (HasMaps()) {
    ResampleMap(mapPrevious_.data(), width_, height_, previous.data(), width, height);
    ResampleMap(mapCurrent_.data(), width_, height_, current.data(), width, height);
  }
  FreeMaps();
  width_ = width;
  height_ = height;
  // One place ahead: the NextStep(true) that follows rotates the resampled
  // maps back into previous and current and generates into the spare one.
  mapPrevious_ = std::move(spare);
  mapCurrent_ = std::move(previous);
  mapNext_ = std::move(current);
}

}  // namespace zm

#include "render/shape.h"

#include "render/map_range.h"

namespace zm {

Shape::Shape() = default;

Shape::~Shape() { FreeMaps(); }

bool Shape::HasMaps() const {
  return !mapPrevious_.empty() && !mapCurrent_.empty() && !mapNext_.empty();
}

void Shape::FreeMaps() {
  generator_.Setup(nullptr, 0, 0, heightScale_, nullptr, 1);
  generatorSet_ = false;
  std::vector<MapValue>().swap(mapPrevious_);
  std::vector<MapValue>().swap(mapCurrent_);
  std::vector<MapValue>().swap(mapNext_);
}

// Three maps of the present size, all zero (a valid map: every front at 0);
// none when the size is empty.
void Shape::AllocateMaps() {
  FreeMaps();
  if (width_ <= 0 || height_ <= 0) return;
  const size_t count = static_cast<size_t>(width_) * static_cast<size_t>(height_);
  mapPrevious_.assign(count, 0);
  mapCurrent_.assign(count, 0);
  mapNext_.assign(count, 0);
}

// previous <- current <- next <- the old previous buffer; no values move. The
// generator promises values in 0..1000; holding each finished map to that
// range keeps every colour index inside the tables whatever it delivers.
void Shape::RotateMaps() {
  mapPrevious_.swap(mapCurrent_);
  mapCurrent_.swap(mapNext_);
  ClampToMapRange(mapCurrent_);
}

void Shape::SetUpGenerator(std::span<MapValue> target, PatternDescriptor& descriptor,
                           int32_t frameBudget) {
  generator_.Setup(target.data(), width_, height_, heightScale_, &descriptor, frameBudget);
  generatorSet_ = true;
}

void Shape::RunGeneratorOn(std::span<MapValue> target, PatternDescriptor& descriptor) {
  SetUpGenerator(target, descriptor, 1);
  generator_.RunToEnd();
  ClampToMapRange(target);
}

}  // namespace zm

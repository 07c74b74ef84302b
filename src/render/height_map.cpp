#include "render/height_map.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

#if defined(__x86_64__)
#include <emmintrin.h>
#endif

namespace zm {

void ClampToMapRange(std::span<MapValue> map) {
  size_t i = 0;
#if defined(__x86_64__)
  // Eight values at a time: a whole map is clamped at every step.
  const __m128i low = _mm_setzero_si128();
  const __m128i high = _mm_set1_epi16(kMapMax);
  for (; i + 8 <= map.size(); i += 8) {
    auto* values = reinterpret_cast<__m128i*>(map.data() + i);
    _mm_storeu_si128(values, _mm_min_epi16(_mm_max_epi16(_mm_loadu_si128(values), low), high));
  }
#endif
  for (; i < map.size(); ++i) map[i] = std::clamp<MapValue>(map[i], 0, kMapMax);
}

namespace {

struct Map {
  const MapValue* values;
  int32_t width;
  int32_t height;
  MapValue At(int32_t row, int32_t column) const {
    return values[static_cast<size_t>(row) * width + column];
  }
};

void ResampleNearest(const Map& source, MapValue* target, int32_t width, int32_t height) {
  std::vector<int32_t> sourceColumn(width);
  for (int32_t j = 0; j < width; ++j)
    sourceColumn[j] = static_cast<int32_t>(int64_t{j} * source.width / width);
  for (int32_t i = 0; i < height; ++i) {
    const int32_t row = static_cast<int32_t>(int64_t{i} * source.height / height);
    MapValue* out = target + static_cast<size_t>(i) * width;
    for (int32_t j = 0; j < width; ++j) out[j] = source.At(row, sourceColumn[j]);
  }
}

// One source position along an axis: the cell it falls in, the neighbour
// after it (the last row or column stands in past the edge) and the weight of
// the cell itself.
struct Tap {
  int32_t near;
  int32_t far;
  float weight;
};

Tap TapAt(float step, int32_t index, int32_t sourceSize) {
  const float position = step * static_cast<float>(index);
  const float cell = std::floor(position);
  const int32_t near = std::min(static_cast<int32_t>(cell), sourceSize - 1);
  return {near, std::min(near + 1, sourceSize - 1), cell + 1.0f - position};
}

// floor(step x index) with the product taken exactly.
int32_t FloorCell(float step, int32_t index, int32_t sourceSize) {
  const double cell = std::floor(static_cast<double>(step) * index);
  return std::min(static_cast<int32_t>(cell), sourceSize - 1);
}

MapValue Interpolate(const Map& source, const Tap& y, const Tap& x) {
  const float wy = y.weight;
  const float wx = x.weight;
  const float topLeft = wy * wx;
  const float below = (1.0f - wy) * wx;
  const float belowRight = (1.0f - wy) * (1.0f - wx);
  const float right = wy * (1.0f - wx);
  const long double value = static_cast<long double>(source.At(y.near, x.near)) * topLeft +
                            static_cast<long double>(source.At(y.far, x.near)) * below +
                            static_cast<long double>(source.At(y.far, x.far)) * belowRight +
                            static_cast<long double>(source.At(y.near, x.far)) * right;
  return static_cast<MapValue>(static_cast<int32_t>(value));
}

void ResampleBilinear(const Map& source, MapValue* target, int32_t width, int32_t height) {
  const float fx = static_cast<float>(static_cast<double>(source.width) / width);
  const float fy = static_cast<float>(static_cast<double>(source.height) / height);
  std::vector<Tap> columns(width);
  for (int32_t j = 0; j < width; ++j) columns[j] = TapAt(fx, j, source.width);

  for (int32_t i = 0; i + 1 < height; ++i) {
    const Tap row = TapAt(fy, i, source.height);
    MapValue* out = target + static_cast<size_t>(i) * width;
    for (int32_t j = 0; j + 1 < width; ++j) out[j] = Interpolate(source, row, columns[j]);
  }

  const int32_t lastRow = static_cast<int32_t>(int64_t{height - 1} * source.height / height);
  MapValue* out = target + static_cast<size_t>(height - 1) * width;
  for (int32_t j = 0; j < width; ++j) out[j] = source.At(lastRow, FloorCell(fx, j, source.width));

  const int32_t lastColumn = FloorCell(fx, width - 1, source.width);
  for (int32_t i = 0; i < height; ++i)
    target[static_cast<size_t>(i) * width + width - 1] =
        source.At(FloorCell(fy, i, source.height), lastColumn);
}

}  // namespace

void ResampleMap(const MapValue* source, int32_t sourceWidth, int32_t sourceHeight,
                 MapValue* target, int32_t width, int32_t height) {
  const Map map{source, sourceWidth, sourceHeight};
  if (width < sourceWidth) {
    ResampleNearest(map, target, width, height);
  } else {
    ResampleBilinear(map, target, width, height);
  }
}

}  // namespace zm

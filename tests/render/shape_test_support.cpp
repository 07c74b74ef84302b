#include "render/shape_test_support.h"

#include "base/random_source.h"
#include "materials/material_choice.h"
#include "materials/material_curves.h"
#include "render/trig_tables.h"
#include "settings/atomic_file.h"

namespace zm::testing {

void ShapeTest::SetUpTestSuite() {
  BuildTrigTables();
  BuildMaterialCurves();
}

void ShapeTest::SetUp() {
  SeedRandom(20240601);
  SelectAllColors();
  ForceRowKernel(nullptr);
}

void ShapeTest::TearDown() {
  ForceRowKernel(nullptr);
  SetWriteFailureAfterForTesting(-1);
}

void UseIndexColours(Shape& shape) {
  for (int32_t i = 0; i < kColorTableSize; ++i) shape.ColorTable32()[i] = static_cast<uint32_t>(i);
}

std::vector<MapValue> PatternValues(size_t count, uint32_t seed) {
  std::vector<MapValue> values(count);
  uint32_t state = seed;
  for (MapValue& value : values) {
    state = state * 1664525u + 1013904223u;
    value = static_cast<MapValue>((state >> 8) % (kMapMax + 1));
  }
  return values;
}

void Fill(std::span<MapValue> map, const std::vector<MapValue>& values) {
  std::copy(values.begin(), values.end(), map.begin());
}

}  // namespace zm::testing

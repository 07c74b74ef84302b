#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <span>
#include <vector>

#include "render/height_map.h"
#include "render/shape.h"

namespace zm::testing {

// Program-wide state as a saver run starts: trigonometric tables and colour
// curves built once, the random source seeded, a random material per palette
// and the fastest row kernel.
class ShapeTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite();
  void SetUp() override;
  void TearDown() override;
};

// colors32[i] = i: a rendered pixel then shows its colour index.
void UseIndexColours(Shape& shape);

// Deterministic map values in 0..1000.
std::vector<MapValue> PatternValues(size_t count, uint32_t seed);

void Fill(std::span<MapValue> map, const std::vector<MapValue>& values);

// A map the generator has finished: its values run from 0 to (about) 1000.
inline bool IsGeneratedMap(std::span<const MapValue> map) {
  if (map.empty()) return false;
  const auto [low, high] = std::minmax_element(map.begin(), map.end());
  return *low == 0 && *high >= 990 && *high <= kMapMax;
}

inline std::vector<MapValue> Copy(std::span<const MapValue> map) {
  return {map.begin(), map.end()};
}

}  // namespace zm::testing

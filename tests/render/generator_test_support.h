#pragma once

#include <cstdint>
#include <vector>

#include "base/random_source.h"
#include "render/height_map.h"
#include "render/pattern_descriptor.h"
#include "render/pattern_generator.h"
#include "render/trig_tables.h"

namespace zm::testing {

// The generator the generator tests drive (and read back).
inline PatternGenerator& TestGenerator() {
  static PatternGenerator generator;
  return generator;
}

// Seeds the random source, draws a descriptor and runs the generator to the
// end on a fresh map of w x h values (filled with -1 beforehand, so that an
// unwritten value shows).
struct GeneratedMap {
  PatternDescriptor descriptor;
  std::vector<MapValue> values;
};

inline GeneratedMap GenerateMap(uint32_t seed, int32_t w, int32_t h) {
  BuildTrigTables();
  SeedRandom(seed);
  GeneratedMap map;
  RandomizeDescriptor(map.descriptor);
  map.values.assign(static_cast<size_t>(w) * static_cast<size_t>(h), -1);
  const double scale = h > 0 ? 480.0 / h : 1.1;
  TestGenerator().Setup(map.values.data(), w, h, scale, &map.descriptor, 1);
  TestGenerator().RunToEnd();
  return map;
}

}  // namespace zm::testing

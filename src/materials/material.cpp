#include "materials/material.h"

#include <cstdint>

namespace zm {

namespace {

Colour Channel(long double value) {
  // Truncation toward zero; only the low 8 bits make the channel.
  return static_cast<Colour>(static_cast<int64_t>(value)) & 0xFFu;
}

}  // namespace

Material::Material() {
  Red.AddPoint(0.0, 0.0);
  Green.AddPoint(0.0, 0.0);
  Blue.AddPoint(0.0, 0.0);
  Red.AddPoint(kPositionSpan, 255.0);
  Green.AddPoint(kPositionSpan, 255.0);
  Blue.AddPoint(kPositionSpan, 255.0);
}

Colour Material::ColorAt(float x) const {
  // Clamped to 99, not 100: the last stretch blends the colour at 99 into
  // the white end point only for positions strictly between 99 and 100.
  if (x >= kPositionSpan) x = kPositionSpan - 1.0f;
  if (x < 0.0f) x = 0.0f;
  const double at = x;
  return Channel(Red.ValueAt(at)) << 16 | Channel(Green.ValueAt(at)) << 8 |
         Channel(Blue.ValueAt(at));
}

}  // namespace zm

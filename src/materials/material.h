#pragma once

#include "materials/fun_tab.h"
#include "materials/palette.h"

namespace zm {

// Curves are defined on palette positions 0 to kPositionSpan.
constexpr float kPositionSpan = 100.0f;

// One material: red, green and blue intensity (nominally 0..255) as
// functions of the palette position.
class Material {
 public:
  // A straight grey ramp: (0, 0) and (100, 255) in every channel.
  Material();

  // The packed colour at position x. Positions of 100 or more are looked up
  // at 99, negative ones at 0; each channel is its curve value truncated,
  // low 8 bits kept.
  Colour ColorAt(float x) const;

  FunTab Red;
  FunTab Green;
  FunTab Blue;
};

}  // namespace zm

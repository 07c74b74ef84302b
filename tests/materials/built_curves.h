#pragma once

#include "materials/material_curves.h"

namespace zm::test {

// The material curves are program-wide: build them once per test binary,
// on first use. Tests of the grey ramp use freshly constructed materials.
inline void BuildCurvesOnce() {
  static const bool built = (BuildMaterialCurves(), true);
  (void)built;
}

}  // namespace zm::test

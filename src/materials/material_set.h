#pragma once

#include "materials/color_pattern.h"
#include "materials/material_names.h"

namespace zm {

// The nine materials, program-wide: grey ramps until BuildMaterialCurves
// gives them their looks. The index is the material number stored in the
// settings.
extern colset::pattern MaterialSet[kMaterialCount];

}  // namespace zm

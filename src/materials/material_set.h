#pragma once

#include "materials/material.h"
#include "materials/material_names.h"

namespace zm {

// The nine materials, program-wide: grey ramps until BuildMaterialCurves
// gives them their looks. The index is the material number stored in the
// settings.
extern Material MaterialSet[kMaterialCount];

}  // namespace zm

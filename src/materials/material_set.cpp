#include "materials/material_set.h"

namespace zm {

colset::pattern MaterialSet[kMaterialCount];

}  // namespace zm

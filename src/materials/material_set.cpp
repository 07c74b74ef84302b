#include "materials/material_set.h"

namespace zm {

Material MaterialSet[kMaterialCount];

}  // namespace zm

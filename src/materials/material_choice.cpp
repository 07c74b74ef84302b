#include "materials/material_choice.h"

#include "materials/material_names.h"

namespace zm {

int8_t Pattern = 0;
bool Show_All = true;

void SelectAllColors() { Show_All = true; }

void SelectMaterial(int8_t index) {
  Show_All = false;
  Pattern = index;
}

bool AllColorsSelected() { return Show_All; }

int MaterialIndexFor(int8_t pattern) {
  return pattern >= 0 && pattern < kMaterialCount ? pattern : 0;
}

}  // namespace zm

#include "materials/material_choice.h"

#include "materials/material_names.h"

namespace zm {

int8_t ChosenMaterial = 0;
bool AllMaterialsShown = true;

void SelectAllColors() { AllMaterialsShown = true; }

void SelectMaterial(int8_t index) {
  AllMaterialsShown = false;
  ChosenMaterial = index;
}

bool AllColorsSelected() { return AllMaterialsShown; }

int MaterialIndexFor(int8_t pattern) {
  return pattern >= 0 && pattern < kMaterialCount ? pattern : 0;
}

}  // namespace zm

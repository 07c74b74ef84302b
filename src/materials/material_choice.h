#pragma once

#include <cstdint>

namespace zm {

// The material choice: one fixed material (`ChosenMaterial`, 0..8) or a random
// material for every palette (`AllMaterialsShown`).
extern int8_t ChosenMaterial;
extern bool AllMaterialsShown;

void SelectAllColors();
void SelectMaterial(int8_t index);
bool AllColorsSelected();

// The material index to use for a stored choice: values outside 0..8 (a
// hand-edited settings file) fall back to material 0.
int MaterialIndexFor(int8_t pattern);

}  // namespace zm

#include "materials/palette.h"

#include "base/random_source.h"
#include "materials/material_choice.h"
#include "materials/material_palette.h"
#include "materials/material_set.h"

namespace zm {

Palette::Palette() {
  int material = MaterialIndexFor(ChosenMaterial);
  // "All colors": a fresh random material for every palette; the stored
  // choice stays as it is.
  if (AllMaterialsShown) material = static_cast<int>(Random31() % kMaterialCount);
  entries_ = PaletteOf(MaterialSet[material]);
}

}  // namespace zm

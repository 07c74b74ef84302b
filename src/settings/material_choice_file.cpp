#include "settings/material_choice_file.h"

#include <cstdint>

#include "materials/material_choice.h"
#include "settings/ini_file.h"

namespace zm {

void ReadMaterialChoice(const IniFile& file) {
  ChosenMaterial = static_cast<int8_t>(file.ReadInteger(kMaterialChoiceSection, "Pattern", 0));
  AllMaterialsShown = file.ReadBool(kMaterialChoiceSection, "Show_All", true);
}

}  // namespace zm

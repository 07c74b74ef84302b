#include "settings/material_choice_file.h"

#include <cstdint>

#include "materials/material_choice.h"
#include "settings/ini_file.h"

namespace zm {
namespace {

constexpr const char* kSection = "PATTERNS";

}  // namespace

void ReadMaterialChoice(const IniFile& file) {
  ChosenMaterial = static_cast<int8_t>(file.ReadInteger(kSection, "Pattern", 0));
  AllMaterialsShown = file.ReadBool(kSection, "Show_All", true);
}

void WriteMaterialChoice(IniFile& file) {
  file.WriteInteger(kSection, "Pattern", ChosenMaterial);
  file.WriteBool(kSection, "Show_All", AllMaterialsShown);
}

}  // namespace zm

#include "settings/material_choice_file.h"

#include <cstdint>

#include "materials/material_choice.h"
#include "settings/ini_file.h"

namespace zm {
namespace {

constexpr const char* kSection = "PATTERNS";

}  // namespace

void ReadMaterialChoice(const IniFile& file) {
  Pattern = static_cast<int8_t>(file.ReadInteger(kSection, "Pattern", 0));
  Show_All = file.ReadBool(kSection, "Show_All", true);
}

void WriteMaterialChoice(IniFile& file) {
  file.WriteInteger(kSection, "Pattern", Pattern);
  file.WriteBool(kSection, "Show_All", Show_All);
}

}  // namespace zm

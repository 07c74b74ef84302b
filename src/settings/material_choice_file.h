#pragma once

namespace zm {

class IniFile;

// The section of the material choice (Pattern, Show_All) in the settings file.
inline constexpr const char* kMaterialChoiceSection = "PATTERNS";

// Reads the material choice from the open settings file: the low 8 bits of
// Pattern as a signed value (default 0) and Show_All as a bool (default
// true). Writing stores Pattern sign-extended, then Show_All (see
// CurrentSettingsKeys).
void ReadMaterialChoice(const IniFile& file);

}  // namespace zm

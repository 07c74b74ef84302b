#pragma once

namespace zm {

class IniFile;

// The material choice (Pattern, Show_All) in section PATTERNS of the open
// settings file. Reading keeps the low 8 bits of Pattern as a signed value
// (default 0) and reads Show_All as a bool (default true); writing stores
// Pattern sign-extended, then Show_All.
void ReadMaterialChoice(const IniFile& file);
void WriteMaterialChoice(IniFile& file);

}  // namespace zm

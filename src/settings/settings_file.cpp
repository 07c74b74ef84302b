#include "settings/settings_file.h"

#include <cstdint>

#include "settings/ini_file.h"
#include "settings/material_choice_file.h"
#include "settings/program_directory.h"
#include "settings/saver_settings.h"
#include "settings/settings_paths.h"

namespace zm {
namespace {

constexpr const char* kSection = "BASIC_PARAMETERS";
constexpr const char* kMonitorsSection = "MONITORS";

}  // namespace

void LoadSettings(const std::string& executablePath) {
  LoadSettingsFile(SettingsFilePath(ProgramDirectory(executablePath)));
}

void SaveSettings(const std::string& executablePath) {
  SaveSettingsFile(SettingsFilePath(ProgramDirectory(executablePath)));
}

void LoadSettingsFile(const std::string& iniPath) { ReadSettings(IniFile(iniPath)); }

void SaveSettingsFile(const std::string& iniPath) {
  IniFile file(iniPath);
  WriteSettings(file);
  file.Flush();
}

void ReadSettings(const IniFile& file) {
  SaverSettingsRecord& s = SaverSettings;
  // PATTERN_MODE keeps only the low 8 bits, as a signed value: 300 gives 44.
  s.PATTERN_MODE = static_cast<int8_t>(file.ReadInteger(kSection, "PATTERN_MODE", 1));
  s.SHAPE_SPEED = file.ReadFloat(kSection, "SHAPE_SPEED", 1.7);
  s.use_DirectX = file.ReadBool(kSection, "use_DirectX", true);
  s.Mode.Height = file.ReadInteger(kSection, "Height", 480);
  s.Mode.Width = file.ReadInteger(kSection, "Width", 640);
  s.Mode.RefreshRate = file.ReadInteger(kSection, "RefreshRate", 0);
  s.Mode.BitPerPix = file.ReadInteger(kSection, "BitPerPix", 32);
  ReadMaterialChoice(file);
  s.Layout = file.ReadString(kMonitorsSection, "Layout", "primary");
}

void WriteSettings(IniFile& file) {
  const SaverSettingsRecord& s = SaverSettings;
  file.WriteInteger(kSection, "PATTERN_MODE", s.PATTERN_MODE);
  file.WriteFloat(kSection, "SHAPE_SPEED", s.SHAPE_SPEED);
  file.WriteBool(kSection, "use_DirectX", s.use_DirectX);
  file.WriteInteger(kSection, "Height", s.Mode.Height);
  file.WriteInteger(kSection, "Width", s.Mode.Width);
  file.WriteInteger(kSection, "RefreshRate", s.Mode.RefreshRate);
  file.WriteInteger(kSection, "BitPerPix", s.Mode.BitPerPix);
  WriteMaterialChoice(file);
  file.WriteString(kMonitorsSection, "Layout", s.Layout);
}

}  // namespace zm

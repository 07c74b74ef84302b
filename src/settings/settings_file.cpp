#include "settings/settings_file.h"

#include <cstdint>
#include <string_view>

#include "settings/ini_file.h"
#include "settings/material_choice_file.h"
#include "settings/program_directory.h"
#include "settings/saver_settings.h"
#include "settings/settings_paths.h"

namespace zm {
namespace {

constexpr const char* kSection = "BASIC_PARAMETERS";
constexpr const char* kMonitorsSection = "MONITORS";
constexpr const char* kFramesSection = "FRAMES";

// A frame limit as the file may hold it: 0 (none) or 1..1000 frames a
// second; anything else reads as the default.
int32_t FrameLimitOf(int32_t value, int32_t fallback) {
  return value >= 0 && value <= 1000 ? value : fallback;
}

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
  const SaverSettingsRecord defaults;
  s.Max_FPS = FrameLimitOf(file.ReadInteger(kFramesSection, "Max_FPS", 0), defaults.Max_FPS);
  s.Battery_FPS =
      FrameLimitOf(file.ReadInteger(kFramesSection, "Battery_FPS", 30), defaults.Battery_FPS);
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
  // A file without FRAMES keeps without it while the limits are the defaults.
  const SaverSettingsRecord defaults;
  constexpr std::string_view kAbsent = "\x01";
  if (s.Max_FPS != defaults.Max_FPS || s.Battery_FPS != defaults.Battery_FPS ||
      file.ReadString(kFramesSection, "Max_FPS", kAbsent) != kAbsent ||
      file.ReadString(kFramesSection, "Battery_FPS", kAbsent) != kAbsent) {
    file.WriteInteger(kFramesSection, "Max_FPS", s.Max_FPS);
    file.WriteInteger(kFramesSection, "Battery_FPS", s.Battery_FPS);
  }
}

}  // namespace zm

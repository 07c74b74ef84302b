#include "settings/settings_file.h"

#include <cstdint>
#include <cstring>

#include "materials/material_choice.h"
#include "settings/ini_file.h"
#include "settings/ini_values.h"
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

std::string BoolText(bool value) { return value ? "1" : "0"; }

const SettingsKey* FindKey(const std::vector<SettingsKey>& keys, const SettingsKey& wanted) {
  for (const SettingsKey& key : keys) {
    if (std::strcmp(key.section, wanted.section) == 0 && std::strcmp(key.key, wanted.key) == 0)
      return &key;
  }
  return nullptr;
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

std::vector<SettingsKey> CurrentSettingsKeys() {
  const SaverSettingsRecord& s = SaverSettings;
  const SaverSettingsRecord defaults;
  return {
      {kSection, "PATTERN_MODE", FormatIniInteger(s.PATTERN_MODE)},
      {kSection, "SHAPE_SPEED", FormatIniFloat(s.SHAPE_SPEED)},
      {kSection, "use_DirectX", BoolText(s.use_DirectX)},
      {kSection, "Height", FormatIniInteger(s.Mode.Height)},
      {kSection, "Width", FormatIniInteger(s.Mode.Width)},
      {kSection, "RefreshRate", FormatIniInteger(s.Mode.RefreshRate)},
      {kSection, "BitPerPix", FormatIniInteger(s.Mode.BitPerPix)},
      {kMaterialChoiceSection, "Pattern", FormatIniInteger(ChosenMaterial)},
      {kMaterialChoiceSection, "Show_All", BoolText(AllMaterialsShown)},
      {kMonitorsSection, "Layout", s.Layout},
      // A file without FRAMES keeps without it while the limits are the
      // defaults.
      {kFramesSection, "Max_FPS", FormatIniInteger(s.Max_FPS), FormatIniInteger(defaults.Max_FPS)},
      {kFramesSection, "Battery_FPS", FormatIniInteger(s.Battery_FPS),
       FormatIniInteger(defaults.Battery_FPS)},
  };
}

namespace {

// Whether a key the file lacks is left out: an optional one at its default,
// where the file has none of its section's keys either.
bool LeftOut(const IniFile& file, const std::vector<SettingsKey>& keys, const SettingsKey& key) {
  if (key.defaultText.empty()) return false;
  bool atDefaults = true;
  bool held = false;
  for (const SettingsKey& other : keys) {
    if (std::strcmp(other.section, key.section) != 0) continue;
    held = held || file.Holds(other.section, other.key);
    atDefaults = atDefaults && other.text == other.defaultText;
  }
  return atDefaults && !held;
}

}  // namespace

void WriteSettings(IniFile& file) {
  const std::vector<SettingsKey> keys = CurrentSettingsKeys();
  for (const SettingsKey& key : keys) {
    if (!LeftOut(file, keys, key)) file.WriteString(key.section, key.key, key.text);
  }
}

void SaveChangedSettingsFile(const std::string& iniPath, const std::vector<SettingsKey>& asRead) {
  IniFile file(iniPath);
  bool changed = false;
  const std::vector<SettingsKey> keys = CurrentSettingsKeys();
  for (const SettingsKey& key : keys) {
    const SettingsKey* read = FindKey(asRead, key);
    if (read != nullptr && read->text == key.text && file.Holds(key.section, key.key)) continue;
    if (LeftOut(file, keys, key)) continue;
    file.WriteString(key.section, key.key, key.text);
    changed = true;
  }
  if (changed) file.Flush();
}

}  // namespace zm

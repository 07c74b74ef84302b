#include "settings/settings_listing.h"

#include <cstdint>

#include "materials/material_choice.h"
#include "settings/ini_values.h"
#include "settings/saver_settings.h"
#include "settings/settings_file.h"

namespace zm {
namespace {

std::string Entry(const char* key, const std::string& value) {
  return std::string(key) + "=" + value + "\n";
}

std::string Flag(bool value) { return value ? "1" : "0"; }

std::string Describe(const SaverSettingsRecord& s, int8_t pattern, bool showAll) {
  return Entry("PATTERN_MODE", FormatIniInteger(s.PATTERN_MODE)) +
         Entry("SHAPE_SPEED", FormatIniFloat(s.SHAPE_SPEED)) +
         Entry("use_DirectX", Flag(s.use_DirectX)) +
         Entry("DirectXPresent", Flag(s.DirectXPresent)) +
         Entry("Height", FormatIniInteger(s.Mode.Height)) +
         Entry("Width", FormatIniInteger(s.Mode.Width)) +
         Entry("RefreshRate", FormatIniInteger(s.Mode.RefreshRate)) +
         Entry("BitPerPix", FormatIniInteger(s.Mode.BitPerPix)) +
         Entry("Pattern", FormatIniInteger(pattern)) + Entry("Show_All", Flag(showAll)) +
         Entry("Layout", s.Layout) + Entry("Max_FPS", FormatIniInteger(s.Max_FPS)) +
         Entry("Battery_FPS", FormatIniInteger(s.Battery_FPS));
}

}  // namespace

std::string ListSettingsFile(const std::string& iniPath) {
  const SaverSettingsRecord savedSettings = SaverSettings;
  const int8_t savedPattern = ChosenMaterial;
  const bool savedShowAll = AllMaterialsShown;
  // Read through the saver's own reader, from the values a fresh process has.
  SaverSettings = SaverSettingsRecord();
  LoadSettingsFile(iniPath);
  std::string listing = Describe(SaverSettings, ChosenMaterial, AllMaterialsShown);
  SaverSettings = savedSettings;
  ChosenMaterial = savedPattern;
  AllMaterialsShown = savedShowAll;
  return listing;
}

}  // namespace zm

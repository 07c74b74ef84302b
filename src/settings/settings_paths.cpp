#include "settings/settings_paths.h"

namespace zm {

std::string SettingsFilePath(const std::string& programDirectory) {
  return programDirectory + "zelk_mirv.ini";
}

std::string SetupDialogFilePath(const std::string& programDirectory) {
  return SettingsFilePath(programDirectory);
}

std::string PatternStateFilePath(const std::string& programDirectory) {
  return programDirectory + "Zelk_Mirv.par";
}

}  // namespace zm

#include "settings/settings_paths.h"

namespace zm {

std::string SettingsFilePath(const std::string& programDirectory) {
  return programDirectory + "zelk_mirv.ini";
}

std::string SetupDialogFilePath(const std::string& programDirectory) {
  return SettingsFilePath(programDirectory);
}

namespace {

constexpr std::string_view kStateExtension = ".par";

bool KeptInFileName(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '_';
}

}  // namespace

std::string PatternStateFilePath(const std::string& programDirectory) {
  return programDirectory + "Zelk_Mirv" + std::string(kStateExtension);
}

std::string MonitorStateFilePath(const std::string& stateFile, std::string_view monitor) {
  std::string name;
  for (const char c : monitor) {
    if (KeptInFileName(c)) {
      name += c;
    } else if (!name.empty()) {
      name += '_';
    }
  }
  if (name.empty()) name = "monitor";
  std::string_view stem = stateFile;
  if (stem.ends_with(kStateExtension)) stem.remove_suffix(kStateExtension.size());
  return std::string(stem) + "-" + name + std::string(kStateExtension);
}

}  // namespace zm

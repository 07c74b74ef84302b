#include <cstdio>

#include "commands.h"
#include "settings/ini_file.h"
#include "settings/settings_listing.h"

namespace zm::tool {

void Complain(const std::string& message) {
  std::fprintf(stderr, "zelk-mirv-render: %s\n", message.c_str());
}

std::string SizeText(int width, int height) {
  return std::to_string(width) + " x " + std::to_string(height);
}

bool CheckSettingsFile(const IniFile& file) {
  if (!file.Exists()) {
    Complain("no settings file " + file.path());
    return false;
  }
  if (!file.Readable()) {
    Complain("cannot read settings file " + file.path() + ": " + file.ReadError());
    return false;
  }
  return true;
}

int RunSettings(const SettingsOptions& options) {
  if (!CheckSettingsFile(IniFile(options.file))) return kExitUsage;
  std::fputs(ListSettingsFile(options.file).c_str(), stdout);
  return kExitOk;
}

}  // namespace zm::tool

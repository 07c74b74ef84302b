#include <cstdio>
#include <filesystem>

#include "commands.h"
#include "settings/settings_listing.h"

namespace zm::tool {

void Complain(const std::string& message) {
  std::fprintf(stderr, "zelk-mirv-render: %s\n", message.c_str());
}

int RunSettings(const SettingsOptions& options) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(options.file, error)) {
    Complain("no settings file " + options.file);
    return kExitUsage;
  }
  std::fputs(ListSettingsFile(options.file).c_str(), stdout);
  return kExitOk;
}

}  // namespace zm::tool
